// The transform part of a frame (window, forward transform, gains, weighting,
// inverse transform, overlap-add), shared by the portable build (Framing.cpp)
// and the AVX2 build (FramingAvx2.cpp). `Kernels` supplies the transforms and
// the gain step of its build:
//   static void Forward(float* work, const FftPlan&);   // centred frame
//   static void Inverse(float* work, const FftPlan&);
//   static void Gains(SpectralState&);
// Everything here has internal linkage and uses no library templates, so
// neither build's code can stand in for the other's at link time.
#pragma once

#include "Framing.h"
#include "ProcessorState.h"

namespace velquor {
namespace {

// The frame sits in the middle of the work buffer with H zeros on each side.
void WindowFrame(const float* __restrict history, const float* __restrict window, int b,
                 float* __restrict work) {
    const int h = b / 2;
    for (int i = 0; i < h; ++i) {
        work[i] = 0.0f;
        work[h + b + i] = 0.0f;
    }
    for (int i = 0; i < b; ++i) {
        work[h + i] = history[i] * window[i];
    }
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

template <class Kernels>
void TransformFrameWith(SpectralState& s, GainStep gainStep) {
    const int b = s.blockLength;
    WindowFrame(s.history, s.window, b, s.work);
    Kernels::Forward(s.work, s.fftPlan);
    if (gainStep != nullptr) {
        gainStep(s);
    } else {
        Kernels::Gains(s);
    }
    ApplyGains(s.gains, b, s.work);
    Kernels::Inverse(s.work, s.fftPlan);
    Accumulate(s.work, 2 * b, s.accumulator);
}

}  // namespace
}  // namespace velquor
