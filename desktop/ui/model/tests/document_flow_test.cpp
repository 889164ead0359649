// The loading job, then the cleaning job, as the document runs them: the
// strips made through the loading job's hook.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

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
#include "uimodel/WavSample.h"

using namespace testsupport;

namespace {

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
        context.summarised = [this](const CSoundFile& loaded, const WaveformSummary& made) {
            CreateStrips(strips, loaded, made);
        };
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
