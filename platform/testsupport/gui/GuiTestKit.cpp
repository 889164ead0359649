#include "GuiTestKit.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/app.h>
#include <wx/apptrait.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/timer.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

namespace guikit {

namespace {

GuiTestTimes programTimes{5000ms, 100ms};

void FailTestOnAssert(const wxString& file, int line, const wxString& function,
                      const wxString& condition, const wxString& message) {
    ADD_FAILURE_AT(file.utf8_string().c_str(), line)
        << "wx assertion in " << function.utf8_string() << ": " << condition.utf8_string() << " "
        << message.utf8_string();
}

// Polls `condition`; once it holds, runs `action` after the events already
// queued (so that a dialog has laid itself out and painted) and deletes itself.
class Watcher : public wxTimer {
public:
    Watcher(std::function<bool()> condition, std::function<void()> action)
        : m_condition(std::move(condition)), m_action(std::move(action)) {}

    void Notify() override {
        if (m_condition()) {
            Stop();
            wxTheApp->CallAfter([this] {
                m_action();
                delete this;
            });
        }
    }

private:
    std::function<bool()> m_condition;
    std::function<void()> m_action;
};

wxDialog* ShownModalDialog() {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = dynamic_cast<wxDialog*>(window);
        if (dialog != nullptr && dialog->IsModal() && dialog->IsShown()) {
            return dialog;
        }
    }
    return nullptr;
}

}  // namespace

int RunGuiTests(int argc, char** argv, const GuiTestTimes& times) {
    programTimes = times;
    ::testing::InitGoogleTest(&argc, argv);
    // GTK must not look for an accessibility bus that Xvfb runs lack.
    setenv("NO_AT_BRIDGE", "1", 1);
    setenv("GDK_BACKEND", "x11", 1);

    wxSetAssertHandler(FailTestOnAssert);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "cannot start wxWidgets (is DISPLAY set? run under xvfb-run -a)\n");
        return 1;
    }
    wxEventLoopBase* loop = wxTheApp->GetTraits()->CreateEventLoop();
    wxEventLoopBase::SetActive(loop);

    const int result = RUN_ALL_TESTS();

    wxEventLoopBase::SetActive(nullptr);
    delete loop;
    wxEntryCleanup();
    return result;
}

void Pump(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    do {
        wxEventLoopBase* loop = wxEventLoopBase::GetActive();
        for (int i = 0; i < 1000 && loop != nullptr && loop->Pending(); ++i) {
            loop->Dispatch();
        }
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < end);
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end =
        std::chrono::steady_clock::now() + (timeout > 0ms ? timeout : programTimes.waitLimit);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) {
            return done();
        }
        Pump(10ms);
    }
    return true;
}

void WhenModalDialogOpens(std::function<void(wxDialog&)> action) {
    auto dialog = std::make_shared<wxDialog*>(nullptr);
    WhenTrue([dialog] { return (*dialog = ShownModalDialog()) != nullptr; },
             [dialog, action = std::move(action)] { action(**dialog); });
}

void WhenTrue(std::function<bool()> condition, std::function<void()> action) {
    (new Watcher(std::move(condition), std::move(action)))->Start(50);
}

void PressButton(wxDialog& dialog, int id) {
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(dialog.FindWindow(id));
    dialog.GetEventHandler()->ProcessEvent(click);
}

bool SaveScreenshot(wxWindow& window, const std::string& name) {
    window.Update();
    Pump(programTimes.screenshotSettle);
    const char* dir = std::getenv("HUSHDESK_SCREENSHOT_DIR");
    const std::filesystem::path folder = dir != nullptr && *dir != '\0' ? dir : "screenshots";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::string path = (folder / (name + ".png")).string();

    // Cut from the X server's screen with ImageMagick: what a person would
    // see, menus, native controls and web views included. (wxScreenDC on
    // GTK 3 returns stale pixels.) Tests keep the window unobscured.
    const wxRect rect = window.GetScreenRect();
    if (rect.width <= 0 || rect.height <= 0) {
        return false;
    }
    std::filesystem::remove(path, ignored);
    const std::string command = "import -window root -crop " + std::to_string(rect.width) + "x" +
                                std::to_string(rect.height) + "+" + std::to_string(rect.x) + "+" +
                                std::to_string(rect.y) + " +repage '" + path + "'";
    return std::system(command.c_str()) == 0 && std::filesystem::exists(path);
}

}  // namespace guikit
