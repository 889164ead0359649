// The gain step compiled for AVX2 and FMA: the shared whole-spectrum loops,
// vectorised eight bins wide by the compiler, with the vector e^x and ln x.
#include "Avx2Kernels.h"
#include "GainLoops.h"

namespace velquor::avx2 {

namespace {

struct VectorMath {
    static void Log(const float* in, float* out, int count) { LogRow(in, out, count); }
    static void Exp(const float* in, float* out, int count) { ExpRow(in, out, count); }
};

}  // namespace

void ComputeGains(SpectralState& state) {
    ComputeGainsWith<VectorMath>(state);
}

}  // namespace velquor::avx2
