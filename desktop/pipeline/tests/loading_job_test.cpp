#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "PipelineTestSupport.h"
#include "pipeline/CleaningJob.h"
#include "pipeline/JobDriver.h"
#include "pipeline/LoadingJob.h"
#include "pipeline/Segmentation.h"
#include "pipeline/SoundFile.h"
#include "pipeline/WavSample.h"
#include "pipeline/WaveformSummary.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

using namespace testsupport;

namespace {

class SummaryTest : public ::testing::Test {
protected:
    void Open(const std::vector<int16_t>& interleaved, int channels, int rate) {
        const std::string path = folder.File("summary.wav");
        ASSERT_TRUE(WritePcmWav(path, rate, channels, interleaved));
        ASSERT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Ok);
    }

    TempFolder folder;
    CSoundFile file;
    WaveformSummary summary;
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
    ASSERT_EQ(BuildWaveformSummary(summary, file, false, nullptr, nullptr, &title),
              SoundFileResult::Ok);
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

// The loading job, then (optionally) the cleaning job, as the document runs them.
class DocumentFlowTest : public ::testing::Test {
protected:
    JobOutcome Load(const std::string& path, JobDriverOptions options = {}) {
        LoadingContext context;
        context.sync = &sync;
        context.soundFile = &file;
        context.path = path;
        context.segmentation = &segmentation;
        context.summary = &summary;
        context.strips = &strips;
        JobDriver driver(sync);
        return driver.Run(
            JobKind::Loading,
            [&](platform::MessageTarget& dialog) {
                context.dialog = &dialog;
                return LoadingJob(context);
            },
            options);
    }

    JobOutcome Clean() {
        CleaningContext context;
        context.soundFile = &file;
        context.settings = &settings;
        context.buffers = &buffers;
        context.sync = &sync;
        context.hasChannel1Strip = strips.channel1 != nullptr;
        context.createEngine = [this] { return new FakeEngine(log, script); };
        JobDriver driver(sync);
        return driver.Run(JobKind::Cleaning, [&](platform::MessageTarget& dialog) {
            context.dialog = &dialog;
            return CleaningJob(context);
        });
    }

    TempFolder folder;
    ScopedEnv tmpdir{"TMPDIR", folder.Path()};
    JobSync sync;
    CSoundFile file;
    std::unique_ptr<CSegmentation> segmentation;
    WaveformSummary summary;
    WaveformStrips strips;
    CleaningSettings settings;
    CleaningBuffers buffers;
    FakeEngine::Log log;
    FakeEngine::Script script;
};

TEST_F(DocumentFlowTest, LoadsARecordingWithItsSummaryAndStrips) {
    const std::string path = folder.File("speech.wav");
    const std::vector<int16_t> left = Noise(40000, 1, 12000);
    const std::vector<int16_t> right = Noise(40000, 2, 12000);
    ASSERT_TRUE(WritePcmWav(path, 16000, 2, Interleave(left, right)));
    segmentation = std::make_unique<CSegmentation>(5, 8000);
    segmentation->cursorFrame = 3;

    const JobOutcome outcome = Load(path);
    ASSERT_EQ(outcome.end, JobEnd::Finished);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.barUpper, 100u);
    // 80,000 samples: two whole blocks read, then 250 columns with a step of 2.
    ASSERT_EQ(outcome.messages.size(), 1u + 2u + 125u + 1u);
    EXPECT_EQ(outcome.messages[0].id, WM_LOADING_STARTED);
    EXPECT_EQ(outcome.messages[1].id, WM_LOADING_PROGRESS);
    EXPECT_EQ(outcome.messages[2].wParam, 1u);
    EXPECT_EQ(outcome.messages[2].lParam, 0);
    EXPECT_EQ(outcome.messages[3].lParam, 1);
    EXPECT_EQ(outcome.messages.back().id, WM_LOADING_FINISHED);

    ASSERT_TRUE(segmentation);
    EXPECT_EQ(segmentation->frames, 40000u);
    EXPECT_EQ(segmentation->sampleRate, 16000u);
    EXPECT_EQ(segmentation->cursorFrame, 0);
    EXPECT_EQ(summary.columnCount, 250);
    ASSERT_TRUE(strips.channel0 && strips.channel1 && strips.overview);
    EXPECT_EQ(ChannelSamples(file, 1), right);
}

TEST_F(DocumentFlowTest, WrongFormatEndsWithAnErrorMessageOnly) {
    const std::string path = folder.File("music.wav");
    ASSERT_TRUE(WritePcmWav(path, 44100, 1, Noise(4410, 1, 1000)));
    const JobOutcome outcome = Load(path);
    EXPECT_EQ(outcome.end, JobEnd::Error);
    EXPECT_EQ(outcome.errorKind, 1u);
    EXPECT_EQ(outcome.errorException, 0);
    EXPECT_EQ(outcome.exitCode, 1);
    for (const auto& m : outcome.messages) {
        EXPECT_NE(m.id, WM_LOADING_FINISHED);
    }
    EXPECT_FALSE(strips.channel0);
}

