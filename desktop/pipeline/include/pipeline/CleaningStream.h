// Cleaning a recording as it is read, block by block, in constant memory: the
// samples of every channel go through one engine per channel and pass, set up
// and aligned exactly as the cleaning job does it (see EngineAlignment.h), so the
// cleaned samples are the same bit for bit, whatever the block lengths. Pass
// p + 1 takes pass p's aligned output as it comes out, so several passes need
// no second copy of the recording.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "pipeline/CleaningEngine.h"
#include "pipeline/CleaningSettings.h"
#include "pipeline/EngineAlignment.h"

// One channel through one engine: cleaned sample n is the engine's output
// n + 256; Finish feeds zeros until every sample pushed has come out.
class ChannelStage {
public:
    explicit ChannelStage(EnginePtr engine);

    // Appends to `out` every cleaned sample that has come out. 0, or the
    // engine's failure code.
    int Push(const int16_t* samples, uint32_t count, std::vector<int16_t>& out);
    int Finish(std::vector<int16_t>& out);

private:
    struct Buffers {
        std::array<int16_t, kVelquorMaxSamplesPerCall> input{};
        std::array<int16_t, kVelquorMaxSamplesPerCall> output{};
    };

    EnginePtr m_engine;
    // On the heap, so that the alignment's view of them survives a move.
    std::unique_ptr<Buffers> m_buffers = std::make_unique<Buffers>();
    EngineAlignment m_alignment;
};

class CleaningStream {
public:
    // Longest block Push takes.
    static constexpr uint32_t kMaxBlockFrames = 4096;

    // Makes channels x passes engines; false when one cannot be made or
    // initialised.
    bool Init(
        const CleaningSettings& settings, uint32_t sampleRate, uint32_t channels, int passes,
        const std::function<IVelquor*()>& create = [] { return CreateVelquor(); });

    // Cleans `frames` interleaved frames (at most kMaxBlockFrames); `out` is
    // replaced by the interleaved frames that have come out, which lag the
    // input. 0, or an engine's failure code.
    int Push(const int16_t* interleaved, uint32_t frames, std::vector<int16_t>& out);
    // The frames still inside the engines.
    int Finish(std::vector<int16_t>& out);

private:
    int Run(const int16_t* interleaved, uint32_t frames, bool finish, std::vector<int16_t>& out);

    uint32_t m_channels = 0;
    std::vector<std::vector<ChannelStage>> m_stages;  // [channel][pass]
    std::vector<int16_t> m_in;
    std::vector<int16_t> m_out;
    std::vector<std::vector<int16_t>> m_cleaned;  // per channel, this call's output
};
