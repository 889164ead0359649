// The transform part of a frame compiled for AVX2, calling the AVX2
// transforms and gain step directly.
#include "Avx2Kernels.h"
#include "FrameSteps.h"

namespace velquor::avx2 {

namespace {

struct Kernels {
    static void Forward(float* work, const FftPlan& plan) {
        avx2::RealFftOfCentredFrame(work, plan);
    }
    static void Inverse(float* work, const FftPlan& plan) { avx2::InverseRealFft(work, plan); }
    static void Gains(SpectralState& state) { avx2::ComputeGains(state); }
};

}  // namespace

void TransformFrame(SpectralState& state, GainStep gainStep) {
    TransformFrameWith<Kernels>(state, gainStep);
}

}  // namespace velquor::avx2