TEST_F(DocumentFlowTest, CancelWhileReadingOrSummarisingClosesTheFile) {
    const std::string path = folder.File("long.wav");
    ASSERT_TRUE(WritePcmWav(path, 8000, 1, Noise(5 * 32768, 1, 1000)));
    JobDriverOptions options;
    options.cancelAfterProgress = 2;  // during the block reading
    JobOutcome outcome = Load(path, options);
    EXPECT_EQ(outcome.end, JobEnd::Cancelled);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_FALSE(outcome.endMessageSeen);
    EXPECT_EQ(file.Frames(), 0u);
    EXPECT_FALSE(segmentation);

    options.cancelAfterProgress = 5 + 3;  // during the summary pass
    outcome = Load(path, options);
    EXPECT_EQ(outcome.end, JobEnd::Cancelled);
    EXPECT_EQ(outcome.progress.size(), 8u);
    EXPECT_EQ(file.Frames(), 0u);
    EXPECT_FALSE(strips.channel0);
}

TEST_F(DocumentFlowTest, MappedRecordingIsLoadedCleanedAndClosedWithoutTouchingTheUsersFile) {
    ScopedEnv budget("HUSHDESK_MEMORY_BUDGET", "1024");
    const std::string path = folder.File("mapped.wav");
    const std::vector<int16_t> left = Noise(30001, 5, 20000);
    const std::vector<int16_t> right = Noise(30001, 6, 20000);
    ASSERT_TRUE(WriteBytes(path, MakePcmWavBytes(8000, 2, Interleave(left, right), 26)));
    const std::vector<uint8_t> before = ReadBytes(path);
    const int64_t mtime = ModificationTimeNs(path);

    ASSERT_EQ(Load(path).end, JobEnd::Finished);
    ASSERT_TRUE(file.IsOnWorkingCopy());
    EXPECT_EQ(summary.channel1Max, *std::max_element(right.begin(), right.end()));
    script.gain = 0.5;
    settings.buffSize = 384;
    ASSERT_EQ(Clean().end, JobEnd::Finished);
    std::vector<int16_t> halfLeft(left.size());
    std::vector<int16_t> halfRight(right.size());
    std::transform(left.begin(), left.end(), halfLeft.begin(),
                   [](int16_t s) { return static_cast<int16_t>(std::lround(s * 0.5)); });
    std::transform(right.begin(), right.end(), halfRight.begin(),
                   [](int16_t s) { return static_cast<int16_t>(std::lround(s * 0.5)); });
    EXPECT_EQ(ChannelSamples(file, 0), halfLeft);
    EXPECT_EQ(ChannelSamples(file, 1), halfRight);
    const std::string copyPath = file.WorkingCopyPath();
    file.Close();
    EXPECT_EQ(ReadAllSamples(copyPath), Interleave(halfLeft, halfRight));
    file.DeleteWorkingCopy();
    EXPECT_FALSE(std::filesystem::exists(copyPath));

    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(ModificationTimeNs(path), mtime);
}

TEST_F(DocumentFlowTest, MemoryRecordingIsCleanedWithoutTouchingTheUsersFile) {
    const std::string path = folder.File("memory.wav");
    ASSERT_TRUE(WriteWav(path, SF_FORMAT_WAV | SF_FORMAT_ULAW, 8000, 1, Noise(9000, 7, 20000)));
    const std::vector<uint8_t> before = ReadBytes(path);
    const int64_t mtime = ModificationTimeNs(path);
    ASSERT_EQ(Load(path).end, JobEnd::Finished);
    ASSERT_FALSE(file.IsMapped());
    script.gain = 0.5;
    ASSERT_EQ(Clean().end, JobEnd::Finished);
    file.Close();
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(ModificationTimeNs(path), mtime);
}

TEST_F(DocumentFlowTest, WorkingCopyRefusalsReachTheDialogAsErrors) {
    ScopedEnv budget("HUSHDESK_MEMORY_BUDGET", "1024");
    const std::string path = folder.File("big.wav");
    ASSERT_TRUE(WritePcmWav(path, 8000, 1, Noise(8000, 8, 100)));
    ScopedEnv noTemp("TMPDIR", folder.File("missing-folder"));
    const JobOutcome outcome = Load(path);
    EXPECT_EQ(outcome.end, JobEnd::Error);
    EXPECT_EQ(outcome.errorKind, 2u);
    EXPECT_EQ(outcome.errorException, 0);
}

}  // namespace
