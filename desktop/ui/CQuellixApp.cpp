#include "CQuellixApp.h"

#include "CAboutDlg.h"
#include "CMainFrame.h"
#include "CQuellixDoc.h"
#include "MessageBox.h"
#include "WxIds.h"
#include "resources/resource.h"

CQuellixApp::CQuellixApp() {
    Bind(wxEVT_MENU, &CQuellixApp::OnAppAbout, this, ui::WxId(res::ID_APP_ABOUT));
    Bind(wxEVT_MENU, &CQuellixApp::OnAppExit, this, ui::WxId(res::ID_APP_EXIT));
}

CQuellixApp::~CQuellixApp() = default;

bool CQuellixApp::OnInit() {
    // wx's own command-line parser would refuse file names; GTK has already
    // taken its options out of argv.
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i].utf8_string();
        if (!arg.empty() && arg[0] != '-') {
            files.push_back(arg);
        }
    }
    SetAppName("Hushdesk");
    return InitInstance(files);
}

bool CQuellixApp::InitInstance(const std::vector<std::string>& files) {
    ui::InstallPlatformMessageHandler();
    m_document = std::make_unique<CQuellixDoc>(m_jobSync);
    m_frame = new CMainFrame(*m_document);
    m_frame->Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& event) {
        event.Skip();
        if (event.GetEventObject() == m_frame) {
            m_frame = nullptr;
        }
    });
    SetTopWindow(m_frame);
    m_frame->InitialUpdate();
    m_frame->Show(true);
    m_frame->Update();
    // Only the first operand: the program holds one recording at a time.
    if (!files.empty()) {
        m_document->OpenPath(files.front());
    }
    return true;
}

void CQuellixApp::ExitInstance() {
    if (m_frame != nullptr) {
        m_frame->Close(true);
    }
    // Windows are deleted when the event loop next idles.
    DeletePendingObjects();
    if (m_document != nullptr) {
        m_document->onTitleChanged = nullptr;
    }
    m_document.reset();
}

int CQuellixApp::OnExit() {
    m_document.reset();
    return wxApp::OnExit();
}

void CQuellixApp::OnAppAbout(wxCommandEvent&) {
    CAboutDlg dialog(m_frame);
    dialog.ShowModal();
}

void CQuellixApp::OnAppExit(wxCommandEvent&) {
    if (m_frame != nullptr) {
        m_frame->Close();
    }
}
