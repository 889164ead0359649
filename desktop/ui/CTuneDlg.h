// The noise-cleaning settings dialog (139). It edits the settings record it
// is given only when Save is pressed; Cancel leaves every field as it was.
// The dialog never touches the store: the document reloads and saves it.
#pragma once

#include <wx/dialog.h>

#include "pipeline/CleaningSettings.h"

class wxCheckBox;
class wxChoice;
class wxRadioButton;

class CTuneDlg : public wxDialog {
public:
    CTuneDlg(wxWindow* parent, CleaningSettings* settings, bool english);

private:
    void CreateControls(bool english);
    void OnSave(wxCommandEvent& event);

    CleaningSettings* m_pSettings;  // the document's; not owned
    bool m_bEnglish;
    wxCheckBox* m_noiseCancel = nullptr;  // 1006
    wxChoice* m_gainMax = nullptr;        // 1007
    wxCheckBox* m_whiteNoise = nullptr;   // 1008
    wxCheckBox* m_spectrum = nullptr;     // 1009
    wxCheckBox* m_tone = nullptr;         // 1010
    wxCheckBox* m_speechMode = nullptr;   // 1100
    wxChoice* m_buffSize = nullptr;       // 1011
    wxRadioButton* m_disable = nullptr;   // 1012
    wxRadioButton* m_enable = nullptr;    // 1013
};
