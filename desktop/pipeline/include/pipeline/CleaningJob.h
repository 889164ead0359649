// The cleaning job: cleans every channel of the recording in place, chunk by
// chunk, through one engine object per channel, and reports to its runner over
// the job protocol.
//
// Alignment: the engine's output lags its input by 256 samples and it takes
// whole 256-sample blocks only. Each channel pass therefore feeds the engine
// the channel's samples as whole blocks (keeping the part of a chunk that does
// not fill a block for the next call), drops the engine's first 256 outputs,
// and at the channel's end feeds zeros until every frame has come out. Cleaned
// frame n replaces frame n, every frame is cleaned, and the result does not
// depend on the chunk length.
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
#include <memory>

#include "pipeline/CleaningSettings.h"
#include "pipeline/JobProtocol.h"
#include "velquor/IVelquor.h"

class CSoundFile;

// Engine block: the engine consumes whole blocks and lags by one block.
inline constexpr uint32_t kEngineBlockSamples = 256;
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

// Sets "NioseCancel", "WiteNoise", "Spectrum", "Tone" and "GainMaxDB", in that
// order, on an engine that has not been Init'ed yet (floor depth and shape are
// read by Init).
void ApplyCleaningSettings(IVelquor& engine, const CleaningSettings& settings);

struct EngineRelease {
    void operator()(IVelquor* engine) const { engine->Release(); }
};
using EnginePtr = std::unique_ptr<IVelquor, EngineRelease>;

// An engine set up as the job sets up each channel's: white noise on, then the
// settings, then Init at `sampleRate`. Null when `create` gives none or Init
// fails.
EnginePtr MakeCleaningEngine(const std::function<IVelquor*()>& create,
                             const CleaningSettings& settings, uint32_t sampleRate);

// One channel's pass through one engine with the latency compensation above.
class ChannelPass {
public:
    ChannelPass(CleaningContext& context, IVelquor& engine, int32_t channel, uint32_t chunkFrames);

    // Reads `count` frames from the read position, cleans them and writes every
    // cleaned frame that has come out. 0 done; -1 count above the chunk length
    // or no view; 2 the engine failed; 3 the recording ended early (nothing of
    // this chunk is used).
    int ProcessChunk(uint32_t count);
    // Pushes zeros through the engine until every frame read has been written.
    // 0, or 2 when the engine failed.
    int Flush();

    uint32_t Position() const { return m_position; }  // next frame to read
    uint32_t Written() const { return m_written; }    // frames 0..Written()-1 cleaned

private:
    int RunEngine(uint32_t samples);
    void WriteOutputs(uint32_t samples);

    CleaningContext& m_context;
    IVelquor& m_engine;
    int32_t m_channel;
    uint32_t m_chunkFrames;
    uint32_t m_position = 0;
    uint32_t m_written = 0;
    uint32_t m_pending = 0;  // samples in the input buffer that do not fill a block yet
    uint32_t m_toDrop = kEngineBlockSamples;
};

// The job thread's body. 0 finished or cancelled; 1 no dialog, no engine, or
// the engine's Init failed; -1 a stereo file without a channel-1 strip;
// otherwise the failing chunk's code. Only a finished run posts an end message.
int CleaningJob(CleaningContext& context);
