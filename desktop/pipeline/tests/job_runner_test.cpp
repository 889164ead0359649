#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "pipeline/JobRunner.h"

namespace {

using platform::MessageQueue;
using platform::MessageTarget;
using std::chrono::milliseconds;

// Feeds the runner from a queue the way a window's event loop would, and
// returns the reactions in order.
std::vector<JobReaction> Pump(JobRunner& runner, MessageQueue& window) {
    std::vector<JobReaction> reactions;
    while (!runner.Ended()) {
        if (const auto message = window.Take(milliseconds(2000))) {
            reactions.push_back(runner.OnMessage(*message));
        } else {
            ADD_FAILURE() << "the runner never heard that the job thread ended";
            break;
        }
    }
    return reactions;
}

TEST(JobRunnerTest, ReportsRangePositionAndEndOneMessageAtATime) {
    JobSync sync;
    MessageQueue window;
    JobRunner runner(sync, JobKind::Loading, window, [&](MessageTarget& dialog) {
        JobStartHandshake(sync, dialog, WM_LOADING_STARTED, 1, 1);
        for (int i = 0; i < 120; ++i) {
            dialog.Post(WM_LOADING_PROGRESS, 1, 1);
        }
        JobEndHandshake(sync, dialog, WM_LOADING_FINISHED, 1, 1);
        return 0;
    });
    EXPECT_EQ(runner.StartMessage(), WM_START_LOADING);
    // Messages before the start and foreign ids change nothing.
    EXPECT_FALSE(runner.OnMessage({WM_LOADING_PROGRESS, 1, 1}).barPosition);
    EXPECT_FALSE(runner.OnMessage({WM_START_CLEANING, 1, 1}).ended);
    EXPECT_FALSE(runner.Started());
    window.Post(runner.StartMessage(), 1, 1);

    const std::vector<JobReaction> reactions = Pump(runner, window);
    ASSERT_FALSE(reactions.empty());
    uint32_t ranges = 0;
    uint32_t highest = 0;
    for (const JobReaction& r : reactions) {
        if (r.barRange) {
            ++ranges;
            EXPECT_EQ(*r.barRange, kLoadingBarUpper);
        }
        if (r.barPosition) {
            EXPECT_LE(*r.barPosition, kLoadingBarUpper);
            highest = std::max(highest, *r.barPosition);
        }
    }
    EXPECT_EQ(ranges, 1u);
    EXPECT_EQ(highest, kLoadingBarUpper);
    EXPECT_TRUE(reactions.back().ended);
    EXPECT_EQ(runner.Outcome().end, JobEnd::Finished);
    EXPECT_EQ(runner.Outcome().DialogResult(), kDialogOk);
    EXPECT_FALSE(sync.JobFinishedEvent.IsSet());
    // The end is reported once; later messages are ignored.
    EXPECT_FALSE(runner.OnMessage({WM_JOB_THREAD_ENDED, 0, 0}).ended);
}

TEST(JobRunnerTest, AJobThatEndsSilentlyIsAFailureNotASuccess) {
    JobSync sync;
    MessageQueue window;
    JobRunner runner(sync, JobKind::Cleaning, window, [&](MessageTarget& dialog) {
        JobStartHandshake(sync, dialog, WM_CLEANING_STARTED, 40, 0);  // divisor 0 guarded
        dialog.Post(WM_CLEANING_PROGRESS, 0, 0);
        return 2;  // an engine failure: no end message
    });
    window.Post(runner.StartMessage(), 1, 1);
    const std::vector<JobReaction> reactions = Pump(runner, window);
    EXPECT_EQ(runner.Outcome().end, JobEnd::Failed);
    EXPECT_EQ(runner.Outcome().exitCode, 2);
    EXPECT_EQ(runner.Outcome().barUpper, 40u);
    EXPECT_EQ(runner.Outcome().DialogResult(), kDialogCancel);
    EXPECT_FALSE(runner.Outcome().endMessageSeen);
}

TEST(JobRunnerTest, CancelBeforeTheThreadStartsIsSignalledAsItStarts) {
    JobSync sync;
    MessageQueue window;
    std::atomic<bool> sawCancel{false};
    JobRunner runner(sync, JobKind::Cleaning, window, [&](MessageTarget& dialog) {
        JobStartHandshake(sync, dialog, WM_CLEANING_STARTED, 10, 1);
        sawCancel = JobCancelRequested(sync.JobCancelEvent);
        return 0;
    });
    runner.RequestCancel();  // e.g. Esc pressed before the dialog's start message
    window.Post(runner.StartMessage(), 1, 1);
    Pump(runner, window);
    EXPECT_TRUE(sawCancel);
    EXPECT_EQ(runner.Outcome().end, JobEnd::Cancelled);
    EXPECT_FALSE(sync.JobCancelEvent.IsSet());
    // After the end a request has nothing to reach.
    runner.RequestCancel();
    EXPECT_FALSE(sync.JobCancelEvent.IsSet());
}

TEST(JobRunnerTest, ErrorWinsOverCancelAndFreezesTheLoadingBar) {
    JobSync sync;
    MessageQueue window;
    JobRunner runner(sync, JobKind::Loading, window, [&](MessageTarget& dialog) {
        JobStartHandshake(sync, dialog, WM_LOADING_STARTED, 1, 1);
        dialog.Post(WM_LOADING_PROGRESS, 0, 0);
        JobEndHandshake(sync, dialog, WM_JOB_ERROR, 10, 1);
        dialog.Post(WM_LOADING_PROGRESS, 1, 0);  // late, behind the error
        return 1;
    });
    window.Post(runner.StartMessage(), 1, 1);
    Pump(runner, window);
    EXPECT_EQ(runner.Outcome().end, JobEnd::Error);
    EXPECT_EQ(runner.Outcome().errorKind, 10u);
    EXPECT_EQ(runner.Outcome().errorException, 1);
    EXPECT_EQ(runner.Outcome().barPosition, 1u);
}

TEST(JobRunnerTest, DestroyedMidJobStopsAndJoinsTheJob) {
    JobSync sync;
    MessageQueue window;
    std::atomic<bool> returned{false};
    {
        JobRunner runner(sync, JobKind::Cleaning, window, [&](MessageTarget& dialog) {
            JobStartHandshake(sync, dialog, WM_CLEANING_STARTED, 10, 1);
            while (!JobCancelRequested(sync.JobCancelEvent)) {
                std::this_thread::sleep_for(milliseconds(1));
            }
            // Finishes anyway; nobody pumps, so the end handshake must still
            // be answered.
            JobEndHandshake(sync, dialog, WM_CLEANING_FINISHED, 1, 1);
            returned = true;
            return 0;
        });
        runner.OnMessage({runner.StartMessage(), 1, 1});
        // The start message is never handled: the window is closing.
    }
    EXPECT_TRUE(returned);
}

}  // namespace
