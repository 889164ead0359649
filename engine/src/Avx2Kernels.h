// The per-frame kernels compiled for AVX2 and FMA (x86-64 builds only). Call
// them only when PathAvailable(KernelPath::kAvx2) holds: the dispatchers in
// RealFft.cpp and GainRule.cpp do so through the plan's path.
#pragma once

#if defined(VELQUOR_HAVE_AVX2_PATH)

#include "Framing.h"
#include "ProcessorState.h"
#include "RealFft.h"

namespace velquor::avx2 {

void RealFft(float* buffer, const FftPlan& plan);
void RealFftOfCentredFrame(float* buffer, const FftPlan& plan);
void InverseRealFft(float* buffer, const FftPlan& plan);

// The whole gain step of ComputeGains.
void ComputeGains(SpectralState& state);

// The transform part of ProcessFrame: window, forward transform, gains (the
// given step, or ComputeGains), weighting, inverse transform, overlap-add.
void TransformFrame(SpectralState& state, GainStep gainStep);

// out[i] = e^in[i] for in[i] within -87..88 (clamped there otherwise), less
// than one unit in the last place from the exact value (0.99 at worst on a
// 10^-4 grid). in and out may be the same.
void ExpRow(const float* in, float* out, int count);
// out[i] = ln in[i] for positive normal in[i], less than one unit in the last
// place from the exact value (0.78 at worst on a geometric grid of 10^-30 to
// 3 10^38). in and out may be the same.
void LogRow(const float* in, float* out, int count);

}  // namespace velquor::avx2

#endif
