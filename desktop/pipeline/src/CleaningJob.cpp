#include "pipeline/CleaningJob.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <mutex>

#include "pipeline/SoundFile.h"
#include "platform/ShowMessage.h"

namespace {

constexpr uint32_t kProgressThinningLimit = 1000;
// Internal: the channel pass stopped on a cancel request.
constexpr int kCancelled = INT_MIN;

EnginePtr MakeEngine(const CleaningContext& context, uint32_t sampleRate) {
    return MakeCleaningEngine(context.createEngine, *context.settings, sampleRate);
}

// Cleans one channel; 0, a chunk's failure code, or kCancelled.
int CleanChannel(CleaningContext& context, IVelquor& engine, int32_t channel,
                 const ChunkPlan& plan) {
    ChannelPass pass(context, engine, channel, plan.chunkFrames);
    for (uint32_t i = 0; i < plan.fullChunks; ++i) {
        if (const int code = pass.ProcessChunk(plan.chunkFrames); code != 0) {
            return code;
        }
        if (JobCancelRequested(context.sync->JobCancelEvent)) {
            // Finish the frames already read, so that the cleaned part ends
            // exactly where reading stopped and everything after it is untouched.
            pass.Flush();
            return kCancelled;
        }
        if (i % plan.divisor == 0) {
            const uint32_t step = channel == 0 ? i : plan.fullChunks + i + 1;
            context.dialog->Post(WM_CLEANING_PROGRESS, step, channel);
        }
    }
    if (const int code = pass.ProcessChunk(plan.lastChunk); code != 0) {
        return code;
    }
    return pass.Flush();
}

}  // namespace

uint32_t ChunkFramesFor(uint32_t buffSize) {
    // Below the dialog's smallest size means "never set"; above the largest
    // would overrun the work buffers.
    if (buffSize < kMinChunkFrames || buffSize > kMaxChunkFrames) {
        return kMaxChunkFrames;
    }
    return buffSize;
}

ChunkPlan PlanChunks(uint32_t frames, uint32_t channels, uint32_t buffSize) {
    ChunkPlan plan;
    plan.chunkFrames = ChunkFramesFor(buffSize);
    if (frames > 0) {
        plan.fullChunks = frames / plan.chunkFrames;
        if (frames % plan.chunkFrames == 0) {
            plan.fullChunks -= 1;
        }
        plan.lastChunk = frames - plan.fullChunks * plan.chunkFrames;
    }
    if (plan.fullChunks > kProgressThinningLimit) {
        plan.divisor = (plan.fullChunks - channels) / 100;
    }
    plan.totalSteps = plan.fullChunks * channels;
    return plan;
}

EnginePtr MakeCleaningEngine(const std::function<IVelquor*()>& create,
                             const CleaningSettings& settings, uint32_t sampleRate) {
    EnginePtr engine(create ? create() : nullptr);
    if (!engine) {
        return nullptr;
    }
    engine->SetWhiteNoise(1);
    // Before Init: the floor depth and shape are read only there.
    ApplyCleaningSettings(*engine, settings);
    if (engine->Init(static_cast<int32_t>(sampleRate)) != kVelquorOk) {
        return nullptr;
    }
    return engine;
}

void ApplyCleaningSettings(IVelquor& engine, const CleaningSettings& settings) {
    engine.SetNoiseSuppression(settings.noiseCancel ? 1 : 0);
    engine.SetWhiteNoise(settings.whiteNoise ? 1 : 0);
    engine.SetSpectrumCorrection(settings.spectrum ? 1 : 0);
    engine.SetToneCleaning(settings.tone ? 1 : 0);
    engine.SetGainMaxDb(static_cast<int32_t>(std::min<uint32_t>(settings.gainMaxDb, INT32_MAX)));
    engine.SetNoiseEstimator(settings.trackingNoise ? kVelquorNoiseEstimateTracking
                                                    : kVelquorNoiseEstimateAverage);
}

ChannelPass::ChannelPass(CleaningContext& context, IVelquor& engine, int32_t channel,
                         uint32_t chunkFrames)
    : m_context(context), m_engine(engine), m_channel(channel), m_chunkFrames(chunkFrames) {}

