#include "RealFft.h"

#include <cmath>
#include <new>
#include <numbers>
#include <vector>

#include "AlignedArray.h"
#include "RealFftKernels.h"
#include "VectorKernels.h"

namespace velquor {

namespace {

int FftPlanFloats(int order) {
    return 4 << order;
}

int FftPlanOrigins(int order) {
    return 1 << (order - kMinFftOrder);
}

// sin and cos of 2 pi i / N for i = 0..N/2, read from the quarter-period table
// (cosines from its mirrored end).
float SineAt(const float* sine, int n, int i) {
    const int quarter = n / 4;
    if (i == 0 || i == 2 * quarter) {
        return 0.0f;
    }
    if (i == quarter) {
        return 1.0f;
    }
    return i < quarter ? sine[i] : sine[2 * quarter - i];
}

float CosineAt(const float* sine, int n, int i) {
    const int quarter = n / 4;
    if (i == 0) {
        return 1.0f;
    }
    if (i == quarter) {
        return 0.0f;
    }
    if (i == 2 * quarter) {
        return -1.0f;
    }
    return i < quarter ? sine[quarter - i] : -sine[i - quarter];
}

int ReverseBits(int value, int bits) {
    int reversed = 0;
    for (int b = 0; b < bits; ++b) {
        reversed = (reversed << 1) | (value & 1);
        value >>= 1;
    }
    return reversed;
}

void FillFftPlan(FftPlan& plan, int order, const float* sine) {
    plan.order = order;
    plan.path = ChosenPath();
    const Layout l = LayOut(plan);
    for (int h = 4; h < l.m; h *= 2) {
        const int step = l.n / (2 * h);  // twiddle j of this stage is e^(-2 pi i j step / N)
        for (int j = 0; j < h; ++j) {
            l.stageCos[h - 4 + j] = CosineAt(sine, l.n, j * step);
            l.stageSin[h - 4 + j] = SineAt(sine, l.n, j * step);
        }
    }
    for (int k = 0; k < l.m; ++k) {
        l.splitCos[k] = CosineAt(sine, l.n, k);
        l.splitSin[k] = SineAt(sine, l.n, k);
    }
    // Group q of four points starts at the bit reversal of 4q over log2(M)
    // bits, which is q reversed over two bits fewer.
    for (int q = 0; q < l.m / 4; ++q) {
        plan.origins[q] = ReverseBits(q, order - kMinFftOrder);
    }
}

}  // namespace

void BuildSineTable(float* table, int order) {
    const int n = 1 << order;
    const auto step = static_cast<float>(2.0 * std::numbers::pi / n);
    double phase = 0.0;
    for (int i = 0; i < n / 4; ++i) {
        table[i] = static_cast<float>(std::sin(phase));
        phase += step;
    }
}

bool MakeFftPlan(FftPlan& plan, int order, const float* sineTable) {
    FreeFftPlan(plan);
    plan.tables = NewAlignedArray<float>(static_cast<size_t>(FftPlanFloats(order)));
    plan.origins = NewAlignedArray<int32_t>(static_cast<size_t>(FftPlanOrigins(order)));
    if (plan.tables == nullptr || plan.origins == nullptr) {
        FreeFftPlan(plan);
        return false;
    }
    FillFftPlan(plan, order, sineTable);
    return true;
}

void FreeFftPlan(FftPlan& plan) {
    DeleteAlignedArray(plan.tables);
    DeleteAlignedArray(plan.origins);
    plan = FftPlan{};
}

void RealFft(float* x, const FftPlan& plan) {
#if defined(VELQUOR_HAVE_AVX2_PATH)
    if (plan.path == KernelPath::kAvx2) {
        avx2::RealFft(x, plan);
        return;
    }
    if (plan.path == KernelPath::kAvx512) {
        avx512::RealFft(x, plan);
        return;
    }
#endif
    ForwardTransform(x, plan);
}

void RealFftOfCentredFrame(float* x, const FftPlan& plan) {
#if defined(VELQUOR_HAVE_AVX2_PATH)
    if (plan.path == KernelPath::kAvx2) {
        avx2::RealFftOfCentredFrame(x, plan);
        return;
    }
    if (plan.path == KernelPath::kAvx512) {
        avx512::RealFftOfCentredFrame(x, plan);
        return;
    }
#endif
    ForwardTransformOfCentred(x, plan);
}

void InverseRealFft(float* x, const FftPlan& plan) {
#if defined(VELQUOR_HAVE_AVX2_PATH)
    if (plan.path == KernelPath::kAvx2) {
        avx2::InverseRealFft(x, plan);
        return;
    }
    if (plan.path == KernelPath::kAvx512) {
        avx512::InverseRealFft(x, plan);
        return;
    }
#endif
    InverseTransform(x, plan);
}

namespace {

// A plan over vectors, for the one-off transforms.
struct OwnedPlan {
    OwnedPlan(int order, const float* sine)
        : tables(FftPlanFloats(order)), origins(FftPlanOrigins(order)) {
        plan.tables = tables.data();
        plan.origins = origins.data();
        FillFftPlan(plan, order, sine);
    }
    std::vector<float> tables;
    std::vector<int32_t> origins;
    FftPlan plan;
};

}  // namespace

void RealFft(float* buffer, int order, const float* sineTable) {
    const OwnedPlan owned(order, sineTable);
    RealFft(buffer, owned.plan);
}

void InverseRealFft(float* buffer, int order, const float* sineTable) {
    const OwnedPlan owned(order, sineTable);
    InverseRealFft(buffer, owned.plan);
}

}  // namespace velquor
