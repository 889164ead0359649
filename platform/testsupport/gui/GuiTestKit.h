// What the GUI tests of both programs share (link gui_test_kit; register each
// executable with hushdesk_add_gui_test, cmake/HushdeskTest.cmake):
//  - RunGuiTests, the body of a GUI test main: starts wxWidgets without the
//    program's start-up, fails the running test on any wx assertion (an
//    assertion dialog would hang the run under Xvfb) and keeps an event loop
//    active for Pump();
//  - Pump / PumpUntil to let events and idle handlers run, WhenModalDialogOpens
//    and WhenTrue to act inside modal loops, PressButton, SaveScreenshot.
// The programs' own fixtures (GuiTest.h, SetupGuiTest.h) build on it.
#pragma once

#include <chrono>
#include <functional>
#include <string>

class wxDialog;
class wxWindow;

namespace guikit {

using namespace std::chrono_literals;

// What differs between the programs' windows.
struct GuiTestTimes {
    std::chrono::milliseconds waitLimit;         // PumpUntil's default timeout
    std::chrono::milliseconds screenshotSettle;  // pumped before a screenshot is cut
};

// The test main's body: InitGoogleTest, wxWidgets up (the application object
// comes from the caller's wxIMPLEMENT_APP_NO_MAIN), RUN_ALL_TESTS, wxWidgets down.
int RunGuiTests(int argc, char** argv, const GuiTestTimes& times);

// Runs pending events and idle handlers for `duration` (at least one pass).
void Pump(std::chrono::milliseconds duration = 50ms);
// Pumps until `done` is true or `timeout` (0: the program's wait limit)
// passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 0ms);

// Runs `action` once, inside the modal loop of the next modal dialog that
// opens (ShowModal blocks the test).
void WhenModalDialogOpens(std::function<void(wxDialog&)> action);
// Runs `action` once `condition` holds, polling from the event loop (for use
// inside modal loops, where a test cannot pump itself).
void WhenTrue(std::function<bool()> condition, std::function<void()> action);
// Sends a button click with `id` to `dialog`, as a user's click does.
void PressButton(wxDialog& dialog, int id);

// Saves what the screen shows of `window`, once it has had the program's
// settle time to paint, as <screenshot dir>/<name>.png ($HUSHDESK_SCREENSHOT_DIR,
// else ./screenshots). True when written.
bool SaveScreenshot(wxWindow& window, const std::string& name);

}  // namespace guikit
