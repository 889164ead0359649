#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <mutex>

#include "PipelineTestSupport.h"
#include "pipeline/ChannelPass.h"
#include "pipeline/CleaningJob.h"
#include "pipeline/JobDriver.h"
#include "pipeline/SoundFile.h"
#include "pipeline/WaveformSummary.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

using namespace testsupport;

namespace {

TEST(ChunkPlanTest, StepsAndBarRangeFollowTheRecordingLength) {
    struct Case {
        uint32_t frames, channels, buffSize;
        uint32_t chunk, n, last, divisor, total;
    };
    const Case cases[] = {
        {16000, 1, 1024, 1024, 15, 640, 1, 15},
        {2048, 1, 1024, 1024, 1, 1024, 1, 1},  // exact multiple: the final chunk is the second
        {1024, 1, 1024, 1024, 0, 1024, 1, 0},
        {1200000, 1, 1024, 1024, 1171, 896, 11, 1171},
        {1200000, 2, 1024, 1024, 1171, 896, 11, 2342},
        {1025, 2, 128, 128, 8, 1, 1, 16},
        {0, 1, 1024, 1024, 0, 0, 1, 0},
        {5000, 1, 64, 1024, 4, 904, 1, 4},     // below 128: the default size
        {5000, 1, 4096, 1024, 4, 904, 1, 4},   // above the work buffers: 1024
        {5000, 1, 1000, 1000, 4, 1000, 1, 4},  // any size in range, block multiple or not
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.frames << " frames, " << c.channels << " channels, " << c.buffSize);
        const ChunkPlan plan = PlanChunks(c.frames, c.channels, c.buffSize);
        EXPECT_EQ(plan.chunkFrames, c.chunk);
        EXPECT_EQ(plan.fullChunks, c.n);
        EXPECT_EQ(plan.lastChunk, c.last);
        EXPECT_EQ(plan.divisor, c.divisor);
        EXPECT_EQ(plan.totalSteps, c.total);
        EXPECT_EQ(plan.fullChunks * plan.chunkFrames + plan.lastChunk, c.frames);
    }
}

// A recording in memory plus everything a cleaning job needs around it.
class CleaningJobTest : public ::testing::Test {
protected:
    void Load(const std::vector<int16_t>& interleaved, int channels, int rate = 8000) {
        path = folder.File("recording.wav");
        ASSERT_TRUE(WritePcmWav(path, rate, channels, interleaved));
        ASSERT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Ok);
        ASSERT_FALSE(file.IsMapped());
    }

    CleaningContext Context() {
        CleaningContext context;
        context.soundFile = &file;
        context.settings = &settings;
        context.buffers = &buffers;
        context.sync = &sync;
        context.createEngine = [this] { return new FakeEngine(log, script); };
        return context;
    }

    JobOutcome Run(CleaningContext& context, JobDriverOptions options = {}) {
        JobDriver driver(sync);
        return driver.Run(
            JobKind::Cleaning,
            [&](platform::MessageTarget& dialog) {
                context.dialog = &dialog;
                return CleaningJob(context);
            },
            options);
    }

    TempFolder folder;
    ScopedEnv tmpdir{"TMPDIR", folder.Path()};
    std::string path;
    CSoundFile file;
    CleaningSettings settings;
    CleaningBuffers buffers;
    JobSync sync;
    FakeEngine::Log log;
    FakeEngine::Script script;
};

std::vector<int16_t> Scaled(const std::vector<int16_t>& samples, double gain) {
    std::vector<int16_t> scaled(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        scaled[i] = static_cast<int16_t>(std::lround(samples[i] * gain));
    }
    return scaled;
}

// Length of the prefix where `cleaned` equals `expected`, and whether the rest
// equals `original`.
size_t CleanPrefix(const std::vector<int16_t>& now, const std::vector<int16_t>& cleaned,
                   const std::vector<int16_t>& original, bool& restUntouched) {
    size_t prefix = 0;
    while (prefix < now.size() && now[prefix] == cleaned[prefix]) {
        ++prefix;
    }
    restUntouched = std::equal(now.begin() + static_cast<ptrdiff_t>(prefix), now.end(),
                               original.begin() + static_cast<ptrdiff_t>(prefix));
    return prefix;
}

