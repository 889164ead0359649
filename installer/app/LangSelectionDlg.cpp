#include "LangSelectionDlg.h"

#include "WindowText.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <filesystem>

#include "AppIcon.h"
#include "installer/Log.h"
#include "platform/ShowMessage.h"
#include "platform/UiLanguage.h"
#include "resource.h"

namespace installer {
namespace {

constexpr int kDialogWidthDlu = 244;
constexpr int kDialogHeightDlu = 71;

// A medium text, or the built-in one when the medium leaves it empty.
wxString TextOr(const std::string& text, const char* builtIn) {
    return text.empty() ? wxString(builtIn) : WindowText(text);
}

}  // namespace

CLangSelectionDlg::CLangSelectionDlg(wxWindow* parent, const LanguageChoice& choice,
                                     bool okWithoutChoice)
    : wxDialog(parent, res::kIddLanguageDialog, "Installation language selection") {
    SetIcon(SetupIcon());
    m_prompt = new wxStaticText(this, res::kIdcLanguagePrompt, "Select language from list:");
    m_list = new wxChoice(this, res::kIdcLanguageList);
    for (const LanguageOption& option : choice.options) {
        // The id travels with the item, as the list's item data did.
        m_list->Append(WindowText(option.name),
                       reinterpret_cast<void*>(static_cast<intptr_t>(option.id)));
    }
    auto* ok = new wxButton(this, wxID_OK, "OK");
    auto* cancel = new wxButton(this, wxID_CANCEL, "Cancel");

    if (choice.texts) {
        SetTitle(TextOr(choice.texts->HeaderName, "Installation language selection"));
        m_prompt->SetLabel(TextOr(choice.texts->Label, "Select language from list:"));
        ok->SetLabel(TextOr(choice.texts->BtnOk, "OK"));
        cancel->SetLabel(TextOr(choice.texts->BtnCancel, "Cancel"));
    }
    if (choice.preselected) {
        m_list->SetSelection(static_cast<int>(*choice.preselected));
    }
    m_languageId = choice.languageId;
    ok->Enable(m_list->GetSelection() != wxNOT_FOUND || okWithoutChoice);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    buttons->Add(ok, 0, wxRIGHT, 8);
    buttons->Add(cancel);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(m_prompt, 0, wxLEFT | wxRIGHT | wxTOP, 10);
    column->Add(m_list, 0, wxEXPAND | wxALL, 10);
    column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
    SetSizer(column);
    SetMinSize(wxDLG_UNIT(this, wxSize(kDialogWidthDlu, kDialogHeightDlu)));
    Fit();
    CentreOnScreen();
    ok->SetDefault();

    m_list->Bind(wxEVT_CHOICE, &CLangSelectionDlg::OnSelect, this);
}

void CLangSelectionDlg::OnSelect(wxCommandEvent& event) {
    const int selection = m_list->GetSelection();
    if (selection == wxNOT_FOUND) {
        return;
    }
    m_languageId = static_cast<int>(reinterpret_cast<intptr_t>(m_list->GetClientData(selection)));
    if (wxWindow* ok = FindWindow(wxID_OK)) {
        ok->Enable();
    }
    event.Skip();
}

std::optional<LanguageSelection> RunLanguageSelection(wxWindow* parent) {
    Log("CLangSelectionDlg::OnInitDialog() - started\n");
    const std::vector<LangDlgItem> entries = ReadLanguageEntries();
    const int uiLanguage = platform::UserDefaultUILanguage();
    if (const auto message = NoConfigurationMessage(entries, uiLanguage)) {
        // An empty language list would leave the user only Cancel, unexplained.
        Log(*message + "\n");
        platform::ShowMessage(*message, "Setup", platform::kMbIconError);
        return std::nullopt;
    }
    const LanguageChoice choice = ChooseLanguage(entries, uiLanguage);
    if (choice.autoOk) {
        return LanguageSelection{choice.languageId,
                                 ConfigFileForLanguage(choice.languageId, entries)};
    }
    CLangSelectionDlg dialog(parent, choice, HasZeroConfigFile());
    if (choice.texts) {
        Log("CLangSelectionDlg::OnInitDialog() - finished\n\n");
    }
    if (dialog.ShowModal() != wxID_OK) {
        return std::nullopt;
    }
    const int languageId = dialog.LanguageId();
    return LanguageSelection{languageId, ConfigFileForLanguage(languageId, entries)};
}

}  // namespace installer
