#include <gtest/gtest.h>

#include "PipelineTestSupport.h"
#include "testsupport/TempFolder.h"
#include "uimodel/WaveformDisplay.h"

using namespace testsupport;

namespace {

TEST(WaveformDisplayTest, RebuildGoesToStagingAndTheSwapKeepsStripsOnTheirSummary) {
    TempFolder folder;
    const std::string path = folder.File("stereo.wav");
    const std::vector<int16_t> left = Noise(32000, 1, 9000);
    const std::vector<int16_t> right = Noise(32000, 2, 3000);
    ASSERT_TRUE(WritePcmWav(path, 16000, 2, Interleave(left, right)));
    CSoundFile file;
    ASSERT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Ok);

    std::vector<uint32_t> percents;
    int restored = 0;
    SummaryTitleProgress title;
    title.show = [&](uint32_t percent) { percents.push_back(percent); };
    title.restore = [&] { ++restored; };

    WaveformDisplay shown;
    ASSERT_EQ(BuildWaveformDisplay(shown, file, &title), SoundFileResult::Ok);
    ASSERT_TRUE(shown.HasStrips());
    ASSERT_TRUE(shown.strips.channel1);
    // 200 columns, a step of 2: the title counts 0, 1, ... 100, then is restored.
    ASSERT_EQ(percents.size(), 101u);
    EXPECT_EQ(percents.back(), 100u);
    EXPECT_EQ(restored, 1);

    // A second pass (after cleaning) must not touch what is on screen until
    // it is swapped in.
    const int16_t* shownColumns = shown.summary.channel1ColumnMax.data();
    WaveformDisplay staging;
    ASSERT_EQ(BuildWaveformDisplay(staging, file, nullptr), SoundFileResult::Ok);
    EXPECT_EQ(shown.strips.channel1->columnMaxima.data(), shownColumns);
    const int16_t* stagedColumns = staging.summary.channel1ColumnMax.data();
    ASSERT_NE(stagedColumns, shownColumns);

    shown = std::move(staging);
    EXPECT_EQ(shown.summary.channel1ColumnMax.data(), stagedColumns);
    EXPECT_EQ(shown.strips.channel1->columnMaxima.data(), stagedColumns);
    EXPECT_EQ(shown.strips.channel0->columnMinima.data(), shown.summary.channel0ColumnMin.data());
    EXPECT_EQ(shown.strips.channel1->maximum, *std::max_element(right.begin(), right.end()));

    shown.Clear();
    EXPECT_FALSE(shown.HasStrips());
    EXPECT_EQ(shown.summary.columnCount, 0);
}

}  // namespace
