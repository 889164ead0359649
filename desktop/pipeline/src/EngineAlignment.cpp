#include "pipeline/EngineAlignment.h"

#include <algorithm>
#include <cassert>
#include <cstring>

EngineAlignment::EngineAlignment(IVelquor& engine, std::span<int16_t> input,
                                 std::span<int16_t> output)
    : m_engine(&engine), m_input(input), m_output(output) {
    assert(input.size() == output.size());
    assert(input.size() >= 2 * kEngineBlockSamples && input.size() <= kVelquorMaxSamplesPerCall);
}

int EngineAlignment::Commit(uint32_t count) {
    m_ready = {};
    m_pending += count;
    m_pushed += count;
    const uint32_t whole = m_pending - m_pending % kEngineBlockSamples;
    if (whole == 0) {
        return 0;
    }
    if (const int code = Run(whole); code != 0) {
        return code;
    }
    // Keep the part that does not fill a block for the next call.
    std::memmove(m_input.data(), m_input.data() + whole, (m_pending - whole) * sizeof(int16_t));
    m_pending -= whole;
    return 0;
}

int EngineAlignment::Finish() {
    m_ready = {};
    if (m_emitted >= m_pushed) {
        return 0;
    }
    // Sample m comes out as output m + 256: the carried samples (less than a
    // block) and enough zeros behind them make at most two blocks, so one run
    // lets the last sample out.
    const uint32_t needed = m_pending + kEngineBlockSamples;
    const uint32_t fed =
        (needed + kEngineBlockSamples - 1) / kEngineBlockSamples * kEngineBlockSamples;
    std::fill(m_input.data() + m_pending, m_input.data() + fed, int16_t{0});
    if (const int code = Run(fed); code != 0) {
        return code;
    }
    m_pending = 0;
    return 0;
}

int EngineAlignment::Run(uint32_t samples) {
    const int32_t result =
        m_engine->Process(m_input.data(), m_output.data(), static_cast<int32_t>(samples));
    if (result != kVelquorOk) {
        return result;
    }
    const uint32_t dropped = std::min(m_toDrop, samples);
    m_toDrop -= dropped;
    const auto count =
        static_cast<uint32_t>(std::min<uint64_t>(samples - dropped, m_pushed - m_emitted));
    m_ready = {m_output.data() + dropped, count};
    m_emitted += count;
    return 0;
}
