// The transform part of a frame compiled for AVX2, calling the AVX2
// transforms and gain step directly.
#include "FrameSteps.h"
#include "VectorKernels.h"

namespace velquor::VELQUOR_VECTOR_NS {

namespace {

struct Kernels {
    static void Forward(float* work, const FftPlan& plan) {
        VELQUOR_VECTOR_NS::RealFftOfCentredFrame(work, plan);
    }
    static void Inverse(float* work, const FftPlan& plan) {
        VELQUOR_VECTOR_NS::InverseRealFft(work, plan);
    }
    static void Gains(SpectralState& state) { VELQUOR_VECTOR_NS::ComputeGains(state); }
};

}  // namespace

void TransformFrame(SpectralState& state, GainStep gainStep) {
    if (!FusedFramePath(state.fftPlan)) {
        TransformFrameWith<Kernels>(state, gainStep);
        return;
    }
    // The window folded into the forward transform, the gains and the
    // overlap-add into the inverse: two passes over the frame fewer.
    ForwardOfWindowedFrame(state.history, state.window, state.fftPlan, state.work);
    if (gainStep != nullptr) {
        gainStep(state);
    } else {
        VELQUOR_VECTOR_NS::ComputeGains(state);
    }
    InverseAndAccumulate(state.work, state.gains, state.fftPlan, state.accumulator);
}

}  // namespace velquor::VELQUOR_VECTOR_NS
