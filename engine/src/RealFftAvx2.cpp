// The real FFT compiled for AVX2: the shared kernels, whose butterfly and
// split loops the compiler vectorises eight points wide.
#include "Avx2Kernels.h"
#include "RealFftKernels.h"

namespace velquor::avx2 {

void RealFft(float* buffer, const FftPlan& plan) {
    ForwardTransform(buffer, plan);
}

void RealFftOfCentredFrame(float* buffer, const FftPlan& plan) {
    ForwardTransformOfCentred(buffer, plan);
}

void InverseRealFft(float* buffer, const FftPlan& plan) {
    InverseTransform(buffer, plan);
}

}  // namespace velquor::avx2
