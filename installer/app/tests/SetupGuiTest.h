// What Setup's GUI tests need (link setup_gui_test_main; see CMakeLists.txt):
//  - the test main (SetupGuiTestMain.cpp) starts wxWidgets without running
//    Setup's start-up, fails the running test on any wx assertion (an
//    assertion dialog would hang the run under Xvfb) and keeps an event loop
//    active for Pump();
//  - SetupGuiTest, a fixture with a fresh medium folder as the current
//    directory, a fresh registry folder, recorded message boxes and log;
//  - SetupPageTest, which adds an installer page shown without a modal loop;
//  - Pump / PumpUntil, WhenModalDialogOpens, page scripts, screenshots.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "installer/Launch.h"
#include "installer/Log.h"
#include "platform/ShowMessage.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

class wxDialog;
class wxWindow;
class wxWebView;

namespace installer {
class CSVDlg;
}

namespace setuptest {

using namespace std::chrono_literals;

// Runs pending events and idle handlers for `duration` (at least one pass).
void Pump(std::chrono::milliseconds duration = 50ms);
// Pumps until `done` is true or `timeout` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10000ms);

// Runs `action` once, inside the modal loop of the next modal dialog that opens.
void WhenModalDialogOpens(std::function<void(wxDialog&)> action);

// Runs `action` once `condition` holds, polling from the event loop (for use
// inside modal loops, where a test cannot pump itself).
void WhenTrue(std::function<bool()> condition, std::function<void()> action);

// The result of `script` run in the page ("" when it fails).
std::string PageValue(wxWebView& view, const std::string& script);

// Saves what the screen shows of `window` as <screenshot dir>/<name>.png
// ($HUSHDESK_SCREENSHOT_DIR, else ./screenshots). True when written.
bool SaveScreenshot(wxWindow& window, const std::string& name);

// Writes an executable POSIX shell script.
void WriteScript(const std::string& path, const std::string& body);

class SetupGuiTest : public ::testing::Test {
protected:
    SetupGuiTest();
    ~SetupGuiTest() override;

    // A file of the medium (the current directory).
    std::string Medium(const std::string& name) const { return m_medium.File(name); }
    // Writes `<AutoRun>` + body + `</AutoRun>` to the medium file `name`.
    void WriteConfig(const std::string& name, const std::string& body) const;

    testsupport::TempFolder m_medium;
    testsupport::TempFolder m_registry;
    testsupport::ScopedEnv m_registryEnv;
    platform::MessageRecorder m_messages;
    std::string m_log;
};

class SetupPageTest : public SetupGuiTest {
protected:
    ~SetupPageTest() override;

    // Shows the page for the configuration file `name`, without a modal loop,
    // and waits until the page has its first body.
    installer::CSVDlg& ShowPage(const std::string& name, int languageId = 1033);
    // Destroys the page shown by ShowPage.
    void ClosePage();

    // The mark cells of the page (numbers, "PDF", marks) as
    // "class:id:text|class:id:text|...", in page order.
    std::string Marks();
    // Clicks the (first) element with `id` in the page, as the user's click
    // would: on the main page, the row's number or mark.
    void Click(const std::string& id);
    // Clicks the title of the row with `id` (the only part of a PDF row that
    // opens its document).
    void ClickTitle(const std::string& id);

    installer::SystemLauncher m_launcher;
    installer::CSVDlg* m_dialog = nullptr;
};

}  // namespace setuptest
