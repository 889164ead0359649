#include "SVDlg.h"
#include "WindowText.h"

#include <gdk/gdk.h>
#include <glib.h>
#include <wx/accel.h>
#include <wx/app.h>
#include <wx/display.h>
#include <wx/sizer.h>
#include <wx/time.h>
#include <wx/utils.h>
#include <wx/webview.h>

#include <filesystem>

#include "AboutDlg.h"
#include "AppIcon.h"
#include "installer/Log.h"
#include "installer/PageScript.h"
#include "installer/PageTemplate.h"
#include "resource.h"

namespace installer {
namespace {

constexpr char kMessageHandlerName[] = "setup";
constexpr int kDialogWidthDlu = 316;
constexpr int kDialogHeightDlu = 198;

// Marks the results of the dialog's own scripts.
int ownScriptTag;

// The current folder's file:// address, percent-encoded as the web view
// gives it back (a medium under "/media/user/HUSHDESK 1.0").
std::string CurrentDirectoryUrl() {
    std::error_code ignored;
    std::string folder = std::filesystem::current_path(ignored).string();
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    gchar* uri = g_filename_to_uri(folder.c_str(), nullptr, nullptr);
    std::string url = uri != nullptr ? uri : "file:///";
    g_free(uri);
    return url;
}

}  // namespace

bool CSVDlg::IsWebViewAvailable() {
    return wxWebView::IsBackendAvailable(wxWebViewBackendDefault);
}

CSVDlg::CSVDlg(wxWindow* parent, Config config, int languageId, Launcher& launcher)
    : m_config(std::move(config)), m_languageId(languageId) {
    Create(parent, res::kIddSetupDialog, WindowText(m_config.Title), wxDefaultPosition,
           wxDefaultSize, wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);
    if (languageId == kRightToLeftLanguageId) {
        SetLayoutDirection(wxLayout_RightToLeft);
    }
    SetIcon(SetupIcon());
    SetSize(wxDLG_UNIT(this, wxSize(kDialogWidthDlu, kDialogHeightDlu)));

    const wxSize dip = FromDIP(wxSize(1000, 1000));
    m_page = std::make_unique<InstallerPage>(m_config, languageId, launcher, this,
                                             DisplayScale{dip.x / 1000.0, dip.y / 1000.0});

    m_view = wxWebView::New(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                            wxWebViewBackendDefault, wxBORDER_NONE);
    m_view->EnableContextMenu(false);
    m_view->EnableAccessToDevTools(false);
    if (!m_view->AddScriptMessageHandler(kMessageHandlerName)) {
        Log("CSVDlg: the page cannot report clicks (no script message handler)\n");
    }
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_view, 1, wxEXPAND);
    SetSizer(sizer);

    m_view->Bind(wxEVT_WEBVIEW_LOADED, &CSVDlg::OnLoaded, this);
    m_view->Bind(wxEVT_WEBVIEW_NAVIGATING, &CSVDlg::OnNavigating, this);
    m_view->Bind(wxEVT_WEBVIEW_NEWWINDOW, &CSVDlg::OnNewWindow, this);
    m_view->Bind(wxEVT_WEBVIEW_SCRIPT_MESSAGE_RECEIVED, &CSVDlg::OnScriptMessage, this);
    m_view->Bind(wxEVT_WEBVIEW_SCRIPT_RESULT, &CSVDlg::OnScriptResult, this);
    Bind(wxEVT_MENU, &CSVDlg::OnAbout, this, res::kIdAboutCommand);

    // The window menu's About item of old has no place in GTK: F1 opens it.
    // Esc closes the page like its exit link.
    wxAcceleratorEntry keys[] = {{wxACCEL_NORMAL, WXK_F1, res::kIdAboutCommand},
                                 {wxACCEL_NORMAL, WXK_ESCAPE, wxID_CANCEL}};
    SetAcceleratorTable(wxAcceleratorTable(2, keys));

