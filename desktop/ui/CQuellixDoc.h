// The program's one document: the recording being worked on, its cleaning
// settings and the interface language.
//
// Commands reach the document through the frame's routing (CMainFrame.h): it
// is a wxEvtHandler, so a command handler is a Bind in the constructor, e.g.
//   Bind(wxEVT_MENU, &CQuellixDoc::OnFileOpen, this, ui::WxId(res::ID_FILE_OPEN));
//   Bind(wxEVT_UPDATE_UI, &CQuellixDoc::OnUpdateX, this, ui::WxId(...));
// The document holds no window; it reaches the frame's caption through
// `onTitleChanged` and the view through the frame.
#pragma once

#include <wx/event.h>

#include <cstdint>
#include <functional>
#include <string>

#include "pipeline/CleaningSettings.h"

class wxWindow;

class CQuellixDoc : public wxEvtHandler {
public:
    // Loads the cleaning settings from the store; missing values keep their
    // defaults.
    CQuellixDoc();
    ~CQuellixDoc() override;
    CQuellixDoc(const CQuellixDoc&) = delete;
    CQuellixDoc& operator=(const CQuellixDoc&) = delete;

    // Opens the recording at `path` as File > Open does after its file
    // dialog. Until the recording itself is loaded here, it only takes the path
    // as the document's path and title.
    virtual bool OpenPath(const std::string& path);

    // The title the frame shows before " - Hushdesk"; empty with no recording.
    const std::string& GetTitle() const { return m_strTitle; }
    void SetTitle(const std::string& title);

    // True while the recording is worked on through its mapped working copy.
    bool IsMappedMode() const { return false; }

    // Noise-cleaning settings (32789): reloads the record, runs the settings
    // dialog, on Save stores the record and re-evaluates m_bCleanAllowed
    // after a pass.
    void RunSettingsDialog(wxWindow* parent);

    int32_t m_bEnglish = 1;  // interface language: 1 English, 0 Russian
    CleaningSettings m_settings;
    uint32_t m_nCleanPasses = 0;  // cleaning passes run on the current recording
    bool m_bCleanAllowed = false;
    bool m_bModalOpen = false;  // a modal window of the document is running
    std::string m_strPath;      // full path of the current recording; empty when none

    std::function<void()> onTitleChanged;

private:
    void OnNoiseSettings(wxCommandEvent& event);

    std::string m_strTitle;
};
