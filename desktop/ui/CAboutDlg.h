// The About box (100). It shows both languages at once, whatever the
// interface language: Russian and English labels for the version and the
// build stamp, each with its own value field (1015/1016, 1021/1023).
#pragma once

#include <wx/dialog.h>

class CAboutDlg : public wxDialog {
public:
    explicit CAboutDlg(wxWindow* parent);
};
