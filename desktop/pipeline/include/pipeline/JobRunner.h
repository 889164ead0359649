// The runner's side of the job protocol, fed one message at a time: the part
// of the progress dialog that needs no window. The progress dialog feeds it
// the messages its window receives; JobDriver feeds it from a plain queue.
//
// The runner owns the job thread. After the job function returns, the thread
// posts WM_JOB_THREAD_ENDED to the same window, so the runner always learns
// that the job has ended - also when the job ends without any message (a
// failure, a cancellation, a cancel request that came too late for the job to
// see) - and joins the thread before it reports the end. Nothing the window
// does after that can race with the job.
//
// Usage, from the window's own thread:
//   JobRunner runner(sync, JobKind::Cleaning, window, [&](MessageTarget& w) {...});
//   window.Post(runner.StartMessage(), 1, 1);
//   ... for every message the window receives:
//   const JobReaction r = runner.OnMessage(message);
//   if (r.barRange) set the bar's range 0..*r.barRange, position 0, and the caption;
//   if (r.barPosition) set the bar's position;
//   if (r.ended) show runner.Outcome()'s error, if any, and close with
//       runner.Outcome().DialogResult().
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "pipeline/JobProtocol.h"
#include "platform/MessageTarget.h"

enum class JobKind { Loading, Cleaning };

enum class JobEnd {
    Finished,   // the job's *_FINISHED message arrived (the dialog returns IDOK)
    Error,      // WM_JOB_ERROR arrived; see errorKind (IDCANCEL)
    Cancelled,  // a cancel was requested, whatever the job posted after it (IDCANCEL)
    Failed,     // the thread ended with no end message and no cancel request (IDCANCEL)
};

inline constexpr int kDialogOk = 1;      // IDOK
inline constexpr int kDialogCancel = 2;  // IDCANCEL

// Range of the loading bar: percent.
inline constexpr uint32_t kLoadingBarUpper = 100;

struct JobOutcome {
    JobEnd end = JobEnd::Failed;
    int exitCode = 0;                         // the job function's return value
    bool endMessageSeen = false;              // *_FINISHED or WM_JOB_ERROR arrived
    uintptr_t errorKind = 0;                  // WM_JOB_ERROR wParam (a SoundFileResult)
    intptr_t errorException = 0;              // WM_JOB_ERROR lParam
    uint32_t barUpper = 0;                    // progress bar range 0..barUpper, as set on *_STARTED
    uint32_t barPosition = 0;                 // where the bar ended
    std::vector<platform::Message> progress;  // WM_*_PROGRESS, in arrival order
    std::vector<platform::Message> messages;  // every message the job posted, in order

    int DialogResult() const { return end == JobEnd::Finished ? kDialogOk : kDialogCancel; }
};

// What the window does after one message.
struct JobReaction {
    // The job has started: the bar's range is 0..*barRange with position 0, and
    // the caption names the job.
    std::optional<uint32_t> barRange;
    // The bar moved (it never passes its upper bound).
    std::optional<uint32_t> barPosition;
    // The job thread has ended and is joined; Outcome() is final.
    bool ended = false;
};

class JobRunner {
public:
    using JobFunction = std::function<int(platform::MessageTarget& window)>;

    // `window` receives the job's messages and the thread-ended notice; it must
    // outlive the runner.
    JobRunner(JobSync& sync, JobKind kind, platform::MessageTarget& window, JobFunction job);
    // A runner destroyed while its job still runs cancels the job, answers its
    // handshakes and joins it.
    ~JobRunner();
    JobRunner(const JobRunner&) = delete;
    JobRunner& operator=(const JobRunner&) = delete;

    // The message the window posts itself once it is shown (wParam 1, lParam 1);
    // handling it starts the job thread.
    uint32_t StartMessage() const;

    // Handles one message of the window's queue. Messages that are not part of
    // the protocol are ignored. Waits briefly inside the start and end
    // handshakes (the job sets its event right next to its post), never for
    // longer than the job thread lives.
    JobReaction OnMessage(const platform::Message& message);

    // The Cancel button: signals JobCancelEvent. A request made before the job
    // thread starts is signalled as it starts; one made after the end is ignored.
    void RequestCancel();
    // Something other than RequestCancel signalled JobCancelEvent (a test
    // cancelling from inside the job's own post): the run counts as cancelled.
    void NoteCancelSignalled();

    bool Started() const { return m_started; }
    bool Ended() const { return m_ended; }
    bool CancelRequested() const { return m_cancelRequested; }
    // Final once Ended(); until then the state so far.
    const JobOutcome& Outcome() const { return m_outcome; }

private:
    void StartThread();
    // Waits until the job sets `event`; false when the job thread ended
    // without setting it.
    bool WaitForJob(const platform::ManualResetEvent& event) const;
    void Finish();

    JobSync& m_sync;
    JobKind m_kind;
    platform::MessageTarget& m_window;
    JobFunction m_job;
    std::thread m_thread;
    std::atomic<bool> m_threadEnded{false};
    int m_exitCode = 0;  // written by the job thread before m_threadEnded
    bool m_started = false;
    bool m_ended = false;
    bool m_cancelRequested = false;
    bool m_errorReported = false;
    bool m_finishSeen = false;
    JobOutcome m_outcome;
};
