#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "pipeline/JobDriver.h"
#include "pipeline/JobProtocol.h"

namespace {

using platform::MessageTarget;

std::vector<uint32_t> Ids(const std::vector<platform::Message>& messages) {
    std::vector<uint32_t> ids;
    for (const auto& m : messages) {
        ids.push_back(m.id);
    }
    return ids;
}

TEST(JobDriverTest, AnswersBothHandshakesAndKeepsTheBarInItsRange) {
    JobSync sync;
    // Leftovers of an earlier job must not reach this one.
    sync.JobStartedEvent.Set();
    sync.JobFinishedEvent.Set();
    sync.JobCancelEvent.Set();
    bool eventsClearAtStart = false;
    bool startAcknowledged = false;
    JobDriver driver(sync);
    std::vector<JobProgress> seen;
    JobDriverOptions options;
    options.onProgress = [&](const JobProgress& p) { seen.push_back(p); };

    const JobOutcome outcome = driver.Run(
        JobKind::Cleaning,
        [&](MessageTarget& dialog) {
            eventsClearAtStart = !sync.JobStartedEvent.IsSet() && !sync.JobFinishedEvent.IsSet() &&
                                 !sync.JobCancelEvent.IsSet();
            JobStartHandshake(sync, dialog, WM_CLEANING_STARTED, 30, 3);
            startAcknowledged = !sync.JobStartedEvent.IsSet();
            for (uintptr_t i = 0; i < 12; ++i) {
                dialog.Post(WM_CLEANING_PROGRESS, i, 0);
            }
            JobEndHandshake(sync, dialog, WM_CLEANING_FINISHED, 1, 1);
            return 0;
        },
        options);

    EXPECT_TRUE(eventsClearAtStart);
    EXPECT_TRUE(startAcknowledged);
    EXPECT_FALSE(sync.JobFinishedEvent.IsSet());
    EXPECT_EQ(outcome.end, JobEnd::Finished);
    EXPECT_EQ(outcome.DialogResult(), kDialogOk);
    EXPECT_TRUE(outcome.endMessageSeen);
    EXPECT_EQ(outcome.barUpper, 10u);
    EXPECT_EQ(outcome.barPosition, 10u);  // twelve steps, the bar stops at its bound
    EXPECT_EQ(outcome.progress.size(), 12u);
    ASSERT_EQ(seen.size(), 12u);
    EXPECT_EQ(seen[9].barPosition, 10u);
    EXPECT_EQ(seen[11].barPosition, 10u);
    EXPECT_EQ(outcome.messages.front().id, WM_CLEANING_STARTED);
    EXPECT_EQ(outcome.messages.back().id, WM_CLEANING_FINISHED);
}

TEST(JobDriverTest, LearnsOfAJobThatEndsWithoutAMessage) {
    JobSync sync;
    JobDriver driver(sync);
    // After the start handshake...
    JobOutcome outcome = driver.Run(JobKind::Cleaning, [&](MessageTarget& dialog) {
        JobStartHandshake(sync, dialog, WM_CLEANING_STARTED, 5, 1);
        dialog.Post(WM_CLEANING_PROGRESS, 0, 0);
        return 2;
    });
    EXPECT_EQ(outcome.end, JobEnd::Failed);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.DialogResult(), kDialogCancel);
    EXPECT_EQ(outcome.progress.size(), 1u);
    // ...and before it.
    outcome = driver.Run(JobKind::Loading, [](MessageTarget&) { return 1; });
    EXPECT_EQ(outcome.end, JobEnd::Failed);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.messages.empty());
    // A job that posts its start but ends before setting the start event does
    // not hold the driver in the start handshake either.
    outcome = driver.Run(JobKind::Loading, [&](MessageTarget& dialog) {
        dialog.Post(WM_LOADING_STARTED, 1, 1);
        return 0;
    });
    EXPECT_EQ(outcome.end, JobEnd::Failed);
    EXPECT_EQ(outcome.barUpper, 100u);
}

TEST(JobDriverTest, ReportsAJobErrorAndClampsTheLoadingBar) {
    JobSync sync;
    JobDriver driver(sync);
    const JobOutcome outcome = driver.Run(JobKind::Loading, [&](MessageTarget& dialog) {
        JobStartHandshake(sync, dialog, WM_LOADING_STARTED, 1, 1);
        for (int i = 0; i < 103; ++i) {
            dialog.Post(WM_LOADING_PROGRESS, 1, 1);
        }
        JobEndHandshake(sync, dialog, WM_JOB_ERROR, 3, 0);
        return 1;
    });
    EXPECT_EQ(outcome.end, JobEnd::Error);
    EXPECT_EQ(outcome.errorKind, 3u);
    EXPECT_EQ(outcome.errorException, 0);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.DialogResult(), kDialogCancel);
    EXPECT_EQ(outcome.barUpper, 100u);
    // Reading posts a step per block and the summary about a hundred more:
    // the bar stops at its bound instead of starting over.
    EXPECT_EQ(outcome.barPosition, 100u);
    EXPECT_FALSE(sync.JobFinishedEvent.IsSet());
}

