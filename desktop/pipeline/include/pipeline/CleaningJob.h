// The cleaning job: cleans every channel of the recording in place, chunk by
// chunk, through one engine object per channel, and reports to its runner over
// the job protocol.
//
// Each channel goes through a ChannelPass, aligned with the engine's lag (see
// EngineAlignment.h): cleaned frame n replaces frame n, every frame is cleaned,
// and the result does not depend on the chunk length.
//
// What "the chunks done" means: the job reads chunk after chunk; the cleaned
// samples reach the recording up to 256 + 255 frames behind the read position.
// When the job is cancelled after a chunk it first lets the engine finish the
// frames already read (zeros stand in for the frames after them), so frames
// 0..position-1 of the channel are cleaned and every later frame (and, during
// channel 0, all of channel 1) is untouched. After an error the written prefix
// is cleaned and the rest untouched; the frames read but not yet written keep
// their old values.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "pipeline/CleaningSettings.h"
#include "pipeline/EngineAlignment.h"
#include "pipeline/JobProtocol.h"
#include "velquor/IVelquor.h"

class CSoundFile;

// Longest chunk the job reads at once; a larger stored BuffSize is used as this.
inline constexpr uint32_t kMaxChunkFrames = 1024;
// Shortest chunk; a stored BuffSize below it means kMaxChunkFrames.
inline constexpr uint32_t kMinChunkFrames = 128;
// A chunk plus the part of a block left over from the chunk before it.
inline constexpr uint32_t kChunkBufferSamples = kMaxChunkFrames + kEngineBlockSamples;

// The document's two work buffers for the cleaning job, so that the job
// allocates nothing per chunk.
struct CleaningBuffers {
    std::array<int16_t, kChunkBufferSamples> input{};
    std::array<int16_t, kChunkBufferSamples> output{};
};

// Everything the job reaches. The runner's window is the dialog; the rest is
// the document's.
struct CleaningContext {
    platform::MessageTarget* dialog = nullptr;  // null: the job returns 1 at once
    CSoundFile* soundFile = nullptr;
    const CleaningSettings* settings = nullptr;
    CleaningBuffers* buffers = nullptr;
    JobSync* sync = nullptr;
    bool documentHasView = true;   // false: every chunk fails with -1
    bool hasChannel1Strip = true;  // false for a stereo file: -1 after channel 0
    // Engine factory; CreateVelquor unless a test puts in its own.
    std::function<IVelquor*()> createEngine = [] { return CreateVelquor(); };
};

// The job's step numbers for F frames of K channels and chunk length L.
struct ChunkPlan {
    uint32_t chunkFrames = 0;  // L
    uint32_t fullChunks = 0;   // n: F / L, one less when L divides F
    uint32_t lastChunk = 0;    // frames of the final chunk: F - n * L (reaches the end)
    uint32_t divisor = 1;      // progress thinning: (n - K) / 100 when n > 1000
    uint32_t totalSteps = 0;   // n * K, sent with WM_CLEANING_STARTED
};

// Chunk length for a stored BuffSize: below 128 -> 1024, above 1024 -> 1024.
uint32_t ChunkFramesFor(uint32_t buffSize);
ChunkPlan PlanChunks(uint32_t frames, uint32_t channels, uint32_t buffSize);

// The job thread's body. 0 finished or cancelled; 1 no dialog, no engine, or
// the engine's Init failed; -1 a stereo file without a channel-1 strip;
// otherwise the failing chunk's code. Only a finished run posts an end message.
int CleaningJob(CleaningContext& context);
