// The modal dialog that runs one long job (loading a recording, or cleaning
// it): it starts the job thread once it is on screen, shows the job's caption
// and progress, shows the job's error, lets the user cancel (the button, Esc
// or the close box) and closes once the job thread has ended and is joined.
//
// The protocol logic is JobRunner's; this class only turns its reactions into
// the bar, the caption, the error box and the end of the modal loop. It never
// runs a nested event loop of its own: every job message is one event of the
// dialog's modal loop. Losing activation does nothing to the job.
#pragma once

#include <wx/dialog.h>

#include <memory>
#include <optional>

#include "pipeline/JobRunner.h"
#include "resources/resource.h"

class wxButton;
class wxGauge;
class wxThreadEvent;

class CProgressDlg : public wxDialog {
public:
    // `cleaning`: the job kind (false = loading). `english`: the interface
    // language for the caption, the button and the error texts.
    CProgressDlg(wxWindow* parent, JobSync& sync, bool cleaning, bool english,
                 JobRunner::JobFunction job);
    ~CProgressDlg() override;

    // Runs the dialog and its job: kDialogOk (IDOK) when the job finished,
    // kDialogCancel (IDCANCEL) after a cancel, an error or a failure.
    int DoModal();

    // The caption once the job has started, instead of the job kind's own.
    void SetJobCaption(res::TextPair caption) { m_caption = caption; }

    // When a progress dialog is running: asks its job to stop as Cancel does
    // and returns true.
    static bool CancelRunning();

    // How the job ended; final once DoModal has returned.
    const JobOutcome& Outcome() const { return m_runner->Outcome(); }

    // For tests: the bar and the button.
    wxGauge& Bar() const { return *m_progress; }
    wxButton& CancelButton() const { return *m_cancel; }

    bool m_bCleaning;
    bool m_bError = false;  // the job reported an error: loading steps stop

private:
    class Window;

    void OnInitDialog(wxInitDialogEvent& event);
    void OnJobMessage(wxThreadEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void RequestCancel();
    void EndWithOutcome();

    bool m_bEnglish;
    std::optional<res::TextPair> m_caption;
    wxGauge* m_progress = nullptr;
    wxButton* m_cancel = nullptr;
    std::unique_ptr<Window> m_window;  // what the job posts to
    std::unique_ptr<JobRunner> m_runner;
    bool m_busyCursor = false;
};
