// The engine's output lags its input by one 256-sample block and it takes whole
// blocks only. This class keeps both facts away from its callers: it carries
// the part of the input that does not fill a block to the next call, drops the
// engine's first 256 outputs, and at the end feeds zeros until every sample
// pushed has come out. Cleaned sample n is therefore the engine's output n + 256,
// every sample is cleaned, and the result does not depend on how the input was
// cut into calls. The cleaning job and the cleaning stream both align through it.
#pragma once

#include <cstdint>
#include <span>

#include "velquor/IVelquor.h"

// Engine block: the engine consumes whole blocks and lags by one block.
inline constexpr uint32_t kEngineBlockSamples = 256;

class EngineAlignment {
public:
    // `input` and `output` are the caller's work buffers, equally long: at
    // least two blocks, at most kVelquorMaxSamplesPerCall samples.
    EngineAlignment(IVelquor& engine, std::span<int16_t> input, std::span<int16_t> output);

    // Where the next samples go: write up to FreeSamples() samples at
    // FreeSpace(), then Commit them.
    int16_t* FreeSpace() const { return m_input.data() + m_pending; }
    uint32_t FreeSamples() const { return static_cast<uint32_t>(m_input.size()) - m_pending; }

    // Runs the engine over the whole blocks now in the input; Ready() then
    // holds the aligned samples that came out. 0, or the engine's failure code.
    int Commit(uint32_t count);
    // Feeds zeros behind the carried samples until every sample committed has
    // come out into Ready(). 0, or the engine's failure code.
    int Finish();

    // The aligned output of the last Commit or Finish (empty when none came out).
    std::span<const int16_t> Ready() const { return m_ready; }
    uint64_t Pushed() const { return m_pushed; }    // samples committed
    uint64_t Emitted() const { return m_emitted; }  // aligned samples handed out

private:
    int Run(uint32_t samples);

    IVelquor* m_engine;
    std::span<int16_t> m_input;
    std::span<int16_t> m_output;
    std::span<const int16_t> m_ready;
    uint32_t m_pending = 0;  // samples in the input that do not fill a block yet
    uint64_t m_pushed = 0;
    uint64_t m_emitted = 0;
    uint32_t m_toDrop = kEngineBlockSamples;
};
