#include "CMainFrame.h"

#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include <algorithm>

#include "CQuellixDoc.h"
#include "CQuellixView.h"
#include "MainMenu.h"
#include "MessageBox.h"
#include "ProgramArt.h"
#include "UiText.h"
#include "WxIds.h"
#include "pipeline/SettingsStore.h"
#include "resources/resource.h"
#include "uimodel/LanguageChoice.h"
#include "uimodel/MenuTable.h"
#include "uimodel/WindowPlacement.h"

CMainFrame::CMainFrame(CQuellixDoc& document)
    : CPersistentFrame(ui::Text(res::IDS_APP_TITLE)), m_document(document) {
    SetIcons(ui::ProgramIcons());
    SetMenuBar(ui::CreateMainMenuBar());
    CreateToolbar();
    CreateStatusPanes();
    m_view = new CQuellixView(this, m_document);

    const uimodel::BarVisibility bars = uimodel::LoadBarVisibility();
    GetToolBar()->Show(bars.toolbar);
    GetStatusBar()->Show(bars.statusBar);

    m_document.onTitleChanged = [this] { UpdateCaption(); };

    Bind(wxEVT_IDLE, &CMainFrame::OnIdle, this);
    // Keys (Space, the zoom and scroll keys) go to the waveform whenever the
    // window comes to the front, not only after a load.
    Bind(wxEVT_ACTIVATE, [this](wxActivateEvent& event) {
        event.Skip();
        if (event.GetActive() && m_view != nullptr) {
            m_view->WaveArea().SetFocus();
        }
    });
    GetStatusBar()->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        event.Skip();
        FitPaneWidths();
    });
    Bind(wxEVT_MENU, &CMainFrame::OnViewToolbar, this, ui::WxId(res::ID_VIEW_TOOLBAR));
    Bind(wxEVT_MENU, &CMainFrame::OnViewStatusBar, this, ui::WxId(res::ID_VIEW_STATUS_BAR));
    Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateViewToolbar, this, ui::WxId(res::ID_VIEW_TOOLBAR));
    Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateViewStatusBar, this,
         ui::WxId(res::ID_VIEW_STATUS_BAR));
    for (uint32_t id : {res::ID_LANGUAGE_ENGLISH, res::ID_LANGUAGE_RUSSIAN}) {
        Bind(wxEVT_MENU, &CMainFrame::OnLanguage, this, ui::WxId(id));
        Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateLanguage, this, ui::WxId(id));
    }
}

void CMainFrame::CreateToolbar() {
    wxToolBar* toolbar =
        CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT | wxTB_TOP, ui::WxId(res::ID_VIEW_TOOLBAR));
    toolbar->SetToolBitmapSize(wxSize(uimodel::kToolImageSize, uimodel::kToolImageSize));
    for (const uimodel::ToolbarButton& button : uimodel::ToolbarButtons()) {
        toolbar->AddTool(ui::WxId(button.command), wxEmptyString, ui::ToolImage(button.command),
                         ui::Text(button.tooltip, true));
    }
    toolbar->Realize();
}

void CMainFrame::CreateStatusPanes() {
    wxStatusBar* statusBar =
        CreateStatusBar(static_cast<int>(res::kIndicatorCount), wxSTB_DEFAULT_STYLE,
                        ui::WxId(res::ID_VIEW_STATUS_BAR));
    // The widths are the least each pane gets; GTK's fonts are wider than the
    // ones they were measured for, so a pane grows until its longest text in
    // either language fits.
    const auto samples = uimodel::WidestPaneTexts();
    const int padding = statusBar->GetTextExtent("MM").x;
    for (uint32_t i = 0; i < res::kIndicatorCount; ++i) {
        m_paneWidths[i] = uimodel::kPaneWidths[i];
        for (const std::string& text : samples[i]) {
            m_paneWidths[i] =
                std::max(m_paneWidths[i], statusBar->GetTextExtent(ui::Wx(text)).x + padding);
        }
    }
    FitPaneWidths();
    // Every pane is an indicator: menu help texts would overwrite the first.
    SetStatusBarPane(-1);
}

// The pass count stretches over the rest of the bar, but never below its own
// width: a stretching pane narrower than that would get a negative width.
void CMainFrame::FitPaneWidths() {
    wxStatusBar* statusBar = GetStatusBar();
    int fixed = 0;
    for (uint32_t i = 0; i + 1 < res::kIndicatorCount; ++i) {
        fixed += m_paneWidths[i];
    }
    const int last = m_paneWidths[res::kIndicatorCount - 1];
    const bool stretch = statusBar->GetClientSize().x - fixed > last;
    int widths[res::kIndicatorCount];
    std::copy(std::begin(m_paneWidths), std::end(m_paneWidths), widths);
    widths[res::kIndicatorCount - 1] = stretch ? -1 : last;
    statusBar->SetStatusWidths(static_cast<int>(res::kIndicatorCount), widths);
}

void CMainFrame::InitialUpdate() {
    ApplyLanguageAtStart();
    m_view->OnInitialUpdate();
    RefreshFromDocument();
    UpdateCaption();
}

