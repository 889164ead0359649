// What every GUI test of the desktop program needs (link hushdesk_gui_test_main,
// add the test with hushdesk_add_gui_test, see CMakeLists.txt):
//  - the test main (GuiTestMain.cpp) creates the real CQuellixApp without
//    running its start-up, fails the running test on any wx assertion (an
//    assertion dialog would hang the run under Xvfb), sets
//    SDL_AUDIODRIVER=dummy, and keeps an event loop active for Pump();
//  - GuiTest, a fixture with a fresh registry folder (KESTROVA_REGISTRY_DIR)
//    per test and a message-box log that answers boxes instead of showing them;
//  - Pump / PumpUntil to let events and idle handlers run, WhenModalDialogOpens
//    to act inside a modal dialog, SaveScreenshot for build/screenshots/.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "MessageBox.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

class wxDialog;
class wxWindow;
class CQuellixApp;
class CMainFrame;

namespace guitest {

using namespace std::chrono_literals;

// Runs pending events and idle handlers for `duration` (at least one pass).
void Pump(std::chrono::milliseconds duration = 50ms);
// Pumps until `done` is true or `timeout` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5000ms);

// Runs `action` once, inside the modal loop of the next modal dialog that
// opens (ShowModal blocks the test). `action` typically reads the controls,
// saves a screenshot and ends the dialog through one of its buttons
// (PressButton).
void WhenModalDialogOpens(std::function<void(wxDialog&)> action);
// Sends a button click with `id` to `dialog`, as a user's click does.
void PressButton(wxDialog& dialog, int id);

// Saves `window` as drawn on screen to <screenshot dir>/<name>.png
// ($HUSHDESK_SCREENSHOT_DIR, else ./screenshots). True when written.
bool SaveScreenshot(wxWindow& window, const std::string& name);

// Answers message boxes shown through ui::ShowMessageBox with `answer` and
// records them, for as long as it lives.
class MessageBoxLog {
public:
    MessageBoxLog();
    ~MessageBoxLog();
    MessageBoxLog(const MessageBoxLog&) = delete;
    MessageBoxLog& operator=(const MessageBoxLog&) = delete;

    void SetAnswer(int answer);
    std::vector<ui::MessageBoxRequest> Boxes() const;

private:
    mutable std::mutex m_mutex;
    int m_answer;
    std::vector<ui::MessageBoxRequest> m_boxes;
    ui::MessageBoxAnswerer m_previous;
};

class GuiTest : public ::testing::Test {
protected:
    GuiTest();
    ~GuiTest() override;

    CQuellixApp& App();
    // Starts the program as a new run does (files: command-line operands).
    CMainFrame& StartProgram(const std::vector<std::string>& files = {});
    // Closes the main window (storing its placement) and deletes the document.
    void StopProgram();

    const std::string& RegistryFolder() const { return m_registry.Path(); }

    testsupport::TempFolder m_registry;
    testsupport::ScopedEnv m_registryEnv;
    MessageBoxLog m_boxes;
};

}  // namespace guitest
