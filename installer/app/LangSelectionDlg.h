// CLangSelectionDlg (dialog 129): the list of the medium's languages.
#pragma once

#include <wx/dialog.h>

#include <optional>

#include "installer/LanguageChoice.h"
#include "installer/StartUp.h"

class wxChoice;
class wxStaticText;

namespace installer {

class CLangSelectionDlg : public wxDialog {
public:
    // `okWithoutChoice`: OK may be pressed before a language is chosen (a
    // medium with a "0.xml" for that case).
    CLangSelectionDlg(wxWindow* parent, const LanguageChoice& choice, bool okWithoutChoice);

    // The language chosen so far (0: none).
    int LanguageId() const { return m_languageId; }

    wxChoice* List() const { return m_list; }
    wxStaticText* Prompt() const { return m_prompt; }

private:
    void OnSelect(wxCommandEvent& event);

    wxChoice* m_list = nullptr;
    wxStaticText* m_prompt = nullptr;
    int m_languageId = 0;
};

// The whole language step of start-up: reads the medium's language entries,
// takes a sole language without asking, else runs the dialog. nullopt when
// it was cancelled.
std::optional<LanguageSelection> RunLanguageSelection(wxWindow* parent);

}  // namespace installer
