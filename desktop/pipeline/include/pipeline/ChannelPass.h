// One channel of the recording through one engine, chunk by chunk, in place:
// the cleaning job's unit of work. The engine's lag is taken care of by
// EngineAlignment, so cleaned frame n replaces frame n.
#pragma once

#include <cstdint>

#include "pipeline/CleaningJob.h"
#include "pipeline/EngineAlignment.h"

class ChannelPass {
public:
    ChannelPass(CleaningContext& context, IVelquor& engine, int32_t channel, uint32_t chunkFrames);

    // Reads `count` frames from the read position, cleans them and writes every
    // cleaned frame that has come out. 0 done; -1 count above the chunk length
    // or no view; 2 the engine failed; 3 the recording ended early (nothing of
    // this chunk is used), also when a mapped working copy was cut short
    // while it was read or written.
    int ProcessChunk(uint32_t count);
    // Pushes zeros through the engine until every frame read has been written.
    // 0, 2 when the engine failed, 3 when the working copy was cut short.
    int Flush();

    uint32_t Position() const { return static_cast<uint32_t>(m_alignment.Pushed()); }
    // Frames 0..Written()-1 are cleaned.
    uint32_t Written() const { return static_cast<uint32_t>(m_alignment.Emitted()); }

private:
    bool WriteOutputs(uint32_t from);  // false: the working copy was cut short

    CleaningContext& m_context;
    EngineAlignment m_alignment;
    int32_t m_channel;
    uint32_t m_chunkFrames;
};
