#include "CTuneDlg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "UiText.h"
#include "WxIds.h"
#include "resources/resource.h"
#include "uimodel/TuneMapping.h"

namespace {

wxArrayString ToWx(const std::vector<std::string>& items) {
    wxArrayString list;
    for (const std::string& item : items) {
        list.Add(ui::Wx(item));
    }
    return list;
}

}  // namespace

CTuneDlg::CTuneDlg(wxWindow* parent, CleaningSettings* settings, bool english)
    : wxDialog(parent, res::IDD_TUNE, ui::Text(res::kTextTuneCaption, english)),
      m_pSettings(settings),
      m_bEnglish(english) {
    CreateControls(english);
    if (m_pSettings != nullptr) {
        const uimodel::TuneControls controls = uimodel::ToControls(*m_pSettings);
        m_noiseCancel->SetValue(controls.noiseCancel);
        m_gainMax->SetSelection(controls.gainIndex);
        m_whiteNoise->SetValue(controls.whiteNoise);
        m_spectrum->SetValue(controls.spectrum);
        m_tone->SetValue(controls.tone);
        m_speechMode->SetValue(controls.speechMode);
        m_buffSize->SetSelection(controls.bufferIndex);
        (controls.afterNc == 1 ? m_enable : m_disable)->SetValue(true);
    } else {
        m_gainMax->SetSelection(uimodel::GainIndex(0xFFFFFFFF));
        m_buffSize->SetSelection(uimodel::BufferIndex(0));
        m_disable->SetValue(true);
    }
    Bind(wxEVT_BUTTON, &CTuneDlg::OnSave, this, wxID_OK);
}

// The controls in the order and grouping of the dialog resource, laid out by
// sizers: GTK fonts are wider than dialog units assume, and the Russian labels
// must not be cut.
void CTuneDlg::CreateControls(bool english) {
    const int gap = wxDLG_UNIT(this, wxSize(4, 0)).x;
    const int indent = wxDLG_UNIT(this, wxSize(14, 0)).x;
    auto* top = new wxBoxSizer(wxVERTICAL);

    auto* body = new wxBoxSizer(wxVERTICAL);
    m_noiseCancel =
        new wxCheckBox(this, res::IDC_NOISE_CANCEL, ui::Text(res::kTextTuneNoiseCancel, english));
    body->Add(m_noiseCancel, 0, wxBOTTOM, gap);

    auto* gainRow = new wxBoxSizer(wxHORIZONTAL);
    m_gainMax = new wxChoice(this, res::IDC_GAIN_MAX, wxDefaultPosition, wxDefaultSize,
                             ToWx(uimodel::GainItems()));
    gainRow->Add(m_gainMax, 0, wxALIGN_CENTER_VERTICAL);
    gainRow->Add(
        new wxStaticText(this, res::IDC_GAIN_LABEL, ui::Text(res::kTextTuneGainMax, english)), 0,
        wxALIGN_CENTER_VERTICAL | wxLEFT, gap);
    body->Add(gainRow, 0, wxBOTTOM, 2 * gap);

    m_whiteNoise =
        new wxCheckBox(this, res::IDC_WHITE_NOISE, ui::Text(res::kTextTuneWhiteNoise, english));
    m_spectrum = new wxCheckBox(this, res::IDC_SPECTRUM, ui::Text(res::kTextTuneSpectrum, english));
    m_tone = new wxCheckBox(this, res::IDC_TONE, ui::Text(res::kTextTuneTone, english));
    m_speechMode =
        new wxCheckBox(this, res::IDC_SPEECH_MODE, ui::Text(res::kTextTuneSpeechMode, english));
    body->Add(m_whiteNoise, 0, wxBOTTOM, gap);
    body->Add(m_spectrum, 0, wxBOTTOM, gap);
    body->Add(m_tone, 0, wxBOTTOM, gap);
    body->Add(m_speechMode, 0, wxBOTTOM, 2 * gap);

    auto* bufferRow = new wxBoxSizer(wxHORIZONTAL);
    m_buffSize = new wxChoice(this, res::IDC_BUFF_SIZE, wxDefaultPosition, wxDefaultSize,
                              ToWx(uimodel::BufferItems()));
    bufferRow->Add(m_buffSize, 0, wxALIGN_CENTER_VERTICAL);
    bufferRow->Add(
        new wxStaticText(this, res::IDC_BUFF_LABEL, ui::Text(res::kTextTuneBuffSize, english)), 0,
        wxALIGN_CENTER_VERTICAL | wxLEFT, gap);
    body->Add(bufferRow, 0, wxBOTTOM, 2 * gap);

    auto* group = new wxStaticBoxSizer(
        new wxStaticBox(this, res::IDC_AFTER_NC_GROUP, ui::Text(res::kTextTuneAfterNc, english)),
        wxVERTICAL);
    m_disable = new wxRadioButton(group->GetStaticBox(), res::IDC_DISABLE_RECLEANING,
                                  ui::Text(res::kTextTuneDisableRecleaning, english),
                                  wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_enable = new wxRadioButton(group->GetStaticBox(), res::IDC_ENABLE_RECLEANING,
                                 ui::Text(res::kTextTuneEnableRecleaning, english));
    group->Add(m_disable, 0, wxLEFT | wxTOP, indent / 2);
    group->Add(m_enable, 0, wxLEFT | wxTOP | wxBOTTOM, indent / 2);
    body->Add(group, 0, wxEXPAND);

    top->Add(body, 1, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, indent);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* save = new wxButton(this, wxID_OK, ui::Text(res::kTextSave, english));
    save->SetDefault();
    buttons->Add(save, 0, wxRIGHT, gap);
    buttons->Add(new wxButton(this, wxID_CANCEL, ui::Text(res::kTextCancel, english)));
    top->Add(buttons, 0, wxALIGN_CENTER | wxALL, 2 * gap);

    // About the width of the original dialog, so the short English labels do
    // not leave a narrow column; longer Russian labels widen it further.
    top->SetMinSize(wxSize(wxDLG_UNIT(this, wxSize(210, 0)).x, 0));
    SetSizerAndFit(top);
    CentreOnParent();
}

void CTuneDlg::OnSave(wxCommandEvent&) {
    if (m_pSettings != nullptr) {
        uimodel::TuneControls controls;
        controls.noiseCancel = m_noiseCancel->GetValue();
        controls.gainIndex = m_gainMax->GetSelection();
        controls.whiteNoise = m_whiteNoise->GetValue();
        controls.spectrum = m_spectrum->GetValue();
        controls.tone = m_tone->GetValue();
        controls.speechMode = m_speechMode->GetValue();
        controls.bufferIndex = m_buffSize->GetSelection();
        controls.afterNc = m_enable->GetValue() ? 1 : 0;
        uimodel::FromControls(controls, *m_pSettings);
    }
    EndModal(wxID_OK);
}