TEST_F(CleaningJobTest, CleanedFrameNReplacesFrameNForEveryChunkLength) {
    // The stand-in engine is a 256-sample delay times 0.5: aligned output is
    // exactly half the input, first and last frames included.
    script.gain = 0.5;
    for (const uint32_t frames : {1u, 255u, 256u, 1000u, 4097u, 16000u}) {
        const std::vector<int16_t> original = Noise(frames, frames, 30000);
        for (uint32_t buffSize = 64; buffSize <= 1152; buffSize += 64) {
            SCOPED_TRACE(testing::Message() << frames << " frames, BuffSize " << buffSize);
            file.Close();
            Load(original, 1);
            settings.buffSize = buffSize;
            log = {};
            CleaningContext context = Context();
            const JobOutcome outcome = Run(context);
            ASSERT_EQ(outcome.end, JobEnd::Finished);
            EXPECT_EQ(ChannelSamples(file, 0), Scaled(original, 0.5));
            for (const int32_t count : log.processCounts) {
                EXPECT_EQ(count % 256, 0);
                EXPECT_LE(count, 4096);
            }
            EXPECT_EQ(log.created, 1);
            EXPECT_EQ(log.released, 1);
        }
    }
}

TEST_F(CleaningJobTest, PostsThinnedProgressForLongRecordings) {
    Load(std::vector<int16_t>(1200000, 100), 1);
    CleaningContext context = Context();
    const JobOutcome outcome = Run(context);
    ASSERT_EQ(outcome.end, JobEnd::Finished);
    ASSERT_FALSE(outcome.messages.empty());
    EXPECT_EQ(outcome.messages.front().id, WM_CLEANING_STARTED);
    EXPECT_EQ(outcome.messages.front().wParam, 1171u);
    EXPECT_EQ(outcome.messages.front().lParam, 11);
    ASSERT_EQ(outcome.progress.size(), 107u);
    for (size_t k = 0; k < outcome.progress.size(); ++k) {
        EXPECT_EQ(outcome.progress[k].wParam, 11 * k);
        EXPECT_EQ(outcome.progress[k].lParam, 0);
    }
    EXPECT_EQ(outcome.barUpper, 106u);
    EXPECT_EQ(outcome.barPosition, 106u);
    EXPECT_EQ(outcome.messages.back().id, WM_CLEANING_FINISHED);
    EXPECT_EQ(outcome.messages.back().wParam, 1u);
    EXPECT_EQ(outcome.messages.back().lParam, 1);
}

// Looks at the recording when the first channel-1 progress message is posted.
class SnapshotTarget : public platform::MessageTarget {
public:
    SnapshotTarget(platform::MessageTarget& inner, std::function<void()> snapshot)
        : m_inner(inner), m_snapshot(std::move(snapshot)) {}
    void Post(uint32_t id, uintptr_t wParam, intptr_t lParam) override {
        if (id == WM_CLEANING_PROGRESS && lParam == 1 && !m_taken) {
            m_taken = true;
            m_snapshot();
        }
        m_inner.Post(id, wParam, lParam);
    }

private:
    platform::MessageTarget& m_inner;
    std::function<void()> m_snapshot;
    bool m_taken = false;
};

TEST_F(CleaningJobTest, CleansChannelZeroCompletelyBeforeChannelOne) {
    script.gain = 0.5;
    const std::vector<int16_t> left = Noise(16000, 1, 20000);
    const std::vector<int16_t> right = Noise(16000, 2, 20000);
    Load(Interleave(left, right), 2);
    std::vector<int16_t> leftThen;
    std::vector<int16_t> rightThen;
    CleaningContext context = Context();
    JobDriver driver(sync);
    const JobOutcome outcome = driver.Run(JobKind::Cleaning, [&](platform::MessageTarget& dialog) {
        SnapshotTarget target(dialog, [&] {
            std::lock_guard lock(sync.JobLock);
            leftThen = ChannelSamples(file, 0);
            rightThen = ChannelSamples(file, 1);
        });
        context.dialog = &target;
        return CleaningJob(context);
    });
    ASSERT_EQ(outcome.end, JobEnd::Finished);
    EXPECT_EQ(outcome.messages.front().wParam, 30u);  // n x K
    EXPECT_EQ(outcome.messages.front().lParam, 1);
    ASSERT_EQ(outcome.progress.size(), 30u);
    for (size_t i = 0; i < 15; ++i) {
        EXPECT_EQ(outcome.progress[i].wParam, i);
        EXPECT_EQ(outcome.progress[i].lParam, 0);
        EXPECT_EQ(outcome.progress[15 + i].wParam, 16 + i);  // n + j + 1
        EXPECT_EQ(outcome.progress[15 + i].lParam, 1);
    }
    EXPECT_EQ(leftThen, Scaled(left, 0.5));
    // After channel 1's first chunk only its first 1024 - 256 frames are out.
    bool restUntouched = false;
    EXPECT_EQ(CleanPrefix(rightThen, Scaled(right, 0.5), right, restUntouched), 768u);
    EXPECT_TRUE(restUntouched);
    EXPECT_EQ(ChannelSamples(file, 0), Scaled(left, 0.5));
    EXPECT_EQ(ChannelSamples(file, 1), Scaled(right, 0.5));
    EXPECT_EQ(log.created, 2);  // a fresh engine for channel 1
    EXPECT_EQ(log.released, 2);
}

