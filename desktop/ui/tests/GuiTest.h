// What every GUI test of the desktop program needs (link hushdesk_gui_test_main,
// add the test with hushdesk_add_gui_test, see CMakeLists.txt), over the kit
// both programs share (GuiTestKit.h):
//  - the test main (GuiTestMain.cpp) creates the real CQuellixApp without
//    running its start-up and sets SDL_AUDIODRIVER=dummy; the kit's
//    RunGuiTests does the rest;
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

#include "GuiTestKit.h"
#include "MessageBox.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

class wxDialog;
class wxWindow;
class CQuellixApp;
class CMainFrame;

namespace guitest {

using namespace std::chrono_literals;

using guikit::PressButton;
using guikit::Pump;
using guikit::PumpUntil;  // within 5 s unless told otherwise
using guikit::SaveScreenshot;
using guikit::WhenModalDialogOpens;

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