int ChannelPass::ProcessChunk(uint32_t count) {
    if (count == 0) {
        return 0;
    }
    if (count > m_chunkFrames || !m_context.documentHasView) {
        return -1;
    }
    CSoundFile& file = *m_context.soundFile;
    int16_t* input = m_context.buffers->input.data();
    {
        // A failed re-map of the working copy raises a box: never under the lock.
        platform::DeferMessages deferMessages;
        std::lock_guard lock(m_context.sync->JobLock);
        if (uint64_t{m_position} + count > file.Frames()) {
            return 3;
        }
        for (uint32_t i = 0; i < count; ++i) {
            input[m_pending + i] = file.GetSample(m_channel, m_position + i, true);
        }
    }
    m_position += count;
    m_pending += count;

    const uint32_t whole = m_pending - m_pending % kEngineBlockSamples;
    if (whole == 0) {
        return 0;
    }
    if (RunEngine(whole) != 0) {
        return 2;
    }
    // Keep the part that does not fill a block for the next call.
    std::memmove(input, input + whole, (m_pending - whole) * sizeof(int16_t));
    m_pending -= whole;
    return 0;
}

int ChannelPass::Flush() {
    if (m_written >= m_position) {
        return 0;
    }
    // Frame m comes out as output m + 256: push the pending samples and enough
    // zeros behind them for the last frame read to come out.
    const uint32_t needed = m_pending + kEngineBlockSamples;
    const uint32_t fed =
        (needed + kEngineBlockSamples - 1) / kEngineBlockSamples * kEngineBlockSamples;
    int16_t* input = m_context.buffers->input.data();
    std::fill(input + m_pending, input + fed, int16_t{0});
    if (RunEngine(fed) != 0) {
        return 2;
    }
    m_pending = 0;
    return 0;
}

int ChannelPass::RunEngine(uint32_t samples) {
    const int32_t result =
        m_engine.Process(m_context.buffers->input.data(), m_context.buffers->output.data(),
                         static_cast<int32_t>(samples));
    if (result != kVelquorOk) {
        return result;
    }
    WriteOutputs(samples);
    return 0;
}

void ChannelPass::WriteOutputs(uint32_t samples) {
    const uint32_t dropped = std::min(m_toDrop, samples);
    m_toDrop -= dropped;
    const uint32_t count = std::min(samples - dropped, m_position - m_written);
    if (count == 0) {
        return;
    }
    const int16_t* output = m_context.buffers->output.data() + dropped;
    CSoundFile& file = *m_context.soundFile;
    platform::DeferMessages deferMessages;  // before the lock: released after it
    std::lock_guard lock(m_context.sync->JobLock);
    if (file.IsMapped()) {
        for (uint32_t i = 0; i < count; ++i) {
            file.SetSample(m_channel, m_written + i, output[i]);
        }
    } else if (int16_t* samples = file.GetSampleBuffer()) {
        const uint32_t channels = file.ChannelCount();
        for (uint32_t i = 0; i < count; ++i) {
            samples[uint64_t{m_written + i} * channels + m_channel] = output[i];
        }
    }
    m_written += count;
}

int CleaningJob(CleaningContext& context) {
    if (context.dialog == nullptr || context.soundFile == nullptr || context.settings == nullptr ||
        context.buffers == nullptr || context.sync == nullptr) {
        return 1;
    }
    uint32_t frames = 0;
    uint32_t channels = 0;
    uint32_t sampleRate = 0;
    {
        std::lock_guard lock(context.sync->JobLock);
        frames = context.soundFile->Frames();
        channels = context.soundFile->ChannelCount();
        sampleRate = context.soundFile->SampleRate();
    }
    EnginePtr engine = MakeEngine(context, sampleRate);
    if (!engine) {
        return 1;
    }
    const ChunkPlan plan = PlanChunks(frames, channels, context.settings->buffSize);
    JobStartHandshake(*context.sync, *context.dialog, WM_CLEANING_STARTED, plan.totalSteps,
                      plan.divisor);

    int code = CleanChannel(context, *engine, 0, plan);
    engine.reset();
    if (code == kCancelled) {
        return 0;
    }
    if (code != 0) {
        return code;
    }
    if (channels == 2) {
        if (!context.hasChannel1Strip) {
            return -1;
        }
        engine = MakeEngine(context, sampleRate);
        if (!engine) {
            return 1;
        }
        code = CleanChannel(context, *engine, 1, plan);
        engine.reset();
        if (code == kCancelled) {
            return 0;
        }
        if (code != 0) {
            return code;
        }
    }
    JobEndHandshake(*context.sync, *context.dialog, WM_CLEANING_FINISHED, 1, 1);
    return 0;
}
