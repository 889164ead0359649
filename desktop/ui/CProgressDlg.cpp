#include "CProgressDlg.h"

#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/utils.h>

#include "MessageBox.h"
#include "UiText.h"
#include "WxIds.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

wxDEFINE_EVENT(EVT_JOB_MESSAGE, wxThreadEvent);

// Dialog 142: 316 x 55 dialog units; bar 1014 at (13, 15) 289 x 14; button
// 1022 at (102, 34) 111 x 14.
const wxSize kDialogDlu(316, 55);
const wxPoint kBarDlu(13, 15);
const wxSize kBarSizeDlu(289, 14);
const wxPoint kButtonDlu(102, 34);
const wxSize kButtonSizeDlu(111, 14);

}  // namespace

// The dialog as the job thread sees it: each post becomes an event of the
// dialog's queue. Lives as long as the dialog, which joins the job thread
// before it goes.
class CProgressDlg::Window : public platform::MessageTarget {
public:
    explicit Window(wxEvtHandler& dialog) : m_dialog(dialog) {}
    void Post(uint32_t id, uintptr_t wParam, intptr_t lParam) override {
        auto* event = new wxThreadEvent(EVT_JOB_MESSAGE);
        event->SetPayload(platform::Message{id, wParam, lParam});
        wxQueueEvent(&m_dialog, event);
    }

private:
    wxEvtHandler& m_dialog;
};

CProgressDlg::CProgressDlg(wxWindow* parent, JobSync& sync, bool cleaning, bool english,
                           JobRunner::JobFunction job)
    : wxDialog(parent, ui::WxId(res::IDD_PROGRESS), wxEmptyString, wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxCLOSE_BOX),
      m_bCleaning(cleaning),
      m_bEnglish(english),
      m_window(std::make_unique<Window>(*this)),
      m_runner(std::make_unique<JobRunner>(sync, cleaning ? JobKind::Cleaning : JobKind::Loading,
                                           *m_window, std::move(job))) {
    SetClientSize(ConvertDialogToPixels(kDialogDlu));
    m_progress = new wxGauge(this, ui::WxId(res::IDC_PROGRESS), kLoadingBarUpper,
                             ConvertDialogToPixels(kBarDlu), ConvertDialogToPixels(kBarSizeDlu));
    m_cancel =
        new wxButton(this, ui::WxId(res::IDC_CANCEL_JOB), ui::Text(res::kTextCancel, english),
                     ConvertDialogToPixels(kButtonDlu), ConvertDialogToPixels(kButtonSizeDlu));
    // Esc clicks Cancel; the close box is handled in OnClose.
    SetEscapeId(m_cancel->GetId());
    SetAffirmativeId(wxID_NONE);
    CentreOnParent();

    Bind(wxEVT_INIT_DIALOG, &CProgressDlg::OnInitDialog, this);
    Bind(EVT_JOB_MESSAGE, &CProgressDlg::OnJobMessage, this);
    Bind(wxEVT_BUTTON, &CProgressDlg::OnCancel, this, m_cancel->GetId());
    Bind(wxEVT_CLOSE_WINDOW, &CProgressDlg::OnClose, this);
}

CProgressDlg::~CProgressDlg() {
    if (m_busyCursor) {
        wxEndBusyCursor();
    }
    // Joins a job still running (only when the dialog never ran its loop to
    // the end) before the window it posts to goes.
    m_runner.reset();
}

namespace {
CProgressDlg* g_running = nullptr;  // one job at a time: the dialogs are modal
}

int CProgressDlg::DoModal() {
    CProgressDlg* const outer = g_running;
    g_running = this;
    const int result = ShowModal();
    g_running = outer;
    return result == wxID_OK ? kDialogOk : kDialogCancel;
}

bool CProgressDlg::CancelRunning() {
    if (g_running == nullptr) {
        return false;
    }
    g_running->RequestCancel();
    return true;
}

void CProgressDlg::OnInitDialog(wxInitDialogEvent& event) {
    event.Skip();
    // Posted, not called: the dialog is on screen before the job starts.
    m_window->Post(m_runner->StartMessage(), 1, 1);
}

void CProgressDlg::OnJobMessage(wxThreadEvent& event) {
    const auto message = event.GetPayload<platform::Message>();
    if (message.id == WM_JOB_ERROR) {
        m_bError = true;
    }
    const JobReaction reaction = m_runner->OnMessage(message);
    if (reaction.barRange) {
        m_progress->SetRange(static_cast<int>(*reaction.barRange));
        m_progress->SetValue(0);
        SetTitle(ui::Text(
            m_caption.value_or(m_bCleaning ? res::kTextCaptionCleaning : res::kTextCaptionLoading),
            m_bEnglish));
    }
    if (reaction.barPosition) {
        m_progress->SetValue(static_cast<int>(*reaction.barPosition));
    }
    if (reaction.ended) {
        EndWithOutcome();
    }
}

void CProgressDlg::EndWithOutcome() {
    const JobOutcome& outcome = m_runner->Outcome();
    if (outcome.end == JobEnd::Error) {
        ui::ShowMessageBox(
            ui::Wx(res::LoadingErrorText(static_cast<int>(outcome.errorKind), m_bEnglish)),
            ui::Text(res::IDS_APP_TITLE), wxOK | wxICON_ERROR, this);
    }
    EndModal(outcome.DialogResult() == kDialogOk ? wxID_OK : wxID_CANCEL);
}

void CProgressDlg::RequestCancel() {
    if (m_runner->Ended() || m_runner->CancelRequested()) {
        return;
    }
    m_runner->RequestCancel();
    m_cancel->Disable();
    if (!m_busyCursor) {
        wxBeginBusyCursor();
        m_busyCursor = true;
    }
}

void CProgressDlg::OnCancel(wxCommandEvent&) {
    RequestCancel();
}

void CProgressDlg::OnClose(wxCloseEvent& event) {
    // The dialog closes only once the job thread has ended.
    if (event.CanVeto()) {
        event.Veto();
    }
    RequestCancel();
}
