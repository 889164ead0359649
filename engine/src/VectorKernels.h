// The per-frame kernels built for vector instruction sets (x86-64 builds
// only): the same sources compiled once for AVX2 and FMA (namespace avx2)
// and once more for AVX-512 F/VL/DQ/BW (namespace avx512), still eight lanes
// wide: sixteen lanes measured slower here, the doubled register file and the
// shorter encodings are what pay. Call a set only when PathAvailable holds
// for its path: the dispatchers in RealFft.cpp, Framing.cpp and GainRule.cpp
// do so through the plan's path.
//
// Each set holds:
//   RealFft, RealFftOfCentredFrame, InverseRealFft   as in RealFft.h
//   FusedFramePath(plan)      true when the plan is long enough for the two
//                             fused frame steps:
//   ForwardOfWindowedFrame    history[0..B-1] times the window, centred and
//                             transformed into `spectrum` (N floats)
//   InverseAndAccumulate      the spectrum times the gains (bins 0..B),
//                             transformed back and added to the accumulator
//                             (N floats); the spectrum stays as it was
//   ComputeGains              the whole gain step
//   TransformFrame            the transform part of ProcessFrame (window,
//                             transforms, gains: the given step or
//                             ComputeGains, overlap-add)
//   ExpRow(in, out, count)    e^x for x within -87..88 (clamped there
//                             otherwise), under one unit in the last place
//                             (0.99 at worst on a 10^-4 grid)
//   LogRow(in, out, count)    ln x for positive normal x, under one unit in
//                             the last place (0.78 at worst on a geometric
//                             grid of 10^-30 to 3 10^38)
// In ExpRow and LogRow in and out may be the same.
#pragma once

#if defined(VELQUOR_HAVE_AVX2_PATH)

#include "Framing.h"
#include "ProcessorState.h"
#include "RealFft.h"

// The set a kernel source builds; the build defines it for the second one.
#if !defined(VELQUOR_VECTOR_NS)
#define VELQUOR_VECTOR_NS avx2
#endif

#define VELQUOR_DECLARE_VECTOR_KERNELS(ns)                                                      \
    namespace velquor::ns {                                                                     \
    void RealFft(float* buffer, const FftPlan& plan);                                           \
    void RealFftOfCentredFrame(float* buffer, const FftPlan& plan);                             \
    void InverseRealFft(float* buffer, const FftPlan& plan);                                    \
    bool FusedFramePath(const FftPlan& plan);                                                   \
    void ForwardOfWindowedFrame(const float* history, const float* window, const FftPlan& plan, \
                                float* spectrum);                                               \
    void InverseAndAccumulate(const float* spectrum, const float* gains, const FftPlan& plan,   \
                              float* accumulator);                                              \
    void ComputeGains(SpectralState& state);                                                    \
    void TransformFrame(SpectralState& state, GainStep gainStep);                               \
    void ExpRow(const float* in, float* out, int count);                                        \
    void LogRow(const float* in, float* out, int count);                                        \
    }

VELQUOR_DECLARE_VECTOR_KERNELS(avx2)
VELQUOR_DECLARE_VECTOR_KERNELS(avx512)

#undef VELQUOR_DECLARE_VECTOR_KERNELS

#endif
