// The waveform strips made from a recording's summary, and the redisplay's
// percent in the main window's title.
#include <gtest/gtest.h>

#include <algorithm>

#include "OpenedRecordingTest.h"
#include "PipelineTestSupport.h"
#include "pipeline/SoundFile.h"
#include "pipeline/WaveformSummary.h"
#include "testsupport/TempFolder.h"
#include "uimodel/WavSample.h"
#include "uimodel/WaveformDisplay.h"

using namespace testsupport;

namespace {

using SummaryTest = OpenedRecordingTest;

TEST_F(SummaryTest, WithoutADialogThePercentGoesToTheTitle) {
    Open(std::vector<int16_t>(32000, 5), 1, 16000);  // 200 columns, a step every 2
    std::vector<uint32_t> shown;
    int restored = 0;
    SummaryTitleProgress title;
    title.show = [&](uint32_t percent) { shown.push_back(percent); };
    title.restore = [&] {
        EXPECT_EQ(shown.size(), 101u);  // restored only after the last column
        ++restored;
    };
    WaveformDisplay display;
    ASSERT_EQ(BuildWaveformDisplay(display, file, &title), SoundFileResult::Ok);
    ASSERT_EQ(shown.size(), 101u);
    for (uint32_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i], i);
    }
    EXPECT_EQ(restored, 1);
}

TEST_F(SummaryTest, StripNumbers) {
    const std::vector<int16_t> left = Noise(16000, 2, 1000);
    std::vector<int16_t> right = Noise(16000, 3, 5000);
    right[777] = 32767;
    Open(Interleave(left, right), 2, 16000);
    ASSERT_EQ(BuildWaveformSummary(summary, file, true, nullptr, nullptr), SoundFileResult::Ok);
    WaveformStrips strips;
    CreateStrips(strips, file, summary);
    ASSERT_TRUE(strips.channel0 && strips.channel1 && strips.overview);

    const CWavSample& right1 = *strips.channel1;
    EXPECT_EQ(right1.samplesPerColumn, 160);
    EXPECT_EQ(right1.columnCount, 100);
    EXPECT_EQ(right1.maximum, 32767);
    EXPECT_EQ(right1.verticalFullScale, 36200);
    EXPECT_EQ(right1.initialVerticalFullScale, 36200);
    EXPECT_EQ(right1.columnMaxima.data(), summary.channel1ColumnMax.data());
    EXPECT_EQ(right1.totalFrames, 16000u);
    EXPECT_DOUBLE_EQ(right1.secondsPerFrame, 1.0 / 16000);
    EXPECT_EQ(right1.visibleFrames, 16000u);
    EXPECT_EQ(right1.firstVisibleFrame, 0u);
    EXPECT_EQ(right1.lastVisibleFrame, 15999u);
    EXPECT_TRUE(right1.showRuler);
    EXPECT_EQ(right1.bottomMarginPx, 20);

    EXPECT_EQ(strips.channel0->columnMinima.data(), summary.channel0ColumnMin.data());
    EXPECT_EQ(strips.channel0->maximum, summary.channel0Max);
    // The overview of a stereo file shows channel 0, without a ruler.
    EXPECT_TRUE(strips.overview->overview);
    EXPECT_EQ(strips.overview->columnMaxima.data(), summary.channel0ColumnMax.data());
    EXPECT_FALSE(strips.overview->showRuler);

    file.Close();
    Open(std::vector<int16_t>(800, 0), 1, 8000);
    ASSERT_EQ(BuildWaveformSummary(summary, file, true, nullptr, nullptr), SoundFileResult::Ok);
    CreateStrips(strips, file, summary);
    EXPECT_FALSE(strips.channel1);
    EXPECT_FALSE(strips.overview->overview);
    EXPECT_EQ(strips.channel0->verticalFullScale, 200);  // silence
    EXPECT_EQ(*std::max_element(summary.channel0ColumnMax.begin(), summary.channel0ColumnMax.end()),
              0);
}

TEST(VerticalFullScaleTest, SmallestMultipleOf200AboveThePeakPlusTenPercent) {
    EXPECT_EQ(VerticalFullScale(0, 0), 200);
    EXPECT_EQ(VerticalFullScale(-10, 181), 200);  // 199.1
    EXPECT_EQ(VerticalFullScale(-10, 182), 400);  // 200.2
    EXPECT_EQ(VerticalFullScale(-32768, 0), 36200);
    EXPECT_EQ(VerticalFullScale(0, 32767), 36200);
    EXPECT_EQ(VerticalFullScale(-1000, 999), 1200);  // 1100
}

}  // namespace
