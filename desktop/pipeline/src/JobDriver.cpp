#include "pipeline/JobDriver.h"

#include <chrono>

namespace {

// Private message of the driver's own queue, far from the protocol's ids:
// look at the cancel request.
constexpr uint32_t kWakeMessage = 0xFFFF0001;

// How long the loop sleeps on an empty queue; it never decides an outcome.
constexpr std::chrono::milliseconds kIdleWaitMs{1000};

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
    {
        JobRunner runner(m_sync, kind, window, job);
        // Like the dialog, post the start to ourselves and start the job from
        // the message loop.
        window.queue.Post(runner.StartMessage(), 1, 1);
        while (!runner.Ended()) {
            if (runner.Started() && m_cancelPending.exchange(false)) {
                runner.RequestCancel();
            }
            const std::optional<platform::Message> message = window.queue.Take(kIdleWaitMs);
            if (!message) {
                continue;
            }
            if (window.CancelSignalled()) {
                runner.NoteCancelSignalled();
            }
            const JobReaction reaction = runner.OnMessage(*message);
            if (reaction.barPosition && options.onProgress) {
                const JobOutcome& sofar = runner.Outcome();
                options.onProgress({*message, sofar.barPosition, sofar.barUpper});
            }
        }
        outcome = runner.Outcome();
    }

    {
        std::lock_guard lock(m_windowMutex);
        m_window = nullptr;
    }
    return outcome;
}
