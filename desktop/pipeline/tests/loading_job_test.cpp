#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "OpenedRecordingTest.h"
#include "PipelineTestSupport.h"
#include "pipeline/CleaningJob.h"
#include "pipeline/JobDriver.h"
#include "pipeline/LoadingJob.h"
#include "pipeline/Segmentation.h"
#include "pipeline/SoundFile.h"
#include "pipeline/WaveformSummary.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

using namespace testsupport;

namespace {

class SummaryTest : public OpenedRecordingTest {
protected:
    RecordingTarget progress;
};

TEST_F(SummaryTest, ColumnsOfTenMilliseconds) {
    const std::vector<int16_t> signal = Noise(8001, 1, 30000);
    Open(signal, 1, 8000);
    ASSERT_EQ(BuildWaveformSummary(summary, file, true, &progress, nullptr), SoundFileResult::Ok);
    EXPECT_EQ(summary.samplesPerColumn, 80);
    EXPECT_EQ(summary.columnCount, 101);
    ASSERT_EQ(summary.channel0ColumnMin.size(), 101u);
    EXPECT_TRUE(summary.channel1ColumnMin.empty());
    for (int k = 0; k < 100; ++k) {
        const auto first = signal.begin() + k * 80;
        EXPECT_EQ(summary.channel0ColumnMin[k], *std::min_element(first, first + 80)) << k;
        EXPECT_EQ(summary.channel0ColumnMax[k], *std::max_element(first, first + 80)) << k;
    }
    // The last column holds the one frame left over.
    EXPECT_EQ(summary.channel0ColumnMin[100], signal[8000]);
    EXPECT_EQ(summary.channel0ColumnMax[100], signal[8000]);
    EXPECT_EQ(summary.channel0Min, *std::min_element(signal.begin(), signal.end()));
    EXPECT_EQ(summary.channel0Max, *std::max_element(signal.begin(), signal.end()));
    EXPECT_EQ(summary.channel1Min, 32767);  // start values for mono
    EXPECT_EQ(summary.channel1Max, -32768);
    EXPECT_EQ(progress.Messages().size(), 101u);
}

TEST_F(SummaryTest, ProgressStepsFollowTheColumnCount) {
    struct Case {
        uint32_t frames;
        int rate;
        size_t posts;
    };
    for (const Case c : {Case{8000, 8000, 100}, Case{7999, 8000, 0}, Case{32000, 16000, 100},
                         Case{32159, 16000, 101}, Case{0, 8000, 0}}) {
        SCOPED_TRACE(c.frames);
        file.Close();
        RecordingTarget posts;
        Open(std::vector<int16_t>(c.frames, 5), 1, c.rate);
        ASSERT_EQ(BuildWaveformSummary(summary, file, true, &posts, nullptr), SoundFileResult::Ok);
        const auto messages = posts.Messages();
        EXPECT_EQ(messages.size(), c.posts);
        for (const auto& m : messages) {
            EXPECT_EQ(m.id, WM_LOADING_PROGRESS);
            EXPECT_EQ(m.wParam, 1u);
            EXPECT_EQ(m.lParam, 1);
        }
    }
}

}  // namespace