void CMainFrame::ApplyLanguageAtStart() {
    bool english = true;
    LoadLanguage(&english);
    m_document.m_bEnglish = english ? 1 : 0;
    m_bMenuEnglish = english;
    if (english) {
        ui::RelabelMainMenu(*GetMenuBar(), true);
    }
    GetMenuBar()->Check(ui::WxId(english ? res::ID_LANGUAGE_ENGLISH : res::ID_LANGUAGE_RUSSIAN),
                        true);
}

bool CMainFrame::TryBefore(wxEvent& event) {
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_MENU || type == wxEVT_UPDATE_UI) {
        if (m_view != nullptr && m_view->GetEventHandler()->ProcessEventLocally(event)) {
            return true;
        }
        if (m_document.ProcessEventLocally(event)) {
            return true;
        }
    }
    return CPersistentFrame::TryBefore(event);
}

void CMainFrame::RefreshFromDocument() {
    UpdatePanes();
    UpdateTooltips();
}

void CMainFrame::UpdateCaption() {
    const wxString appTitle = ui::Text(res::IDS_APP_TITLE);
    const std::string& title = m_document.GetTitle();
    const wxString caption = title.empty() ? appTitle : ui::Wx(title) + " - " + appTitle;
    if (GetTitle() != caption) {
        SetTitle(caption);
    }
}

void CMainFrame::UpdatePanes() {
    const uimodel::PaneTextArray texts =
        uimodel::PaneTexts(m_document.m_settings, m_document.m_nCleanPasses,
                           m_document.IsMappedMode(), m_document.m_bEnglish != 0);
    wxStatusBar* statusBar = GetStatusBar();
    for (size_t i = 0; i < texts.size(); ++i) {
        // Only changed texts are set: setting a pane repaints the bar.
        if (texts[i] != m_paneTexts[i]) {
            m_paneTexts[i] = texts[i];
            statusBar->SetStatusText(ui::Wx(texts[i]), static_cast<int>(i));
        }
    }
}

void CMainFrame::UpdateTooltips() {
    const int english = m_document.m_bEnglish != 0 ? 1 : 0;
    if (english == m_nTooltipsEnglish) {
        return;
    }
    m_nTooltipsEnglish = english;
    wxToolBar* toolbar = GetToolBar();
    for (const uimodel::ToolbarButton& button : uimodel::ToolbarButtons()) {
        toolbar->SetToolShortHelp(ui::WxId(button.command), ui::Text(button.tooltip, english != 0));
    }
}

void CMainFrame::OnIdle(wxIdleEvent& event) {
    event.Skip();
    RefreshFromDocument();
}

void CMainFrame::OnViewToolbar(wxCommandEvent&) {
    GetToolBar()->Show(!GetToolBar()->IsShown());
    SendSizeEvent();
    SaveBars();
}

void CMainFrame::OnViewStatusBar(wxCommandEvent&) {
    GetStatusBar()->Show(!GetStatusBar()->IsShown());
    SendSizeEvent();
    SaveBars();
}

void CMainFrame::SaveBars() {
    uimodel::SaveBarVisibility({GetToolBar()->IsShown(), GetStatusBar()->IsShown()});
}

void CMainFrame::OnUpdateViewToolbar(wxUpdateUIEvent& event) {
    event.Check(GetToolBar()->IsShown());
}

void CMainFrame::OnUpdateViewStatusBar(wxUpdateUIEvent& event) {
    event.Check(GetStatusBar()->IsShown());
}

// The menus show the language of the start until the next start, so the
// radio mark stays there too (GTK would move it on a click).
void CMainFrame::OnUpdateLanguage(wxUpdateUIEvent& event) {
    const bool englishItem = event.GetId() == ui::WxId(res::ID_LANGUAGE_ENGLISH);
    event.Check(englishItem == m_bMenuEnglish);
}

void CMainFrame::OnLanguage(wxCommandEvent& event) {
    const bool toEnglish = event.GetId() == ui::WxId(res::ID_LANGUAGE_ENGLISH);
    GetMenuBar()->Check(
        ui::WxId(m_bMenuEnglish ? res::ID_LANGUAGE_ENGLISH : res::ID_LANGUAGE_RUSSIAN), true);
    bool storedEnglish = true;
    LoadLanguage(&storedEnglish);
    if (storedEnglish == toEnglish) {
        return;
    }
    const int answer =
        ui::ShowMessageBox(ui::Wx(uimodel::LanguageQuestion(toEnglish)),
                           ui::Text(res::IDS_APP_TITLE), wxOK | wxCANCEL | wxICON_QUESTION, this);
    if (answer != wxID_OK) {
        return;
    }
    m_document.m_bEnglish = toEnglish ? 1 : 0;
    SaveLanguage(toEnglish);
    if (m_view != nullptr && !m_document.m_strPath.empty()) {
        m_view->SetFileInformation(m_document.FileInformation());
    }
    RefreshFromDocument();
}
