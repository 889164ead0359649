// The gain step compiled for AVX2 and FMA: the shared whole-spectrum loops,
// vectorised eight bins wide by the compiler, with the vector e^x and ln x.
#include "GainLoops.h"
#include "VectorKernels.h"

namespace velquor::VELQUOR_VECTOR_NS {

namespace {

struct VectorMath {
    static void Log(const float* in, float* out, int count) { LogRow(in, out, count); }
    static void Exp(const float* in, float* out, int count) { ExpRow(in, out, count); }
};

}  // namespace

void ComputeGains(SpectralState& state) {
    ComputeGainsWith<VectorMath>(state);
}

}  // namespace velquor::VELQUOR_VECTOR_NS
