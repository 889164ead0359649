#include "Framing.h"

#include <algorithm>

#include "GainRule.h"
#include "RealFft.h"
#include "velquor/IVelquor.h"

namespace velquor {

namespace {

constexpr int16_t kFrameCounterLimit = 2;

// Emits the next H output samples and moves both the accumulator and the
// history on by one hop.
void Advance(SpectralState& s, float* out) {
    const int b = s.blockLength;
    const int h = b / 2;
    const int n = 2 * b;
    std::copy(s.accumulator, s.accumulator + h, out);
    std::copy(s.accumulator + h, s.accumulator + n, s.accumulator);
    std::fill(s.accumulator + n - h, s.accumulator + n, 0.0f);
    std::copy(s.history + h, s.history + h + b, s.history);
}

}  // namespace

int32_t ProcessFrame(SpectralState* state, GainStep gainStep) {
    SpectralState& s = *state;
    const int b = s.blockLength;
    const int h = b / 2;
    const int n = 2 * b;
    if (s.frameCounter == 0) {
        std::fill(s.accumulator, s.accumulator + n, 0.0f);
        ResetBins(s);
        s.frameCounterLimit = kFrameCounterLimit;
    }
    if (s.frameCounter < s.frameCounterLimit) {
        ++s.frameCounter;
    }

    // The frame sits in the middle of the buffer with H zeros on each side.
    std::fill(s.work, s.work + n, 0.0f);
    for (int i = 0; i < b; ++i) {
        s.work[h + i] = s.history[i] * s.window[i];
    }
    RealFft(s.work, s.transformOrder, s.transformTable);

    (gainStep != nullptr ? gainStep : ComputeGains)(s);

    s.work[0] *= s.gains[0];
    s.work[b] *= s.gains[b];
    for (int l = 1; l < b; ++l) {
        s.work[l] *= s.gains[l];
        s.work[n - l] *= s.gains[l];
    }
    InverseRealFft(s.work, s.transformOrder, s.transformTable);
    for (int i = 0; i < n; ++i) {
        s.accumulator[i] += s.work[i];
    }
    return 0;
}

int32_t ProcessBlock(SpectralState* state, const float* in, float* out, int32_t length,
                     GainStep gainStep) {
    SpectralState& s = *state;
    const int b = s.blockLength;
    const int h = b / 2;
    if (length != b) {
        return kVelquorWrongLength;
    }
    std::copy(in, in + b, s.history + h);
    ProcessFrame(state, gainStep);
    Advance(s, out);
    ProcessFrame(state, gainStep);
    Advance(s, out + h);
    return kVelquorOk;
}

}  // namespace velquor