TEST(JobDriverTest, LoadingProgressAfterAnErrorLeavesTheBar) {
    JobSync sync;
    JobDriver driver(sync);
    const JobOutcome outcome = driver.Run(JobKind::Loading, [&](MessageTarget& dialog) {
        JobStartHandshake(sync, dialog, WM_LOADING_STARTED, 1, 1);
        dialog.Post(WM_LOADING_PROGRESS, 0, 0);
        sync.JobFinishedEvent.Set();
        dialog.Post(WM_JOB_ERROR, 1, 0);
        dialog.Post(WM_LOADING_PROGRESS, 1, 0);  // late, already behind the error
        while (sync.JobFinishedEvent.IsSet()) {
            std::this_thread::yield();
        }
        return 1;
    });
    EXPECT_EQ(outcome.end, JobEnd::Error);
    EXPECT_EQ(outcome.progress.size(), 2u);
    EXPECT_EQ(outcome.barPosition, 1u);
}

TEST(JobDriverTest, CancelsAtTheRequestedProgressMessage) {
    JobSync sync;
    JobDriver driver(sync);
    JobDriverOptions options;
    options.cancelAfterProgress = 3;
    int chunks = 0;
    const JobOutcome outcome = driver.Run(
        JobKind::Cleaning,
        [&](MessageTarget& dialog) {
            JobStartHandshake(sync, dialog, WM_CLEANING_STARTED, 100, 1);
            for (uintptr_t i = 0; i < 100; ++i) {
                ++chunks;
                if (JobCancelRequested(sync.JobCancelEvent)) {
                    return 0;
                }
                dialog.Post(WM_CLEANING_PROGRESS, i, 0);
            }
            JobEndHandshake(sync, dialog, WM_CLEANING_FINISHED, 1, 1);
            return 0;
        },
        options);
    EXPECT_EQ(outcome.end, JobEnd::Cancelled);
    EXPECT_EQ(outcome.progress.size(), 3u);
    EXPECT_EQ(chunks, 4);
    EXPECT_FALSE(outcome.endMessageSeen);
    EXPECT_FALSE(sync.JobCancelEvent.IsSet());
}

TEST(JobDriverTest, CancelFromAnotherThreadReachesTheJob) {
    JobSync sync;
    JobDriver driver(sync);
    std::promise<void> running;
    std::thread user([&] {
        running.get_future().wait();
        driver.RequestCancel();
    });
    const JobOutcome outcome = driver.Run(JobKind::Loading, [&](MessageTarget& dialog) {
        JobStartHandshake(sync, dialog, WM_LOADING_STARTED, 1, 1);
        running.set_value();
        while (!sync.JobCancelEvent.WaitFor(std::chrono::milliseconds(50))) {
        }
        sync.JobCancelEvent.Reset();
        return 0;
    });
    user.join();
    EXPECT_EQ(outcome.end, JobEnd::Cancelled);
    EXPECT_EQ(outcome.DialogResult(), kDialogCancel);
    EXPECT_EQ(outcome.exitCode, 0);
}

TEST(JobDriverTest, AnEndMessageAfterACancelRequestStillEndsCancelled) {
    JobSync sync;
    JobDriver driver(sync);
    driver.RequestCancel();  // before the run: applies to it
    const JobOutcome outcome = driver.Run(JobKind::Cleaning, [&](MessageTarget& dialog) {
        JobStartHandshake(sync, dialog, WM_CLEANING_STARTED, 1, 1);
        while (!sync.JobCancelEvent.WaitFor(std::chrono::milliseconds(50))) {
        }
        // This job does not look at the request and finishes anyway.
        JobEndHandshake(sync, dialog, WM_CLEANING_FINISHED, 1, 1);
        return 0;
    });
    EXPECT_EQ(outcome.end, JobEnd::Cancelled);
    EXPECT_TRUE(outcome.endMessageSeen);
    EXPECT_EQ(outcome.DialogResult(), kDialogCancel);

    // The request was used up: the next run is not cancelled.
    const JobOutcome next = driver.Run(JobKind::Cleaning, [&](MessageTarget& dialog) {
        JobStartHandshake(sync, dialog, WM_CLEANING_STARTED, 1, 1);
        JobEndHandshake(sync, dialog, WM_CLEANING_FINISHED, 1, 1);
        return 0;
    });
    EXPECT_EQ(next.end, JobEnd::Finished);
    EXPECT_EQ(Ids(next.messages),
              (std::vector<uint32_t>{WM_CLEANING_STARTED, WM_CLEANING_FINISHED}));
}

}  // namespace
