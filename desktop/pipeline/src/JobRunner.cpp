#include "pipeline/JobRunner.h"

#include <chrono>
#include <utility>

namespace {

// How long one wait sleeps before it checks again that the job thread still
// runs; it never decides an outcome.
constexpr std::chrono::milliseconds kPollMs{100};
constexpr std::chrono::milliseconds kShutdownPollMs{5};

}  // namespace

JobRunner::JobRunner(JobSync& sync, JobKind kind, platform::MessageTarget& window, JobFunction job)
    : m_sync(sync), m_kind(kind), m_window(window), m_job(std::move(job)) {}

JobRunner::~JobRunner() {
    if (!m_thread.joinable()) {
        return;
    }
    // Only reached when the window went away mid-job: stop the job and let it
    // through its handshakes, since nobody else will answer them now.
    m_sync.JobCancelEvent.Set();
    while (!m_threadEnded) {
        if (m_sync.JobStartedEvent.IsSet()) {
            m_sync.JobStartedEvent.Reset();
        }
        if (m_sync.JobFinishedEvent.IsSet()) {
            m_sync.JobFinishedEvent.Reset();
        }
        std::this_thread::sleep_for(kShutdownPollMs);
    }
    m_thread.join();
}

uint32_t JobRunner::StartMessage() const {
    return m_kind == JobKind::Loading ? WM_START_LOADING : WM_START_CLEANING;
}

void JobRunner::RequestCancel() {
    if (m_ended || m_cancelRequested) {
        return;
    }
    m_cancelRequested = true;
    if (m_started) {
        m_sync.JobCancelEvent.Set();
    }
}

void JobRunner::NoteCancelSignalled() {
    m_cancelRequested = true;
}

void JobRunner::StartThread() {
    // A previous job's leftovers must never reach this one.
    m_sync.JobStartedEvent.Reset();
    m_sync.JobFinishedEvent.Reset();
    m_sync.JobCancelEvent.Reset();
    if (m_cancelRequested) {
        m_sync.JobCancelEvent.Set();
    }
    m_started = true;
    m_thread = std::thread([this] {
        m_exitCode = m_job(m_window);
        m_threadEnded = true;
        m_window.Post(WM_JOB_THREAD_ENDED, 0, 0);
    });
}

bool JobRunner::WaitForJob(const platform::ManualResetEvent& event) const {
    while (!event.WaitFor(kPollMs)) {
        if (m_threadEnded) {
            return event.IsSet();
        }
    }
    return true;
}

void JobRunner::Finish() {
    m_thread.join();
    m_ended = true;
    m_outcome.exitCode = m_exitCode;
    if (m_errorReported) {
        m_outcome.end = JobEnd::Error;
    } else if (m_cancelRequested) {
        m_outcome.end = JobEnd::Cancelled;
    } else if (m_finishSeen) {
        m_outcome.end = JobEnd::Finished;
    } else {
        m_outcome.end = JobEnd::Failed;
    }
}

JobReaction JobRunner::OnMessage(const platform::Message& message) {
    JobReaction reaction;
    // Before its thread starts no job can have posted anything; after the end
    // nothing may change the outcome.
    const bool startMessage = message.id == WM_START_LOADING || message.id == WM_START_CLEANING;
    if (m_ended || (!m_started && !startMessage)) {
        return reaction;
    }
    switch (message.id) {
        case WM_START_LOADING:
        case WM_START_CLEANING:
            if (!m_started && message.id == StartMessage()) {
                StartThread();
            }
            return reaction;
        case WM_JOB_THREAD_ENDED:
            if (m_started && m_threadEnded) {
                Finish();
                reaction.ended = true;
            }
            return reaction;
        case WM_LOADING_STARTED:
        case WM_CLEANING_STARTED:
            m_outcome.messages.push_back(message);
            if (message.id == WM_LOADING_STARTED) {
                m_outcome.barUpper = kLoadingBarUpper;
            } else {
                const uintptr_t divisor = message.lParam > 0 ? message.lParam : 1;
                m_outcome.barUpper = static_cast<uint32_t>(message.wParam / divisor);
            }
            m_outcome.barPosition = 0;
            reaction.barRange = m_outcome.barUpper;
            if (WaitForJob(m_sync.JobStartedEvent)) {
                m_sync.JobStartedEvent.Reset();
            }
            return reaction;
        case WM_LOADING_PROGRESS:
        case WM_CLEANING_PROGRESS: {
            m_outcome.messages.push_back(message);
            m_outcome.progress.push_back(message);
            // Both bars stop at their bound; after an error the loading bar
            // stays where it was.
            const bool frozen = message.id == WM_LOADING_PROGRESS && m_errorReported;
            if (!frozen && m_outcome.barPosition < m_outcome.barUpper) {
                ++m_outcome.barPosition;
            }
            reaction.barPosition = m_outcome.barPosition;
            return reaction;
        }
        case WM_JOB_ERROR:
        case WM_LOADING_FINISHED:
        case WM_CLEANING_FINISHED:
            m_outcome.messages.push_back(message);
            if (message.id == WM_JOB_ERROR) {
                m_errorReported = true;
                m_outcome.errorKind = message.wParam;
                m_outcome.errorException = message.lParam;
            } else {
                m_finishSeen = true;
            }
            m_outcome.endMessageSeen = true;
            if (WaitForJob(m_sync.JobFinishedEvent)) {
                m_sync.JobFinishedEvent.Reset();
            }
            return reaction;
        default:
            return reaction;
    }
}
