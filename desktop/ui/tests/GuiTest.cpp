#include "GuiTest.h"

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/timer.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "CMainFrame.h"
#include "CQuellixApp.h"

namespace guitest {

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
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) {
            return done();
        }
        Pump(10ms);
    }
    return true;
}

namespace {

// Polls for a shown modal dialog; deletes itself after acting once.
class ModalDialogWatcher : public wxTimer {
public:
    explicit ModalDialogWatcher(std::function<void(wxDialog&)> action)
        : m_action(std::move(action)) {}

    void Notify() override {
        for (wxWindow* window : wxTopLevelWindows) {
            auto* dialog = dynamic_cast<wxDialog*>(window);
            if (dialog != nullptr && dialog->IsModal() && dialog->IsShown()) {
                Stop();
                // Let the dialog lay itself out and paint before acting.
                wxTheApp->CallAfter([this, dialog] {
                    m_action(*dialog);
                    delete this;
                });
                return;
            }
        }
    }

private:
    std::function<void(wxDialog&)> m_action;
};

}  // namespace

void WhenModalDialogOpens(std::function<void(wxDialog&)> action) {
    (new ModalDialogWatcher(std::move(action)))->Start(50);
}

void PressButton(wxDialog& dialog, int id) {
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(dialog.FindWindow(id));
    dialog.GetEventHandler()->ProcessEvent(click);
}

bool SaveScreenshot(wxWindow& window, const std::string& name) {
    window.Update();
    Pump(100ms);
    const char* dir = std::getenv("HUSHDESK_SCREENSHOT_DIR");
    const std::filesystem::path folder = dir != nullptr && *dir != '\0' ? dir : "screenshots";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::string path = (folder / (name + ".png")).string();

    // Cut from the X server's screen with ImageMagick: what a person would
    // see, menus and native controls included. (wxScreenDC on GTK 3 returns
    // stale pixels.) Tests keep the window unobscured.
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

MessageBoxLog::MessageBoxLog() : m_answer(wxID_OK) {
    m_previous = ui::SetMessageBoxAnswerer([this](const ui::MessageBoxRequest& request) {
        std::lock_guard lock(m_mutex);
        m_boxes.push_back(request);
        return m_answer;
    });
}

MessageBoxLog::~MessageBoxLog() {
    ui::SetMessageBoxAnswerer(std::move(m_previous));
}

void MessageBoxLog::SetAnswer(int answer) {
    std::lock_guard lock(m_mutex);
    m_answer = answer;
}

std::vector<ui::MessageBoxRequest> MessageBoxLog::Boxes() const {
    std::lock_guard lock(m_mutex);
    return m_boxes;
}

GuiTest::GuiTest() : m_registryEnv("KESTROVA_REGISTRY_DIR", m_registry.Path()) {}

GuiTest::~GuiTest() {
    StopProgram();
}

CQuellixApp& GuiTest::App() {
    return *static_cast<CQuellixApp*>(wxTheApp);
}

CMainFrame& GuiTest::StartProgram(const std::vector<std::string>& files) {
    App().InitInstance(files);
    Pump(100ms);
    return *App().GetMainFrame();
}

void GuiTest::StopProgram() {
    App().ExitInstance();
    Pump(20ms);
}

}  // namespace guitest
