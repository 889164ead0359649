// CAboutDlg (dialog 100): Setup's name and version.
#pragma once

#include <wx/dialog.h>

namespace installer {

class CAboutDlg : public wxDialog {
public:
    explicit CAboutDlg(wxWindow* parent);
};

}  // namespace installer