TEST_F(CleaningJobTest, CancelLeavesTheChunksDoneCleanedAndTheRestUntouched) {
    script.gain = 0.5;
    const std::vector<int16_t> left = Noise(50000, 3, 20000);
    const std::vector<int16_t> right = Noise(50000, 4, 20000);
    Load(Interleave(left, right), 2);
    settings.buffSize = 640;  // not a whole number of engine blocks
    CleaningContext context = Context();
    JobDriverOptions options;
    options.cancelAfterProgress = 5;  // pressed while chunk 4 is reported
    const JobOutcome outcome = Run(context, options);

    EXPECT_EQ(outcome.end, JobEnd::Cancelled);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_FALSE(outcome.endMessageSeen);
    EXPECT_EQ(outcome.progress.size(), 5u);
    // The job sees the request after the next chunk: six chunks were read and
    // exactly those frames are cleaned.
    bool restUntouched = false;
    EXPECT_EQ(CleanPrefix(ChannelSamples(file, 0), Scaled(left, 0.5), left, restUntouched),
              6u * 640u);
    EXPECT_TRUE(restUntouched);
    EXPECT_EQ(ChannelSamples(file, 1), right);
    EXPECT_EQ(log.created, 1);
    EXPECT_EQ(log.released, 1);
    EXPECT_FALSE(sync.JobCancelEvent.IsSet());
}

TEST_F(CleaningJobTest, AppliesTheSettingsBeforeInit) {
    Load(Noise(3000, 5, 1000), 1);
    settings.noiseCancel = false;
    settings.whiteNoise = false;
    settings.spectrum = true;
    settings.tone = true;
    settings.gainMaxDb = 6;
    CleaningContext context = Context();
    ASSERT_EQ(Run(context).end, JobEnd::Finished);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"SetWhiteNoise", "SetNoiseSuppression",
                                                   "SetWhiteNoise", "SetSpectrumCorrection",
                                                   "SetToneCleaning", "SetGainMaxDb", "Init"}));
    EXPECT_EQ(log.gainMaxDbAtInit, 6);
    EXPECT_EQ(log.whiteNoiseAtInit, 0);
}

