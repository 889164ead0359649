#include "SetupGuiTest.h"

#include <sys/stat.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/timer.h>
#include <wx/webview.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <thread>

#include "SVDlg.h"
#include "installer/Config.h"
#include "installer/PageScript.h"
#include "testsupport/Files.h"

namespace setuptest {

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

class ConditionWatcher : public wxTimer {
public:
    ConditionWatcher(std::function<bool()> condition, std::function<void()> action)
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

}  // namespace

void WhenTrue(std::function<bool()> condition, std::function<void()> action) {
    (new ConditionWatcher(std::move(condition), std::move(action)))->Start(50);
}

void WhenModalDialogOpens(std::function<void(wxDialog&)> action) {
    (new ModalDialogWatcher(std::move(action)))->Start(50);
}

namespace {

// Results of the scripts PageValue runs, by the key each was started with.
std::map<intptr_t, std::string> scriptResults;

void KeepScriptResult(wxWebViewEvent& event) {
    const auto key = reinterpret_cast<intptr_t>(event.GetClientData());
    if (key != 0) {
        scriptResults[key] = event.IsError() ? "" : event.GetString().utf8_string();
    }
    event.Skip();
}

}  // namespace

std::string PageValue(wxWebView& view, const std::string& script) {
    // Not RunScript: its nested event loop can hand back the result of
    // another script when several are under way.
    static intptr_t lastKey = 0;
    const intptr_t key = ++lastKey;
    view.Bind(wxEVT_WEBVIEW_SCRIPT_RESULT, &KeepScriptResult);
    view.RunScriptAsync(wxString::FromUTF8(script), reinterpret_cast<void*>(key));
    PumpUntil([&] { return scriptResults.count(key) != 0; }, 5000ms);
    view.Unbind(wxEVT_WEBVIEW_SCRIPT_RESULT, &KeepScriptResult);
    const auto found = scriptResults.find(key);
    if (found == scriptResults.end()) {
        return "";
    }
    std::string value = found->second;
    scriptResults.erase(found);
    return value;
}

bool SaveScreenshot(wxWindow& window, const std::string& name) {
    // The web view paints in its own time after the page has changed.
    window.Update();
    Pump(800ms);
    const char* dir = std::getenv("HUSHDESK_SCREENSHOT_DIR");
    const std::filesystem::path folder = dir != nullptr && *dir != '\0' ? dir : "screenshots";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::string path = (folder / (name + ".png")).string();
    // Cut from the X server's screen: what a person would see, the web
    // view's own drawing included.
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

void WriteScript(const std::string& path, const std::string& body) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_TRUE(testsupport::WriteText(path, "#!/bin/sh\n" + body));
    ASSERT_EQ(chmod(path.c_str(), 0755), 0);
}

SetupGuiTest::SetupGuiTest() : m_registryEnv("KESTROVA_REGISTRY_DIR", m_registry.Path()) {
    std::filesystem::current_path(m_medium.Path());
    installer::SetLogSinkForTesting([this](const std::string& line) { m_log += line; });
}

SetupGuiTest::~SetupGuiTest() {
    installer::SetLogSinkForTesting({});
    Pump(20ms);
}

void SetupGuiTest::WriteConfig(const std::string& name, const std::string& body) const {
    testsupport::WriteText(
        m_medium.File(name),
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<AutoRun>" + body + "</AutoRun>\n");
}

SetupPageTest::~SetupPageTest() {
    ClosePage();
}

installer::CSVDlg& SetupPageTest::ShowPage(const std::string& name, int languageId) {
    m_dialog = new installer::CSVDlg(nullptr, installer::Config(name), languageId, m_launcher);
    m_dialog->Show();
    // The first body arrives once the template has loaded; under load that
    // can take a while.
    EXPECT_TRUE(PumpUntil(
        [&] {
            return m_dialog->IsFirstPageShown() &&
                   PageValue(
                       *m_dialog->WebView(),
                       "String(document.querySelectorAll('div.hdr1, div.hdr1_rtl').length)") == "1";
        },
        30000ms));
    return *m_dialog;
}

void SetupPageTest::ClosePage() {
    if (m_dialog != nullptr) {
        m_dialog->SettleScripts();
        m_dialog->Destroy();
        m_dialog = nullptr;
        Pump(50ms);
    }
}

std::string SetupPageTest::Marks() {
    return PageValue(*m_dialog->WebView(),
                     "Array.from(document.querySelectorAll('td[id]')).map(function (e) {"
                     " return e.className + ':' + e.id + ':' + e.textContent; }).join('|')");
}

void SetupPageTest::Click(const std::string& id) {
    m_dialog->RunPageScript(wxString::FromUTF8("document.getElementById(" +
                                               installer::JavaScriptString(id) + ").click()"));
}

void SetupPageTest::ClickTitle(const std::string& id) {
    // Found among the titles by comparison, so any Action text works.
    m_dialog->RunPageScript(
        wxString::FromUTF8("Array.from(document.querySelectorAll('div.Action')).find(function (e) {"
                           " return e.id === " +
                           installer::JavaScriptString(id) + "; }).click()"));
}

}  // namespace setuptest
