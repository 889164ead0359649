#include "pipeline/JobProtocol.h"

#include <chrono>

namespace {

// The runner acknowledges within one pass of its message loop; the wait only
// bounds how long one WaitForReset sleeps before it looks again.
constexpr std::chrono::milliseconds kAcknowledgeWaitMs{200};

void WaitUntilReset(const platform::ManualResetEvent& event) {
    while (!event.WaitForReset(kAcknowledgeWaitMs)) {
    }
}

}  // namespace

void JobStartHandshake(JobSync& sync, platform::MessageTarget& dialog, uint32_t id,
                       uintptr_t wParam, intptr_t lParam) {
    dialog.Post(id, wParam, lParam);
    sync.JobStartedEvent.Set();
    WaitUntilReset(sync.JobStartedEvent);
}

void JobEndHandshake(JobSync& sync, platform::MessageTarget& dialog, uint32_t id, uintptr_t wParam,
                     intptr_t lParam) {
    sync.JobFinishedEvent.Set();
    dialog.Post(id, wParam, lParam);
    WaitUntilReset(sync.JobFinishedEvent);
}

bool JobCancelRequested(platform::ManualResetEvent& cancelEvent) {
    if (!cancelEvent.IsSet()) {
        return false;
    }
    cancelEvent.Reset();
    return true;
}