    const std::string baseUrl = CurrentDirectoryUrl();
    m_view->SetPage(WindowText(PageTemplateFor(NewScriptNonce())), WindowText(baseUrl));
}

CSVDlg::~CSVDlg() = default;

void CSVDlg::OnLoaded(wxWebViewEvent& event) {
    // The view may first report its empty start page; the template is the
    // first load of anything else (its address as the view spells it).
    if (m_templateLoaded || event.GetURL().empty() || event.GetURL() == "about:blank") {
        return;
    }
    m_templateLoaded = true;
    Apply(m_page->FirstPage());
}

void CSVDlg::OnNavigating(wxWebViewEvent& event) {
    if (m_templateLoaded) {
        event.Veto();
    }
}

void CSVDlg::OnNewWindow(wxWebViewEvent& event) {
    event.Veto();
}

void CSVDlg::OnScriptMessage(wxWebViewEvent& event) {
    Apply(m_page->HandleClickReport(event.GetString().utf8_string()));
}

void CSVDlg::OnScriptResult(wxWebViewEvent& event) {
    if (event.GetClientData() == &ownScriptTag && m_scriptsUnderWay > 0) {
        --m_scriptsUnderWay;
    }
    event.Skip();
}

void CSVDlg::RunPageScript(const wxString& script) {
    ++m_scriptsUnderWay;
    m_view->RunScriptAsync(script, &ownScriptTag);
}

void CSVDlg::SettleScripts(int timeoutMs) {
    const wxLongLong end = wxGetLocalTimeMillis() + timeoutMs;
    while (m_scriptsUnderWay > 0 && wxGetLocalTimeMillis() < end) {
        wxTheApp->Yield(true);
        wxMilliSleep(5);
    }
}

void CSVDlg::OnAbout(wxCommandEvent&) {
    CAboutDlg about(this);
    about.ShowModal();
}

void CSVDlg::Apply(const PageUpdate& update) {
    switch (update.command) {
        case PageCommand::None:
            return;
        case PageCommand::CloseOk:
            EndModal(wxID_OK);
            return;
        case PageCommand::CloseCancel:
            EndModal(wxID_CANCEL);
            return;
        case PageCommand::Show:
            break;
    }
    SetTitle(WindowText(update.page.title));
    // Asynchronous: a synchronous script runs a nested event loop, in which a
    // queued click could start a second installer.
    RunPageScript(
        WindowText(SetBodyScript(update.page.body, update.page.texts, update.generation)));
    SizeForPage(update.page.size);
    m_firstPageShown = true;
}

void CSVDlg::SizeForPage(const PageSize& size) {
    const int displayIndex = wxDisplay::GetFromWindow(this);
    const wxRect area = wxDisplay(displayIndex == wxNOT_FOUND ? 0 : displayIndex).GetClientArea();
    const PixelSize first = ClampToWorkArea(size.width, size.height, area.width, area.height);
    SetSize(first.width, first.height);
    if (size.scaleClientWidth) {
        const PixelSize second =
            ClampToWorkArea(GetClientSize().x * size.scale.horizontal,
                            size.height * size.scale.vertical, area.width, area.height);
        SetSize(second.width, second.height);
    }
    if (size.centred) {
        CentreOnScreen();
    }
}

void CSVDlg::HideForLaunch() {
    // wxDialog::Show(false) would end the modal loop that the page runs in;
    // the top-level window's own Show only takes the window off the screen.
    wxTopLevelWindow::Show(false);
    // The request to hide waits in the connection to the display until the
    // event loop runs again, which it does not while the installer is
    // waited for: send it now, or the window stays on the screen throughout.
    gdk_display_flush(gdk_display_get_default());
}

void CSVDlg::RestoreAfterLaunch() {
    wxTopLevelWindow::Show(true);
    Iconize(false);
    Raise();
}

}  // namespace installer
