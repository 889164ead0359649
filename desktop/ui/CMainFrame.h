// The main window: menu 128, toolbar 128, the status bar with panes 111..118
// and the view.
//
// Command routing. Menu items, toolbar buttons and keys all raise wxEVT_MENU
// with the command's wx id (ui::WxId(res::ID_...)); wx asks for
// wxEVT_UPDATE_UI with the same id to enable, check or relabel them. The frame
// hands both kinds of event on in this order, the first handler that does not
// Skip() ends the search:
//   1. the view (CQuellixView): playback, zoom;
//   2. the document (CQuellixDoc): Open, Close, Perform cleaning, Settings;
//   3. the frame itself: View > Toolbar / Status Bar, the language commands;
//   4. the application (CQuellixApp): About, Exit.
// So a handler lives with the object that owns the state it changes, and is
// bound in that object's constructor.
#pragma once

#include <array>
#include <string>

#include "CPersistentFrame.h"
#include "resources/resource.h"
#include "uimodel/PaneTexts.h"

class CQuellixDoc;
class CQuellixView;
class wxToolBar;

class CMainFrame : public CPersistentFrame {
public:
    explicit CMainFrame(CQuellixDoc& document);

    // Applies the interface language (the menus are relabelled only here, so
    // they keep the language of the start until the next start), then gives
    // the view its first initial update.
    void InitialUpdate();

    CQuellixDoc& GetDocument() const { return m_document; }
    CQuellixView* GetView() const { return m_view; }

    // Brings the caption, the panes and the tooltips up to date with the
    // document now (the frame also does this whenever it is idle).
    void RefreshFromDocument();
    // The caption: "<document title> - Hushdesk", or "Hushdesk" with no title.
    void UpdateCaption();

protected:
    bool TryBefore(wxEvent& event) override;

private:
    void CreateToolbar();
    void CreateStatusPanes();
    void ApplyLanguageAtStart();
    void FitPaneWidths();
    void UpdatePanes();
    void UpdateTooltips();

    void OnIdle(wxIdleEvent& event);
    void OnViewToolbar(wxCommandEvent& event);
    void OnViewStatusBar(wxCommandEvent& event);
    void OnUpdateViewToolbar(wxUpdateUIEvent& event);
    void OnUpdateViewStatusBar(wxUpdateUIEvent& event);
    void OnLanguage(wxCommandEvent& event);
    void OnUpdateLanguage(wxUpdateUIEvent& event);
    void SaveBars();

    CQuellixDoc& m_document;
    CQuellixView* m_view = nullptr;
    bool m_bMenuEnglish = true;   // the language the menus were labelled in
    int m_nTooltipsEnglish = -1;  // language of the tooltips set; -1 none yet
    uimodel::PaneTextArray m_paneTexts;
    int m_paneWidths[res::kIndicatorCount] = {};
};
