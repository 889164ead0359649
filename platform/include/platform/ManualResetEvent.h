// A manual-reset event: once Set it stays signalled until Reset, whoever
// waits. Stands in for the Windows event object the job protocol uses; a
// zero-timeout wait is IsSet.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform {

class ManualResetEvent {
public:
    void Set();
    void Reset();
    bool IsSet() const;
    // True when the event is (or becomes) signalled within `timeout`.
    bool WaitFor(std::chrono::milliseconds timeout) const;
    // Waits until the event is no longer signalled; true when that happened
    // within `timeout`.
    bool WaitForReset(std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_signalled = false;
};

// The critical section that guards a recording's samples between the cleaning
// job and the waveform drawing. Recursive, as a critical section is.
using JobLockType = std::recursive_mutex;

}  // namespace platform
