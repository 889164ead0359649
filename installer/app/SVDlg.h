// CSVDlg: Setup's installer page, a dialog holding a web view that shows the
// page template and whose body InstallerPage rewrites after every change.
//
// The page talks back through the "setup" script message handler. Nothing
// but the template is ever loaded into the view: every later navigation and
// every new window is refused, so a link in a configuration text cannot
// replace the page.
#pragma once

#include <wx/dialog.h>

#include <memory>

#include "installer/Config.h"
#include "installer/InstallerPage.h"
#include "installer/Launch.h"

class wxWebView;
class wxWebViewEvent;

namespace installer {

class CSVDlg : public wxDialog, public LaunchWindow {
public:
    // `launcher` must outlive the dialog.
    CSVDlg(wxWindow* parent, Config config, int languageId, Launcher& launcher);
    ~CSVDlg() override;

    // Whether the web view can be used at all on this system.
    static bool IsWebViewAvailable();

    // LaunchWindow: the dialog steps aside while an installer runs.
    void HideForLaunch() override;
    void RestoreAfterLaunch() override;

    // Runs a script in the page without waiting for it.
    void RunPageScript(const wxString& script);
    // Lets the results of the scripts still under way arrive (for at most
    // `timeoutMs`): the web view hands a result to its window even when that
    // window has been destroyed meanwhile, so the dialog must outlive them.
    void SettleScripts(int timeoutMs = 3000);

    // For tests: the view, the page logic, and whether a page is shown.
    wxWebView* WebView() const { return m_view; }
    InstallerPage& Page() { return *m_page; }
    const Config& GetConfig() const { return m_config; }
    bool IsFirstPageShown() const { return m_firstPageShown; }

private:
    void OnLoaded(wxWebViewEvent& event);
    void OnNavigating(wxWebViewEvent& event);
    void OnNewWindow(wxWebViewEvent& event);
    void OnScriptMessage(wxWebViewEvent& event);
    void OnScriptResult(wxWebViewEvent& event);
    void OnAbout(wxCommandEvent& event);
    void Apply(const PageUpdate& update);
    void SizeForPage(const PageSize& size);

    Config m_config;
    int m_languageId;
    std::unique_ptr<InstallerPage> m_page;
    wxWebView* m_view = nullptr;
    bool m_templateLoaded = false;
    bool m_firstPageShown = false;
    int m_scriptsUnderWay = 0;
};

}  // namespace installer
