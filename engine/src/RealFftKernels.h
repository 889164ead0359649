// The real FFT's per-frame kernels, shared by the portable build (RealFft.cpp)
// and the AVX2 build (RealFftAvx2.cpp), which compile the same arithmetic
// with different instruction sets. Everything here has internal linkage and
// uses no library templates, so neither build's code can stand in for the
// other's at link time.
#pragma once

#include <cstdint>

#include "RealFft.h"

namespace velquor {
namespace {

// Where each table sits in FftPlan::tables, with M = N/2 complex points:
// stage twiddles (cosines, then sines; the stage of half-size h starts at
// h - 4), split-step twiddles (cosines, then sines of 2 pi k / N, k < M), and
// the work area (real and imaginary halves of two M-point sequences).
struct Layout {
    int n;
    int m;
    float* stageCos;
    float* stageSin;
    float* splitCos;
    float* splitSin;
    float* re;
    float* im;
    float* re2;
    float* im2;
};

Layout LayOut(const FftPlan& plan) {
    const int n = 1 << plan.order;
    const int m = n / 2;
    float* t = plan.tables;
    return Layout{n, m, t, t + m, t + 2 * m, t + 3 * m, t + 4 * m, t + 5 * m, t + 6 * m, t + 7 * m};
}

// The first two stages (twiddles 1 and -i) taken straight from the input in
// bit-reversed order, so no separate permutation pass is needed. Input point j
// is (srcRe[j * stride], srcIm[j * stride]).
void FirstStages(const float* srcRe, const float* srcIm, int stride, const int32_t* origins, int m,
                 float* __restrict re, float* __restrict im) {
    const int quarter = m / 4;
    for (int q = 0; q < quarter; ++q) {
        const int o = origins[q];
        const int i0 = o * stride;
        const int i1 = (o + 2 * quarter) * stride;
        const int i2 = (o + quarter) * stride;
        const int i3 = (o + 3 * quarter) * stride;
        const float a0r = srcRe[i0] + srcRe[i1];
        const float a0i = srcIm[i0] + srcIm[i1];
        const float a1r = srcRe[i0] - srcRe[i1];
        const float a1i = srcIm[i0] - srcIm[i1];
        const float a2r = srcRe[i2] + srcRe[i3];
        const float a2i = srcIm[i2] + srcIm[i3];
        const float a3r = srcRe[i2] - srcRe[i3];
        const float a3i = srcIm[i2] - srcIm[i3];
        float* r = re + 4 * q;
        float* i = im + 4 * q;
        r[0] = a0r + a2r;
        i[0] = a0i + a2i;
        r[2] = a0r - a2r;
        i[2] = a0i - a2i;
        r[1] = a1r + a3i;  // a1 + (-i) a3
        i[1] = a1i - a3r;
        r[3] = a1r - a3i;
        i[3] = a1i + a3r;
    }
}

// FirstStages of the forward transform for a buffer whose points below M/4
// and from 3M/4 up are zero (a frame centred in a buffer twice its length):
// the same sums without the zero terms, so the same results.
void FirstStagesOfCentred(const float* x, const int32_t* origins, int m, float* __restrict re,
                          float* __restrict im) {
    const int quarter = m / 4;
    for (int q = 0; q < quarter; ++q) {
        const int o = origins[q];
        const float* s1 = x + 2 * (o + 2 * quarter);
        const float* s2 = x + 2 * (o + quarter);
        const float s1r = s1[0];
        const float s1i = s1[1];
        const float s2r = s2[0];
        const float s2i = s2[1];
        float* r = re + 4 * q;
        float* i = im + 4 * q;
        r[0] = s1r + s2r;
        i[0] = s1i + s2i;
        r[2] = s1r - s2r;
        i[2] = s1i - s2i;
        r[1] = s2i - s1r;
        i[1] = -s1i - s2r;
        r[3] = -s1r - s2i;
        i[3] = s2r - s1i;
    }
}

void Butterflies(float* __restrict ar, float* __restrict ai, float* __restrict br,
                 float* __restrict bi, const float* __restrict wc, const float* __restrict ws,
                 int h) {
    for (int j = 0; j < h; ++j) {
        const float tr = br[j] * wc[j] + bi[j] * ws[j];
        const float ti = bi[j] * wc[j] - br[j] * ws[j];
        br[j] = ar[j] - tr;
        bi[j] = ai[j] - ti;
        ar[j] = ar[j] + tr;
        ai[j] = ai[j] + ti;
    }
}

// One butterfly of half-size h: b = a - w b, a = a + w b, with w = wc - i ws.
inline void Butterfly(float& ar, float& ai, float& br, float& bi, float wc, float ws) {
    const float tr = br * wc + bi * ws;
    const float ti = bi * wc - br * ws;
    br = ar - tr;
    bi = ai - ti;
    ar = ar + tr;
    ai = ai + ti;
}

// The stages of half-size h and 2h over one group of 4h points, in one pass:
// the same butterflies in the same order of arithmetic as two passes, so the
// same results, with half the loads and stores. Quarter q of the group is
// (rq, iq); the stage twiddles are w1 (h entries) and w2 (2h entries).
void TwoStages(float* __restrict r0, float* __restrict i0, float* __restrict r1,
               float* __restrict i1, float* __restrict r2, float* __restrict i2,
               float* __restrict r3, float* __restrict i3, const float* __restrict wc1,
               const float* __restrict ws1, const float* __restrict wc2,
               const float* __restrict ws2, int h) {
    for (int j = 0; j < h; ++j) {
        float ar = r0[j];
        float ai = i0[j];
        float br = r1[j];
        float bi = i1[j];
        float cr = r2[j];
        float ci = i2[j];
        float dr = r3[j];
        float di = i3[j];
        Butterfly(ar, ai, br, bi, wc1[j], ws1[j]);
        Butterfly(cr, ci, dr, di, wc1[j], ws1[j]);
        Butterfly(ar, ai, cr, ci, wc2[j], ws2[j]);
        Butterfly(br, bi, dr, di, wc2[j + h], ws2[j + h]);
        r0[j] = ar;
        i0[j] = ai;
        r1[j] = br;
        i1[j] = bi;
        r2[j] = cr;
        i2[j] = ci;
        r3[j] = dr;
        i3[j] = di;
    }
}

// The remaining stages of the M-point complex FFT, in place, two at a time
// while two remain.
void LaterStages(float* re, float* im, const Layout& l) {
    int h = 4;
    for (; 2 * h < l.m; h *= 4) {
        const float* wc1 = l.stageCos + h - 4;
        const float* ws1 = l.stageSin + h - 4;
        const float* wc2 = l.stageCos + 2 * h - 4;
        const float* ws2 = l.stageSin + 2 * h - 4;
        for (int g = 0; g < l.m; g += 4 * h) {
            TwoStages(re + g, im + g, re + g + h, im + g + h, re + g + 2 * h, im + g + 2 * h,
                      re + g + 3 * h, im + g + 3 * h, wc1, ws1, wc2, ws2, h);
        }
    }
    if (h < l.m) {
        const float* wc = l.stageCos + h - 4;
        const float* ws = l.stageSin + h - 4;
        for (int g = 0; g < l.m; g += 2 * h) {
            Butterflies(re + g, im + g, re + g + h, im + g + h, wc, ws, h);
        }
    }
}

// Separates Z = FFT(even + i odd) into the packed spectrum of the real input,
// scaled by 1/N: X[k] = (Z[k] + Z*[M-k]) / 2 + e^(-2 pi i k/N) (Z[k] - Z*[M-k]) / 2i.
void SplitForward(const Layout& l, float* __restrict x) {
    const float* __restrict re = l.re;
    const float* __restrict im = l.im;
    const float* __restrict c = l.splitCos;
    const float* __restrict s = l.splitSin;
    const int m = l.m;
    const int n = l.n;
    const float scale = 1.0f / static_cast<float>(n);
    const float halfScale = 0.5f * scale;  // a power of two: exact
    x[0] = (re[0] + im[0]) * scale;
    x[m] = (re[0] - im[0]) * scale;
    for (int k = 1; k < m; ++k) {
        const float sumRe = re[k] + re[m - k];
        const float diffRe = re[m - k] - re[k];
        const float sumIm = im[k] + im[m - k];
        const float diffIm = im[k] - im[m - k];
        x[k] = (sumRe + c[k] * sumIm + s[k] * diffRe) * halfScale;
        x[n - k] = (diffIm + c[k] * diffRe - s[k] * sumIm) * halfScale;
    }
}

// The split step undone, times two: (X[k] + X*[M-k]) + i e^(2 pi i k/N)
// (X[k] - X*[M-k]); its inverse M-point FFT is the real signal itself.
void SplitInverse(const float* __restrict x, const Layout& l) {
    float* __restrict re = l.re2;
    float* __restrict im = l.im2;
    const float* __restrict c = l.splitCos;
    const float* __restrict s = l.splitSin;
    const int m = l.m;
    const int n = l.n;
    re[0] = x[0] + x[m];
    im[0] = x[0] - x[m];
    for (int k = 1; k < m; ++k) {
        const float sumRe = x[k] + x[m - k];
        const float diffRe = x[k] - x[m - k];
        const float sumIm = x[n - k] + x[m + k];
        const float diffIm = x[n - k] - x[m + k];
        re[k] = sumRe - s[k] * diffRe - c[k] * sumIm;
        im[k] = diffIm + c[k] * diffRe - s[k] * sumIm;
    }
}

void Interleave(const float* __restrict re, const float* __restrict im, int m,
                float* __restrict x) {
    for (int j = 0; j < m; ++j) {
        x[2 * j] = re[j];
        x[2 * j + 1] = im[j];
    }
}

inline void ForwardTransform(float* x, const FftPlan& plan) {
    const Layout l = LayOut(plan);
    // Even samples as the real parts, odd ones as the imaginary parts.
    FirstStages(x, x + 1, 2, plan.origins, l.m, l.re, l.im);
    LaterStages(l.re, l.im, l);
    SplitForward(l, x);
}

inline void ForwardTransformOfCentred(float* x, const FftPlan& plan) {
    const Layout l = LayOut(plan);
    FirstStagesOfCentred(x, plan.origins, l.m, l.re, l.im);
    LaterStages(l.re, l.im, l);
    SplitForward(l, x);
}

inline void InverseTransform(float* x, const FftPlan& plan) {
    const Layout l = LayOut(plan);
    SplitInverse(x, l);
    // The inverse FFT is the forward one with real and imaginary parts swapped
    // on the way in and out.
    FirstStages(l.im2, l.re2, 1, plan.origins, l.m, l.im, l.re);
    LaterStages(l.im, l.re, l);
    Interleave(l.re, l.im, l.m, x);
}

}  // namespace
}  // namespace velquor
