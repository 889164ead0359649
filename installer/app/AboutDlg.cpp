#include "AboutDlg.h"

#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "AppIcon.h"
#include "resource.h"

namespace installer {

CAboutDlg::CAboutDlg(wxWindow* parent) : wxDialog(parent, res::kIddAboutBox, "About Setvane") {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticBitmap(this, wxID_ANY, wxBitmap(SetupIcon())), 0, wxALL, 10);
    row->Add(new wxStaticText(this, wxID_ANY, "Setvane Version 1.0"), 1,
             wxALIGN_CENTER_VERTICAL | wxALL, 10);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(row, 1, wxEXPAND);
    column->Add(CreateButtonSizer(wxOK), 0, wxALIGN_RIGHT | wxALL, 10);
    SetSizerAndFit(column);
    CentreOnParent();
}

}  // namespace installer