TEST_F(CleaningJobTest, EveryWayOutReleasesTheEngineAndTheRunnerLearnsOfIt) {
    const std::vector<int16_t> left = Noise(8000, 6, 20000);
    const std::vector<int16_t> right = Noise(8000, 7, 20000);
    Load(Interleave(left, right), 2);

    {
        SCOPED_TRACE("Init fails");
        log = {};
        script.initResult = kVelquorOutOfMemory;
        CleaningContext context = Context();
        const JobOutcome outcome = Run(context);
        EXPECT_EQ(outcome.end, JobEnd::Failed);
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_TRUE(outcome.messages.empty());
        EXPECT_EQ(log.released, log.created);
        script.initResult = 0;
    }
    {
        SCOPED_TRACE("no engine");
        CleaningContext context = Context();
        context.createEngine = [] { return nullptr; };
        EXPECT_EQ(Run(context).exitCode, 1);
    }
    {
        SCOPED_TRACE("no dialog");
        CleaningContext context = Context();
        EXPECT_EQ(CleaningJob(context), 1);
    }
    {
        SCOPED_TRACE("no view");
        log = {};
        CleaningContext context = Context();
        context.documentHasView = false;
        const JobOutcome outcome = Run(context);
        EXPECT_EQ(outcome.end, JobEnd::Failed);
        EXPECT_EQ(outcome.exitCode, -1);
        EXPECT_EQ(log.released, 1);
        EXPECT_EQ(ChannelSamples(file, 0), left);
    }
    {
        SCOPED_TRACE("engine fails on its third call");
        log = {};
        script.failProcessAtCall = 2;
        script.gain = 0.5;
        CleaningContext context = Context();
        const JobOutcome outcome = Run(context);
        EXPECT_EQ(outcome.end, JobEnd::Failed);
        EXPECT_EQ(outcome.exitCode, 2);
        EXPECT_EQ(log.released, 1);
        bool restUntouched = false;
        EXPECT_EQ(CleanPrefix(ChannelSamples(file, 0), Scaled(left, 0.5), left, restUntouched),
                  2048u - 256u);
        EXPECT_TRUE(restUntouched);
        EXPECT_EQ(ChannelSamples(file, 1), right);
        script.failProcessAtCall = -1;
    }
    file.Close();
    Load(Interleave(left, right), 2);
    {
        SCOPED_TRACE("stereo without a channel-1 strip");
        log = {};
        CleaningContext context = Context();
        context.hasChannel1Strip = false;
        const JobOutcome outcome = Run(context);
        EXPECT_EQ(outcome.end, JobEnd::Failed);
        EXPECT_EQ(outcome.exitCode, -1);
        EXPECT_EQ(log.created, 1);
        EXPECT_EQ(log.released, 1);
        EXPECT_EQ(ChannelSamples(file, 0), Scaled(left, 0.5));
        EXPECT_EQ(ChannelSamples(file, 1), right);
    }
}

TEST_F(CleaningJobTest, AWorkingCopyCutShortFailsThePassInsteadOfTheProgram) {
    // Mapped mode: the pass reads and writes the working copy's pages.
    {
        ScopedEnv budget("HUSHDESK_MEMORY_BUDGET", "16");
        path = folder.File("recording.wav");
        ASSERT_TRUE(WritePcmWav(path, 8000, 1, Noise(8000, 9, 1000)));
        ASSERT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Ok);
        WaveformSummary summary;
        ASSERT_EQ(BuildWaveformSummary(summary, file, true, nullptr, nullptr), SoundFileResult::Ok);
        ASSERT_TRUE(file.IsOnWorkingCopy());
    }
    const std::string copy = file.WorkingCopyPath();
    CleaningContext context = Context();
    context.documentHasView = true;
    {
        // Another program cuts the copy to its first page while it is read.
        FakeEngine* engine = new FakeEngine(log, script);
        ChannelPass pass(context, *engine, 0, 1024);
        EXPECT_EQ(pass.ProcessChunk(1024), 0);
        ASSERT_EQ(truncate(copy.c_str(), 4096), 0);
        EXPECT_EQ(pass.ProcessChunk(1024), 3);
        engine->Release();
    }
    {
        // ... or while the last cleaned frames are written.
        ASSERT_EQ(truncate(copy.c_str(), 44 + 16000), 0);
        FakeEngine* engine = new FakeEngine(log, script);
        ChannelPass pass(context, *engine, 0, 1024);
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(pass.ProcessChunk(1024), 0);
        }
        ASSERT_EQ(truncate(copy.c_str(), 4096), 0);
        EXPECT_EQ(pass.Flush(), 3);
        engine->Release();
    }
}

TEST_F(CleaningJobTest, ChunkPastTheEndOfTheRecordingIsRefused) {
    Load(Noise(1000, 8, 1000), 1);
    CleaningContext context = Context();
    FakeEngine* engine = new FakeEngine(log, script);
    ChannelPass pass(context, *engine, 0, 1024);
    EXPECT_EQ(pass.ProcessChunk(1025), -1);
    EXPECT_EQ(pass.ProcessChunk(600), 0);
    EXPECT_EQ(pass.ProcessChunk(600), 3);
    EXPECT_EQ(pass.Position(), 600u);
    EXPECT_EQ(pass.ProcessChunk(0), 0);
    engine->Release();
}

}  // namespace
