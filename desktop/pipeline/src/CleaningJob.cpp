#include "pipeline/CleaningJob.h"

#include <climits>
#include <mutex>

#include "pipeline/ChannelPass.h"
#include "pipeline/CleaningEngine.h"
#include "pipeline/SoundFile.h"

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
