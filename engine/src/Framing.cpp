#include "Framing.h"

#include <algorithm>

#include "FrameSteps.h"
#include "GainRule.h"
#include "RealFft.h"
#include "VectorKernels.h"
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

// The portable build's steps; the transforms and ComputeGains dispatch on
// the plan's path themselves.
struct PortableKernels {
    static void Forward(float* work, const FftPlan& plan) { RealFftOfCentredFrame(work, plan); }
    static void Inverse(float* work, const FftPlan& plan) { InverseRealFft(work, plan); }
    static void Gains(SpectralState& state) { ComputeGains(state); }
};

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

#if defined(VELQUOR_HAVE_AVX2_PATH)
    if (s.fftPlan.path == KernelPath::kAvx2) {
        avx2::TransformFrame(s, gainStep);
        return 0;
    }
    if (s.fftPlan.path == KernelPath::kAvx512) {
        avx512::TransformFrame(s, gainStep);
        return 0;
    }
#endif
    TransformFrameWith<PortableKernels>(s, gainStep);
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
