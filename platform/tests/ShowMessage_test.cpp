#include "platform/ShowMessage.h"

#include <gtest/gtest.h>

#include <thread>

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

}  // namespace
}  // namespace platform
