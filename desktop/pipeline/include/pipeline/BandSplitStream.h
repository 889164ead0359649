// Cleaning a recording at a rate other than the engine's own 8 or 16 kHz, as
// it is read, in constant memory. The recording is resampled to 16 kHz and
// cleaned there exactly as a 16 kHz recording is (CleaningStream); the part
// above 8 kHz, which the engine never sees, is scaled every 10 ms by what the
// engine did to the top of the band it did see (4-8 kHz): the ratio of
// cleaned to noisy energy there, smoothed and no deeper than the deepest
// reduction chosen. The cleaned low band, resampled back, and the scaled high
// band are added in step, so cleaned frame n replaces frame n and the output
// is exactly as long as the input.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "pipeline/CleaningSettings.h"

class IVelquor;

class BandSplitStream {
public:
    // The engine's rate for the low band.
    static constexpr uint32_t kEngineRate = 16000;
    // Longest block Push takes.
    static constexpr uint32_t kMaxBlockFrames = 4096;

    BandSplitStream();
    ~BandSplitStream();
    BandSplitStream(const BandSplitStream&) = delete;
    BandSplitStream& operator=(const BandSplitStream&) = delete;

    // Makes the resamplers and channels x passes engines; false when one
    // cannot be made or set up.
    bool Init(const CleaningSettings& settings, uint32_t sampleRate, uint32_t channels, int passes,
              const std::function<IVelquor*()>& create = {});

    // Cleans `frames` interleaved frames of samples in -1..1 (at most
    // kMaxBlockFrames); `out` is replaced by the cleaned frames that are ready,
    // which lag the input. 0, or an engine's failure code.
    int Push(const float* interleaved, uint32_t frames, std::vector<float>& out);
    // The frames still inside: after it, as many frames have come out as went in.
    int Finish(std::vector<float>& out);

private:
    struct State;
    std::unique_ptr<State> m_state;
};
