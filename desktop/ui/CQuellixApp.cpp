#include "CQuellixApp.h"

#include <wx/evtloop.h>
#include <wx/timer.h>

#include "CAboutDlg.h"
#include "CMainFrame.h"
#include "CProgressDlg.h"
#include "CQuellixDoc.h"
#include "CQuellixView.h"
#include "MessageBox.h"
#include "OrderlyExit.h"
#include "WxIds.h"
#include "pipeline/WorkingCopyLock.h"
#include "platform/Files.h"
#include "resources/resource.h"
#include "uimodel/CommandLineFiles.h"

CQuellixApp::CQuellixApp() {
    Bind(wxEVT_MENU, &CQuellixApp::OnAppAbout, this, ui::WxId(res::ID_APP_ABOUT));
    Bind(wxEVT_MENU, &CQuellixApp::OnAppExit, this, ui::WxId(res::ID_APP_EXIT));
}

CQuellixApp::~CQuellixApp() = default;

bool CQuellixApp::OnInit() {
    // wx's own command-line parser would refuse file names, and its argv is
    // text: a name that is not valid UTF-8 would be lost. The raw words keep
    // every byte.
    bool raw = false;
    std::vector<std::string> words = uimodel::OwnCommandLineWords(&raw);
    if (!raw) {
        words.clear();
        for (int i = 1; i < argc; ++i) {
            words.push_back(argv[i].utf8_string());
        }
    }
    const std::vector<std::string> files = uimodel::CommandLineFiles(words);
    SetAppName("Hushdesk");
    ui::InstallExitHandling([this] { OnExitSignal(); });
    // Runs that were killed hard or crashed could not delete their copies.
    RemoveStaleWorkingCopies(platform::TempDirectory());
    return InitInstance(files);
}

void CQuellixApp::OnExitSignal() {
    constexpr int kExitWaitMs = 50;
    constexpr int kMaxExitWaits = 200;  // 10 s for a cancelled job to end
    if (CProgressDlg::CancelRunning() && ++m_nExitWaits < kMaxExitWaits) {
        // The dialog closes once the job thread has ended; come back then.
        wxTimer* again = new wxTimer();
        again->Bind(wxEVT_TIMER, [this, again](wxTimerEvent&) {
            again->Stop();
            CallAfter([again] { delete again; });
            OnExitSignal();
        });
        again->StartOnce(kExitWaitMs);
        return;
    }
    const bool insideModal = wxEventLoopBase::GetActive() != GetMainLoop() ||
                             ui::MessageBoxShowing() || CProgressDlg::CancelRunning();
    if (m_frame == nullptr) {
        ui::ExitNow(0);
    }
    if (!insideModal) {
        m_frame->Close(true);  // the ordinary end, without the discard question
        return;
    }
    // A file dialog or a box is open, with its caller waiting on the stack:
    // clean up here and end at once.
    if (CQuellixView* view = m_frame->GetView()) {
        view->StopPlayback();
    }
    if (m_document != nullptr) {
        m_document->ReleaseRecording();
    }
    m_frame->SavePlacement();
    ui::ExitNow(0);
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
