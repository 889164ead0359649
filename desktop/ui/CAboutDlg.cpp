#include "CAboutDlg.h"

#include <wx/button.h>
#include <wx/font.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "ProgramArt.h"
#include "UiText.h"
#include "resources/resource.h"
#include "uimodel/AboutTexts.h"

CAboutDlg::CAboutDlg(wxWindow* parent)
    : wxDialog(parent, res::IDD_ABOUTBOX, ui::Text(res::IDS_ABOUT_TITLE)) {
    const int gap = wxDLG_UNIT(this, wxSize(4, 0)).x;
    const wxString version = ui::Wx(uimodel::ProgramVersionText());
    const wxString stamp = ui::Wx(uimodel::ProgramBuildStampText());

    auto* head = new wxBoxSizer(wxHORIZONTAL);
    head->Add(new wxStaticBitmap(this, wxID_ANY, ui::ProgramIcon(48)), 0, wxRIGHT, 3 * gap);
    auto* names = new wxBoxSizer(wxVERTICAL);
    auto* product = new wxStaticText(this, wxID_ANY, ui::Text(res::IDS_APP_TITLE));
    product->SetFont(product->GetFont().Bold().Larger());
    names->Add(product, 0, wxBOTTOM, gap);
    names->Add(new wxStaticText(this, wxID_ANY, ui::Text(res::IDS_ABOUT_MAKER)));
    names->Add(new wxStaticText(this, wxID_ANY, ui::Text(res::IDS_ABOUT_COPYRIGHT)));
    head->Add(names, 0, wxALIGN_CENTER_VERTICAL);

    // Label and value pairs; the value fields keep the resource ids.
    auto* fields = new wxFlexGridSizer(2, wxSize(gap, gap));
    auto addRow = [&](uint32_t labelId, uint32_t fieldId, const wxString& value) {
        fields->Add(new wxStaticText(this, wxID_ANY, ui::Text(labelId)));
        fields->Add(new wxStaticText(this, static_cast<int>(fieldId), value));
    };
    addRow(res::IDS_ABOUT_VERSION_RU, res::IDC_VERSION_RU, version);
    addRow(res::IDS_ABOUT_DATE_RU, res::IDC_BUILD_DATE_RU, stamp);
    addRow(res::IDS_ABOUT_VERSION_EN, res::IDC_VERSION_EN, version);
    addRow(res::IDS_ABOUT_DATE_EN, res::IDC_BUILD_DATE_EN, stamp);

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(head, 0, wxALL, 3 * gap);
    top->Add(fields, 0, wxLEFT | wxRIGHT, 3 * gap);
    auto* ok = new wxButton(this, wxID_OK, ui::Text(res::IDS_ABOUT_OK));
    ok->SetDefault();
    top->Add(ok, 0, wxALIGN_CENTER | wxALL, 3 * gap);
    SetSizerAndFit(top);
    CentreOnParent();
}
