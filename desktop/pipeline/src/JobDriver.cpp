#include "pipeline/JobDriver.h"

#include <chrono>
#include <thread>

namespace {

// Private messages of the driver's own queue; far from the protocol's ids.
constexpr uint32_t kWakeMessage = 0xFFFF0001;         // look at the cancel request
constexpr uint32_t kThreadEndedMessage = 0xFFFF0002;  // the job function has returned

// How long one wait sleeps before it checks again that the job thread still
// runs; it never decides an outcome.
constexpr std::chrono::milliseconds kPollMs{100};
constexpr std::chrono::milliseconds kIdleWaitMs{1000};

constexpr uint32_t kLoadingBarUpper = 100;

bool IsProgress(uint32_t id) {
    return id == WM_LOADING_PROGRESS || id == WM_CLEANING_PROGRESS;
}

}  // namespace

// The dialog's window as the job sees it: a queue the driver pumps. It also
// counts progress posts so that a cancel "after N progress messages" lands at
// exactly that point of the job, not whenever the driver gets round to it.
class JobDriver::Window : public platform::MessageTarget {
public:
    Window(JobSync& sync, std::optional<size_t> cancelAfterProgress)
        : m_sync(sync), m_cancelAfterProgress(cancelAfterProgress) {}

    void Post(uint32_t id, uintptr_t wParam, intptr_t lParam) override {
        if (IsProgress(id) && m_cancelAfterProgress) {
            const size_t posted = ++m_progressPosted;
            if (posted == *m_cancelAfterProgress) {
                m_cancelSignalled = true;
                m_sync.JobCancelEvent.Set();
            }
        }
        queue.Post(id, wParam, lParam);
    }

    bool CancelSignalled() const { return m_cancelSignalled; }

    platform::MessageQueue queue;

private:
    JobSync& m_sync;
    std::optional<size_t> m_cancelAfterProgress;
    std::atomic<size_t> m_progressPosted{0};
    std::atomic<bool> m_cancelSignalled{false};
};

JobDriver::JobDriver(JobSync& sync) : m_sync(sync) {}

void JobDriver::RequestCancel() {
    m_cancelPending = true;
    std::lock_guard lock(m_windowMutex);
    if (m_window != nullptr) {
        m_window->queue.Post(kWakeMessage, 0, 0);
    }
}

JobOutcome JobDriver::Run(JobKind kind, const JobFunction& job, const JobDriverOptions& options) {
    Window window(m_sync, options.cancelAfterProgress);
    {
        std::lock_guard lock(m_windowMutex);
        m_window = &window;
    }

    JobOutcome outcome;
    std::thread thread;
    std::atomic<bool> threadEnded{false};
    int exitCode = 0;
    bool started = false;
    bool ended = false;
    bool cancelRequested = false;
    bool errorReported = false;
    bool finishSeen = false;

    // Waits for the job to set `event`; gives up once the job thread has ended,
    // since then nobody will.
    const auto waitForJob = [&](const platform::ManualResetEvent& event) {
        while (!event.WaitFor(kPollMs)) {
            if (threadEnded) {
                return event.IsSet();
            }
        }
        return true;
    };

    // Like the dialog, post the start to ourselves and start the job from the
    // message loop.
    window.queue.Post(kind == JobKind::Loading ? WM_START_LOADING : WM_START_CLEANING, 1, 1);

    while (!ended) {
        if (started && m_cancelPending.exchange(false)) {
            cancelRequested = true;
            m_sync.JobCancelEvent.Set();
        }
        const std::optional<platform::Message> message = window.queue.Take(kIdleWaitMs);
        if (!message) {
            continue;
        }
        switch (message->id) {
            case WM_START_LOADING:
            case WM_START_CLEANING:
                m_sync.JobStartedEvent.Reset();
                m_sync.JobFinishedEvent.Reset();
                m_sync.JobCancelEvent.Reset();
                started = true;
                thread = std::thread([&] {
                    exitCode = job(window);
                    threadEnded = true;
                    window.queue.Post(kThreadEndedMessage, 0, 0);
                });
                break;
            case kWakeMessage:
                break;
            case kThreadEndedMessage:
                thread.join();
                ended = true;
                break;
            default:
                outcome.messages.push_back(*message);
                break;
        }
        switch (message->id) {
            case WM_LOADING_STARTED:
            case WM_CLEANING_STARTED:
                if (message->id == WM_LOADING_STARTED) {
                    outcome.barUpper = kLoadingBarUpper;
                } else {
                    const uintptr_t divisor = message->lParam > 0 ? message->lParam : 1;
                    outcome.barUpper = static_cast<uint32_t>(message->wParam / divisor);
                }
                outcome.barPosition = 0;
                if (waitForJob(m_sync.JobStartedEvent)) {
                    m_sync.JobStartedEvent.Reset();
                }
                break;
            case WM_LOADING_PROGRESS:
            case WM_CLEANING_PROGRESS:
                if (message->id == WM_LOADING_PROGRESS) {
                    // The bar control starts over when a step passes its end.
                    if (!errorReported) {
                        ++outcome.barPosition;
                        if (outcome.barPosition > outcome.barUpper) {
                            outcome.barPosition = 0;
                        }
                    }
                } else if (outcome.barPosition < outcome.barUpper) {
                    ++outcome.barPosition;
                }
                outcome.progress.push_back(*message);
                if (options.onProgress) {
                    options.onProgress({*message, outcome.barPosition, outcome.barUpper});
                }
                break;
            case WM_JOB_ERROR:
            case WM_LOADING_FINISHED:
            case WM_CLEANING_FINISHED:
                if (message->id == WM_JOB_ERROR) {
                    errorReported = true;
                    outcome.errorKind = message->wParam;
                    outcome.errorException = message->lParam;
                } else {
                    finishSeen = true;
                }
                outcome.endMessageSeen = true;
                if (waitForJob(m_sync.JobFinishedEvent)) {
                    m_sync.JobFinishedEvent.Reset();
                }
                break;
            default:
                break;
        }
    }

    {
        std::lock_guard lock(m_windowMutex);
        m_window = nullptr;
    }
    outcome.exitCode = exitCode;
    cancelRequested = cancelRequested || window.CancelSignalled();
    if (errorReported) {
        outcome.end = JobEnd::Error;
    } else if (cancelRequested) {
        outcome.end = JobEnd::Cancelled;
    } else if (finishSeen) {
        outcome.end = JobEnd::Finished;
    } else {
        outcome.end = JobEnd::Failed;
    }
    return outcome;
}
