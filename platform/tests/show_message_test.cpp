#include "platform/ShowMessage.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "platform/ManualResetEvent.h"

namespace platform {
namespace {

TEST(ShowMessageTest, WithoutAHandlerTheTextGoesToStandardError) {
    ::testing::internal::CaptureStderr();
    ShowMessage("Disk full", "Hushdesk", kMbOk);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Hushdesk: Disk full\n");
}

TEST(ShowMessageTest, RecorderSeesMessagesFromOtherThreadsAndRestoresTheHandler) {
    int outerCalls = 0;
    const MessageHandler before =
        SetMessageHandler([&](const std::string&, const std::string&, uint32_t) { ++outerCalls; });
    {
        MessageRecorder recorder;
        std::thread worker([] { ShowMessage("from a job", "caption", kMbSystemModal); });
        worker.join();
        const auto messages = recorder.Messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, "from a job");
        EXPECT_EQ(messages[0].caption, "caption");
        EXPECT_EQ(messages[0].flags, 0x1000u);
        EXPECT_EQ(outerCalls, 0);
    }
    ShowMessage("after", "", kMbOk);
    EXPECT_EQ(outerCalls, 1);
    SetMessageHandler(before);
}

TEST(ShowMessageTest, DeferredMessagesAppearAfterTheLockIsReleasedInOrder) {
    JobLockType jobLock;
    std::vector<std::string> shown;
    std::vector<bool> lockFreeWhenShown;
    const MessageHandler before =
        SetMessageHandler([&](const std::string& text, const std::string&, uint32_t) {
            // Another thread (the UI painting) must be able to take the lock
            // while the box is up.
            bool free = false;
            std::thread other([&] {
                free = jobLock.try_lock();
                if (free) {
                    jobLock.unlock();
                }
            });
            other.join();
            shown.push_back(text);
            lockFreeWhenShown.push_back(free);
        });
    {
        DeferMessages outer;
        std::lock_guard lock(jobLock);
        ShowMessage("first", "", kMbOk);
        {
            DeferMessages inner;  // nested: still held until the outer ends
            ShowMessage("second", "", kMbOk);
        }
        EXPECT_TRUE(shown.empty());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(lockFreeWhenShown, (std::vector<bool>{true, true}));
    ShowMessage("direct", "", kMbOk);
    EXPECT_EQ(shown.size(), 3u);
    SetMessageHandler(before);
}

TEST(ShowMessageTest, QuestionsAreAnsweredByTheHandlerOrElseWithNo) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(AskQuestion("Remove it?", "", kMbYesNo | kMbIconQuestion), kIdNo);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Remove it? [answered No]\n");

    MessageRecorder recorder;
    recorder.QueueAnswer(kIdYes);
    EXPECT_EQ(AskQuestion("first", "", kMbYesNo), kIdYes);
    EXPECT_EQ(AskQuestion("second", "", kMbYesNo), kIdNo);
    ShowMessage("plain", "Setup", kMbIconError);
    const auto messages = recorder.Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].text, "first");
    EXPECT_EQ(messages[0].flags, 0x4u);
    EXPECT_EQ(messages[1].text, "second");
    EXPECT_EQ(messages[2].caption, "Setup");
}

}  // namespace
}  // namespace platform
