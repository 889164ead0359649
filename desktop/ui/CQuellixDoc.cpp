#include "CQuellixDoc.h"

#include <wx/app.h>
#include <wx/filename.h>

#include "CTuneDlg.h"
#include "WxIds.h"
#include "pipeline/SettingsStore.h"
#include "resources/resource.h"

CQuellixDoc::CQuellixDoc() {
    LoadSettings(&m_settings);
    Bind(wxEVT_MENU, &CQuellixDoc::OnNoiseSettings, this, ui::WxId(res::ID_NOISE_SETTINGS));
}

CQuellixDoc::~CQuellixDoc() = default;

bool CQuellixDoc::OpenPath(const std::string& path) {
    m_strPath = path;
    m_nCleanPasses = 0;
    SetTitle(wxFileName(wxString::FromUTF8(path.c_str())).GetFullName().utf8_string());
    return true;
}

void CQuellixDoc::SetTitle(const std::string& title) {
    m_strTitle = title;
    if (onTitleChanged) {
        onTitleChanged();
    }
}

void CQuellixDoc::RunSettingsDialog(wxWindow* parent) {
    LoadSettings(&m_settings);
    m_bModalOpen = true;
    CTuneDlg dialog(parent, &m_settings, m_bEnglish != 0);
    const int result = dialog.ShowModal();
    m_bModalOpen = false;
    if (result != wxID_OK) {
        return;
    }
    SaveSettings(&m_settings);
    if (m_nCleanPasses > 0) {
        m_bCleanAllowed = m_settings.afterNc > 0;
    }
}

void CQuellixDoc::OnNoiseSettings(wxCommandEvent&) {
    wxWindow* parent = wxTheApp != nullptr ? wxTheApp->GetTopWindow() : nullptr;
    RunSettingsDialog(parent);
}
