// The protocol every long job shares with the window that runs it (the
// progress dialog, or JobDriver outside the GUI): posted messages 1271..1279,
// three manual-reset events and the lock that guards a recording's samples.
//
// Handshakes, job side:
//   start:  post *_STARTED, set JobStartedEvent, wait until the runner resets it;
//   end:    set JobFinishedEvent, post *_FINISHED or WM_JOB_ERROR, wait until
//           the runner resets it, return;
//   cancel: at its check points the job tests JobCancelEvent; when set it resets
//           it, releases what it holds and returns without posting anything.
// The runner resets the three events (started, finished, cancel) right before
// it starts a job thread.
#pragma once

#include <cstdint>

#include "platform/ManualResetEvent.h"
#include "platform/MessageTarget.h"

// Message ids (WM_USER + 247 .. WM_USER + 255); the numbers are part of the
// protocol and never change.
inline constexpr uint32_t WM_JOB_ERROR = 1271;          // wParam SoundFileResult, lParam 0/1
inline constexpr uint32_t WM_LOADING_FINISHED = 1272;   // (1, 1)
inline constexpr uint32_t WM_CLEANING_FINISHED = 1273;  // (1, 1)
inline constexpr uint32_t WM_LOADING_PROGRESS = 1274;   // (block index, 0) or (1, 1)
inline constexpr uint32_t WM_CLEANING_PROGRESS = 1275;  // (step, channel)
inline constexpr uint32_t WM_LOADING_STARTED = 1276;    // (1, 1)
inline constexpr uint32_t WM_START_LOADING = 1277;      // runner to itself
inline constexpr uint32_t WM_CLEANING_STARTED = 1278;   // (total steps, divisor)
inline constexpr uint32_t WM_START_CLEANING = 1279;     // runner to itself
// Not posted by jobs: the runner's job thread posts it after the job function
// has returned, whatever the job posted before (JobRunner).
inline constexpr uint32_t WM_JOB_THREAD_ENDED = 1280;  // (0, 0)

// The synchronisation objects one runner and its jobs share. The program keeps
// one for its whole life; tests and the batch cleaner make their own.
struct JobSync {
    platform::ManualResetEvent JobStartedEvent;
    platform::ManualResetEvent JobFinishedEvent;
    platform::ManualResetEvent JobCancelEvent;
    // Guards the recording's samples and sound-file fields between the cleaning
    // job and the waveform drawing.
    platform::JobLockType JobLock;
};

// Job side of the start handshake: posts (id, wParam, lParam), sets
// JobStartedEvent and waits until the runner has reset it.
void JobStartHandshake(JobSync& sync, platform::MessageTarget& dialog, uint32_t id,
                       uintptr_t wParam, intptr_t lParam);
// Job side of the end handshake: sets JobFinishedEvent, posts (id, wParam,
// lParam) and waits until the runner has reset the event.
void JobEndHandshake(JobSync& sync, platform::MessageTarget& dialog, uint32_t id, uintptr_t wParam,
                     intptr_t lParam);
// Zero-timeout test of JobCancelEvent; a set event is reset (the job has seen
// the request) and true returned.
bool JobCancelRequested(platform::ManualResetEvent& cancelEvent);
