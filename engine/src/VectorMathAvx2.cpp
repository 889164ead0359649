// e^x and ln x eight lanes at a time with AVX2 and FMA: range reduction by
// powers of two and minimax polynomials of the reduced argument (the
// single-precision Cephes coefficients). The error bounds stated in
// VectorKernels.h are checked against double-precision references by the
// engine tests.
#include <immintrin.h>

#include <cstdint>

#include "VectorKernels.h"

namespace velquor::VELQUOR_VECTOR_NS {

namespace {

constexpr int kLanes = 8;

// x = n ln 2 + r with |r| <= ln 2 / 2; ln 2 split in two so that n * kLn2High
// is exact for every n the clamp allows.
constexpr float kLog2E = 1.44269504088896341f;
constexpr float kLn2High = 0.693359375f;
constexpr float kLn2Low = -2.12194440e-4f;
// 2^n stays a normal number for n in -126..127.
constexpr float kExpMin = -87.0f;
constexpr float kExpMax = 88.0f;

__m256 Exp8(__m256 x) {
    x = _mm256_min_ps(_mm256_max_ps(x, _mm256_set1_ps(kExpMin)), _mm256_set1_ps(kExpMax));
    const __m256 n = _mm256_round_ps(_mm256_mul_ps(x, _mm256_set1_ps(kLog2E)),
                                     _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    __m256 r = _mm256_fnmadd_ps(n, _mm256_set1_ps(kLn2High), x);
    r = _mm256_fnmadd_ps(n, _mm256_set1_ps(kLn2Low), r);
    // e^r = 1 + r + r^2 P(r) on |r| <= ln 2 / 2.
    __m256 p = _mm256_set1_ps(1.9875691500e-4f);
    p = _mm256_fmadd_ps(p, r, _mm256_set1_ps(1.3981999507e-3f));
    p = _mm256_fmadd_ps(p, r, _mm256_set1_ps(8.3334519073e-3f));
    p = _mm256_fmadd_ps(p, r, _mm256_set1_ps(4.1665795894e-2f));
    p = _mm256_fmadd_ps(p, r, _mm256_set1_ps(1.6666665459e-1f));
    p = _mm256_fmadd_ps(p, r, _mm256_set1_ps(5.0000001201e-1f));
    const __m256 y =
        _mm256_add_ps(_mm256_fmadd_ps(p, _mm256_mul_ps(r, r), r), _mm256_set1_ps(1.0f));
    const __m256i exponent =
        _mm256_slli_epi32(_mm256_add_epi32(_mm256_cvtps_epi32(n), _mm256_set1_epi32(127)), 23);
    return _mm256_mul_ps(y, _mm256_castsi256_ps(exponent));
}

// x = m 2^e with m in [sqrt(1/2), sqrt(2)); ln x = e ln 2 + ln m, and
// ln(1 + t) = t - t^2/2 + t^3 P(t) for t = m - 1.
__m256 Log8(__m256 x) {
    const __m256i bits = _mm256_castps_si256(x);
    __m256 e =
        _mm256_cvtepi32_ps(_mm256_sub_epi32(_mm256_srli_epi32(bits, 23), _mm256_set1_epi32(126)));
    // Mantissa in [0.5, 1).
    __m256 m = _mm256_castsi256_ps(_mm256_or_si256(
        _mm256_and_si256(bits, _mm256_set1_epi32(0x007fffff)), _mm256_set1_epi32(0x3f000000)));
    const __m256 small = _mm256_cmp_ps(m, _mm256_set1_ps(0.707106781186547524f), _CMP_LT_OQ);
    // Below sqrt(1/2) the mantissa is doubled and the exponent lowered by one.
    e = _mm256_sub_ps(e, _mm256_and_ps(small, _mm256_set1_ps(1.0f)));
    const __m256 t = _mm256_add_ps(_mm256_sub_ps(m, _mm256_set1_ps(1.0f)), _mm256_and_ps(small, m));
    const __m256 t2 = _mm256_mul_ps(t, t);
    __m256 p = _mm256_set1_ps(7.0376836292e-2f);
    p = _mm256_fmadd_ps(p, t, _mm256_set1_ps(-1.1514610310e-1f));
    p = _mm256_fmadd_ps(p, t, _mm256_set1_ps(1.1676998740e-1f));
    p = _mm256_fmadd_ps(p, t, _mm256_set1_ps(-1.2420140846e-1f));
    p = _mm256_fmadd_ps(p, t, _mm256_set1_ps(1.4249322787e-1f));
    p = _mm256_fmadd_ps(p, t, _mm256_set1_ps(-1.6668057665e-1f));
    p = _mm256_fmadd_ps(p, t, _mm256_set1_ps(2.0000714765e-1f));
    p = _mm256_fmadd_ps(p, t, _mm256_set1_ps(-2.4999993993e-1f));
    p = _mm256_fmadd_ps(p, t, _mm256_set1_ps(3.3333331174e-1f));
    __m256 y = _mm256_mul_ps(_mm256_mul_ps(p, t), t2);
    y = _mm256_fmadd_ps(e, _mm256_set1_ps(kLn2Low), y);
    y = _mm256_fnmadd_ps(t2, _mm256_set1_ps(0.5f), y);
    return _mm256_fmadd_ps(e, _mm256_set1_ps(kLn2High), _mm256_add_ps(t, y));
}

template <__m256 (*F)(__m256)>
void Row(const float* in, float* out, int count) {
    int i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        _mm256_storeu_ps(out + i, F(_mm256_loadu_ps(in + i)));
    }
    if (i < count) {
        // The tail through a full vector; the padding lanes hold 1, harmless
        // for both functions.
        alignas(32) float tail[kLanes] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
        for (int j = i; j < count; ++j) {
            tail[j - i] = in[j];
        }
        _mm256_store_ps(tail, F(_mm256_load_ps(tail)));
        for (int j = i; j < count; ++j) {
            out[j] = tail[j - i];
        }
    }
}

}  // namespace

void ExpRow(const float* in, float* out, int count) {
    Row<Exp8>(in, out, count);
}

void LogRow(const float* in, float* out, int count) {
    Row<Log8>(in, out, count);
}

}  // namespace velquor::VELQUOR_VECTOR_NS
