// The cleaning job with the real engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "PipelineTestSupport.h"
#include "pipeline/CleaningJob.h"
#include "pipeline/JobDriver.h"
#include "pipeline/LoadingJob.h"
#include "pipeline/SoundFile.h"
#include "pipeline/WaveformSummary.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

using namespace testsupport;

namespace {

class CleaningEngineTest : public ::testing::Test {
protected:
    // Loads `interleaved` as the document does, cleans it, returns every channel.
    std::vector<std::vector<int16_t>> LoadAndClean(const std::vector<int16_t>& interleaved,
                                                   int channels, int rate, JobEnd* end = nullptr) {
        const std::string path = folder.File("recording.wav");
        EXPECT_TRUE(WritePcmWav(path, rate, channels, interleaved));
        CSoundFile file;
        WaveformSummary summary;
        LoadingContext loading;
        loading.sync = &sync;
        loading.soundFile = &file;
        loading.path = path;
        loading.summary = &summary;
        JobDriver driver(sync);
        EXPECT_EQ(driver
                      .Run(JobKind::Loading,
                           [&](platform::MessageTarget& dialog) {
                               loading.dialog = &dialog;
                               return LoadingJob(loading);
                           })
                      .end,
                  JobEnd::Finished);
        mapped = file.IsMapped();

        CleaningContext cleaning;
        cleaning.soundFile = &file;
        cleaning.settings = &settings;
        cleaning.buffers = &buffers;
        cleaning.sync = &sync;
        const JobOutcome outcome =
            driver.Run(JobKind::Cleaning, [&](platform::MessageTarget& dialog) {
                cleaning.dialog = &dialog;
                return CleaningJob(cleaning);
            });
        if (end != nullptr) {
            *end = outcome.end;
        }
        std::vector<std::vector<int16_t>> result(channels);
        for (int c = 0; c < channels; ++c) {
            result[c] = ChannelSamples(file, c);
        }
        return result;
    }

    TempFolder folder;
    ScopedEnv tmpdir{"TMPDIR", folder.Path()};
    JobSync sync;
    CleaningSettings settings;
    CleaningBuffers buffers;
    bool mapped = false;
};

// Speech-band tones over a noise floor: something for the noise estimate to do.
std::vector<int16_t> NoisySignal(uint32_t frames, int rate, uint32_t seed) {
    const std::vector<int16_t> tone = Tone(frames, 700.0, rate, 6000.0);
    const std::vector<int16_t> noise = Noise(frames, seed, 1500);
    std::vector<int16_t> mix(frames);
    for (uint32_t i = 0; i < frames; ++i) {
        // Tone bursts of half a second, noise throughout.
        const bool burst = (i / (rate / 2)) % 2 == 1;
        mix[i] = static_cast<int16_t>((burst ? tone[i] : 0) + noise[i]);
    }
    return mix;
}

TEST_F(CleaningEngineTest, WithTheSwitchesOffAToneComesOutAlignedAtSevenEighths) {
    settings.noiseCancel = false;
    settings.spectrum = false;
    settings.tone = false;
    for (const int rate : {8000, 16000}) {
        SCOPED_TRACE(rate);
        const uint32_t frames = static_cast<uint32_t>(rate) * 2 + 123;
        // A mid-band tone, far from the low cut and the top bin. A hard start or
        // stop would put energy into the lowest bins, which the low cut shapes
        // (about 100 LSB at the first and last frames); 64-frame raised-cosine
        // edges keep it out, and everything from frame 64 to frames - 65 is at
        // full level, so a missing or shifted frame anywhere shows.
        std::vector<int16_t> original = Tone(frames, 1000.0, rate, 12000.0);
        constexpr uint32_t kEdgeFrames = 64;
        for (uint32_t i = 0; i < kEdgeFrames; ++i) {
            const double gain = 0.5 - 0.5 * std::cos(M_PI * i / kEdgeFrames);
            original[i] = static_cast<int16_t>(std::lround(original[i] * gain));
            original[frames - 1 - i] =
                static_cast<int16_t>(std::lround(original[frames - 1 - i] * gain));
        }
        JobEnd end = JobEnd::Failed;
        const std::vector<int16_t> cleaned = LoadAndClean(original, 1, rate, &end)[0];
        ASSERT_EQ(end, JobEnd::Finished);
        ASSERT_EQ(cleaned.size(), original.size());
        int worst = 0;
        uint32_t worstFrame = 0;
        for (uint32_t n = 0; n < frames; ++n) {
            const int error = std::abs(cleaned[n] - static_cast<int>(0.875 * original[n]));
            if (error > worst) {
                worst = error;
                worstFrame = n;
            }
        }
        EXPECT_LE(worst, 2) << "at frame " << worstFrame;
        // Lag 0 over the engine's latency at both ends: the tone is at full level
        // within the first and last 256 frames, where a shift by one frame, or a
        // frame left uncleaned, would be thousands of LSB off.
        const auto peak = [&](uint32_t from, uint32_t to) {
            int best = 0;
            for (uint32_t n = from; n < to; ++n) {
                best = std::max(best, std::abs(static_cast<int>(original[n])));
            }
            return best;
        };
        EXPECT_GT(peak(kEdgeFrames, 256), 11000);
        EXPECT_GT(peak(frames - 256, frames - kEdgeFrames), 11000);
    }
}

TEST_F(CleaningEngineTest, ResultDoesNotDependOnTheChunkLength) {
    const std::vector<int16_t> signal = NoisySignal(24000 + 77, 8000, 3);
    settings.buffSize = 1024;
    const std::vector<int16_t> reference = LoadAndClean(signal, 1, 8000)[0];
    ASSERT_NE(reference, signal);
    for (uint32_t buffSize = 128; buffSize < 1024; buffSize += 128) {
        SCOPED_TRACE(buffSize);
        settings.buffSize = buffSize;
        EXPECT_EQ(LoadAndClean(signal, 1, 8000)[0], reference);
    }
    settings.buffSize = 5000;  // only the registry can hold this
    EXPECT_EQ(LoadAndClean(signal, 1, 8000)[0], reference);
}

TEST_F(CleaningEngineTest, EachChannelStartsWithAFreshEngine) {
    const std::vector<int16_t> signal = NoisySignal(16000, 16000, 4);
    const auto both = LoadAndClean(Interleave(signal, signal), 2, 16000);
    ASSERT_NE(both[0], signal);
    EXPECT_EQ(both[0], both[1]);
    EXPECT_EQ(both[0], LoadAndClean(signal, 1, 16000)[0]);
}

TEST_F(CleaningEngineTest, MappedModeCleansLikeMemoryMode) {
    const std::vector<int16_t> signal = NoisySignal(20000, 8000, 5);
    const std::vector<int16_t> inMemory = LoadAndClean(signal, 1, 8000)[0];
    ASSERT_FALSE(mapped);
    ScopedEnv budget("HUSHDESK_MEMORY_BUDGET", "4096");
    const std::vector<int16_t> throughMapping = LoadAndClean(signal, 1, 8000)[0];
    ASSERT_TRUE(mapped);
    EXPECT_EQ(throughMapping, inMemory);
}

}  // namespace
