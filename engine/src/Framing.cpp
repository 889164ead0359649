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

// The frame sits in the middle of the work buffer with H zeros on each side.
void WindowFrame(const float* __restrict history, const float* __restrict window, int b,
                 float* __restrict work) {
    const int h = b / 2;
    std::fill(work, work + h, 0.0f);
    for (int i = 0; i < b; ++i) {
        work[h + i] = history[i] * window[i];
    }
    std::fill(work + h + b, work + 2 * b, 0.0f);
}

// Packed spectrum: element l and element N-l (its imaginary part) share gain l.
void ApplyGains(const float* __restrict gains, int b, float* __restrict work) {
    const int n = 2 * b;
    for (int l = 0; l <= b; ++l) {
        work[l] *= gains[l];
    }
    for (int l = 1; l < b; ++l) {
        work[n - l] *= gains[l];
    }
}

void Accumulate(const float* __restrict work, int n, float* __restrict accumulator) {
    for (int i = 0; i < n; ++i) {
        accumulator[i] += work[i];
    }
}

}  // namespace

int32_t ProcessFrame(SpectralState* state, GainStep gainStep) {
    SpectralState& s = *state;
    const int b = s.blockLength;
    const int n = 2 * b;
    if (s.frameCounter == 0) {
        std::fill(s.accumulator, s.accumulator + n, 0.0f);
        ResetBins(s);
        s.frameCounterLimit = kFrameCounterLimit;
    }
    if (s.frameCounter < s.frameCounterLimit) {
        ++s.frameCounter;
    }

    WindowFrame(s.history, s.window, b, s.work);
    RealFft(s.work, s.fftPlan);
    (gainStep != nullptr ? gainStep : ComputeGains)(s);
    ApplyGains(s.gains, b, s.work);
    InverseRealFft(s.work, s.fftPlan);
    Accumulate(s.work, n, s.accumulator);
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
