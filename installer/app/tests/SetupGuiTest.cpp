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
