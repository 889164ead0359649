// Runs one job the way the progress dialog does, without any GUI: the job runs
// on its own thread and posts to the driver's message queue; the driver pumps
// that queue on the calling thread and feeds every message to a JobRunner, the
// same protocol logic the progress dialog uses. The runner answers the start
// and end handshakes, keeps the progress bar's numbers, passes cancel requests
// on, and always learns when the job thread has ended - also when the job ends
// without any message (failure, cancellation) - so Run never waits for a
// message that will not come.
//
// Usage (the batch cleaner, tests):
//   JobSync sync;
//   JobDriver driver(sync);
//   CleaningContext context{...};            // everything but the dialog
//   JobOutcome outcome = driver.Run(JobKind::Cleaning, [&](platform::MessageTarget& dialog) {
//       context.dialog = &dialog;
//       return CleaningJob(context);
//   });
//   if (outcome.end == JobEnd::Finished) ...
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "pipeline/JobProtocol.h"
#include "pipeline/JobRunner.h"
#include "platform/MessageTarget.h"

// One progress step as the bar shows it.
struct JobProgress {
    platform::Message message;
    uint32_t barPosition = 0;
    uint32_t barUpper = 0;
};

struct JobDriverOptions {
    // Signal JobCancelEvent as the job posts its N-th progress message (counted
    // from 1), like a user pressing Cancel at that moment.
    std::optional<size_t> cancelAfterProgress;
    // Called on the driver's thread for every progress message.
    std::function<void(const JobProgress&)> onProgress;
};

class JobDriver {
public:
    // The job function: the job thread's body. Its argument is the window the
    // job posts to; its result becomes JobOutcome::exitCode.
    using JobFunction = std::function<int(platform::MessageTarget& dialog)>;

    explicit JobDriver(JobSync& sync);
    JobDriver(const JobDriver&) = delete;
    JobDriver& operator=(const JobDriver&) = delete;

    // Runs `job` to its end and returns what happened. Blocks the calling
    // thread, which acts as the dialog's thread. One Run at a time.
    JobOutcome Run(JobKind kind, const JobFunction& job, const JobDriverOptions& options = {});

    // Asks the running job to stop (the Cancel button). Safe from any thread; a
    // request made while no job runs applies to the next Run.
    void RequestCancel();

private:
    class Window;

    JobSync& m_sync;
    std::mutex m_windowMutex;
    Window* m_window = nullptr;  // the running Run's queue, null between runs
    std::atomic<bool> m_cancelPending{false};
};
