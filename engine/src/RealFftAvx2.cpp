// The real FFT compiled for AVX2 and FMA. From M = 64 complex points up the
// transform is written out with intrinsics: the first three stages as one
// radix-8 step computed eight columns at a time straight from the input (no
// separate permutation pass; an 8 x 8 transpose puts each column's outputs
// into its bit-reversed group), the later stages eight butterflies wide, and
// the split step eight bins wide with reversed loads for the mirrored bins.
// The frame path also folds the window into the forward transform and the
// gains and the overlap-add into the inverse. Below M = 64 the shared kernels
// run. Results differ from the portable build's only by rounding.
#include <immintrin.h>

#include "RealFftKernels.h"
#include "VectorKernels.h"

namespace velquor::VELQUOR_VECTOR_NS {

namespace {

using V = __m256;
constexpr int kLanes = 8;
// Smallest M the vector transform takes: eight columns of the radix-8 step.
constexpr int kMinVectorPoints = 8 * kLanes;

inline V Load(const float* p) {
    return _mm256_loadu_ps(p);
}
inline void Store(float* p, V v) {
    _mm256_storeu_ps(p, v);
}
inline V Add(V a, V b) {
    return _mm256_add_ps(a, b);
}
inline V Sub(V a, V b) {
    return _mm256_sub_ps(a, b);
}
inline V Mul(V a, V b) {
    return _mm256_mul_ps(a, b);
}
inline V Set(float v) {
    return _mm256_set1_ps(v);
}
inline V Reverse(V v) {
    return _mm256_permutevar8x32_ps(v, _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0));
}
// Eight floats ending at p[7], in reverse order: lane l holds p[7 - l].
inline V LoadReversed(const float* p) {
    return Reverse(Load(p));
}

struct Complex {
    V re;
    V im;
};

inline Complex Add(Complex a, Complex b) {
    return {Add(a.re, b.re), Add(a.im, b.im)};
}
inline Complex Sub(Complex a, Complex b) {
    return {Sub(a.re, b.re), Sub(a.im, b.im)};
}

// Sixteen interleaved floats (re, im pairs) as eight complex values.
inline Complex Deinterleave(V lo, V hi) {
    const V evens = _mm256_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0));
    const V odds = _mm256_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1));
    return {_mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(evens), 0xd8)),
            _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(odds), 0xd8))};
}

// The inverse of Deinterleave: a[0] b[0] a[1] b[1] ... into lo (first eight) and hi.
inline void Interleave(V a, V b, V& lo, V& hi) {
    const V l = _mm256_unpacklo_ps(a, b);
    const V h = _mm256_unpackhi_ps(a, b);
    lo = _mm256_permute2f128_ps(l, h, 0x20);
    hi = _mm256_permute2f128_ps(l, h, 0x31);
}

// r[c] lane l becomes r[l] lane c.
inline void Transpose(V* r) {
    const V t0 = _mm256_unpacklo_ps(r[0], r[1]);
    const V t1 = _mm256_unpackhi_ps(r[0], r[1]);
    const V t2 = _mm256_unpacklo_ps(r[2], r[3]);
    const V t3 = _mm256_unpackhi_ps(r[2], r[3]);
    const V t4 = _mm256_unpacklo_ps(r[4], r[5]);
    const V t5 = _mm256_unpackhi_ps(r[4], r[5]);
    const V t6 = _mm256_unpacklo_ps(r[6], r[7]);
    const V t7 = _mm256_unpackhi_ps(r[6], r[7]);
    const V u0 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0));
    const V u1 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(3, 2, 3, 2));
    const V u2 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(1, 0, 1, 0));
    const V u3 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(3, 2, 3, 2));
    const V u4 = _mm256_shuffle_ps(t4, t6, _MM_SHUFFLE(1, 0, 1, 0));
    const V u5 = _mm256_shuffle_ps(t4, t6, _MM_SHUFFLE(3, 2, 3, 2));
    const V u6 = _mm256_shuffle_ps(t5, t7, _MM_SHUFFLE(1, 0, 1, 0));
    const V u7 = _mm256_shuffle_ps(t5, t7, _MM_SHUFFLE(3, 2, 3, 2));
    r[0] = _mm256_permute2f128_ps(u0, u4, 0x20);
    r[1] = _mm256_permute2f128_ps(u1, u5, 0x20);
    r[2] = _mm256_permute2f128_ps(u2, u6, 0x20);
    r[3] = _mm256_permute2f128_ps(u3, u7, 0x20);
    r[4] = _mm256_permute2f128_ps(u0, u4, 0x31);
    r[5] = _mm256_permute2f128_ps(u1, u5, 0x31);
    r[6] = _mm256_permute2f128_ps(u2, u6, 0x31);
    r[7] = _mm256_permute2f128_ps(u3, u7, 0x31);
}

// Four-point DFT (forward) of u into y[0], y[stride], y[2 stride], y[3 stride].
inline void Dft4(const Complex* u, Complex* y, int stride) {
    const Complex p0 = Add(u[0], u[2]);
    const Complex p1 = Sub(u[0], u[2]);
    const Complex p2 = Add(u[1], u[3]);
    const Complex p3 = Sub(u[1], u[3]);
    y[0] = Add(p0, p2);
    y[2 * stride] = Sub(p0, p2);
    y[stride] = {Add(p1.re, p3.im), Sub(p1.im, p3.re)};  // p1 + (-i) p3
    y[3 * stride] = {Sub(p1.re, p3.im), Add(p1.im, p3.re)};
}

// Eight-point DFT from the sums s[a] = x[a] + x[a + 4] and differences
// d[a] = x[a] - x[a + 4] of its inputs.
inline void Dft8(const Complex* s, const Complex* d, Complex* y) {
    const V r = Set(0.70710678118654752f);
    Complex t[4];
    t[0] = d[0];
    t[1] = {Mul(Add(d[1].re, d[1].im), r), Mul(Sub(d[1].im, d[1].re), r)};  // d1 e^(-i pi/4)
    t[2] = {d[2].im, Sub(Set(0.0f), d[2].re)};                              // d2 (-i)
    t[3] = {Mul(Sub(d[3].im, d[3].re), r),
            Mul(Sub(Set(0.0f), Add(d[3].re, d[3].im)), r)};  // d3 e^(-3i pi/4)
    Dft4(s, y, 2);
    Dft4(t, y + 1, 2);
}

// Stores the radix-8 outputs y[0..7] of columns b0..b0+7 into their groups:
// column b's eight outputs go to 8 origins[2b] onwards (origins[2b] is b
// bit-reversed over log2(M/8) bits).
inline void StoreColumns(Complex* y, int b0, const int32_t* origins, float* re, float* im) {
    V r[8];
    V i[8];
    for (int c = 0; c < 8; ++c) {
        r[c] = y[c].re;
        i[c] = y[c].im;
    }
    Transpose(r);
    Transpose(i);
    for (int l = 0; l < kLanes; ++l) {
        const int at = 8 * origins[2 * (b0 + l)];
        Store(re + at, r[l]);
        Store(im + at, i[l]);
    }
}

// The first three stages of the M-point transform, input point j = (M/8) a + b
// read by load(a, b0) for eight columns b0..b0+7 at a time.
template <class LoadPoints>
void VectorFirstStages(int m, const int32_t* origins, float* re, float* im, LoadPoints load) {
    const int columns = m / 8;
    for (int b0 = 0; b0 < columns; b0 += kLanes) {
        Complex x[8];
        for (int a = 0; a < 8; ++a) {
            x[a] = load(a, b0);
        }
        Complex s[4];
        Complex d[4];
        for (int a = 0; a < 4; ++a) {
            s[a] = Add(x[a], x[a + 4]);
            d[a] = Sub(x[a], x[a + 4]);
        }
        Complex y[8];
        Dft8(s, d, y);
        StoreColumns(y, b0, origins, re, im);
    }
}

// The same for a centred frame: only points M/4..3M/4-1 (a = 2..5) are not
// zero.
template <class LoadPoints>
void VectorFirstStagesOfCentred(int m, const int32_t* origins, float* re, float* im,
                                LoadPoints load) {
    const int columns = m / 8;
    const V zero = Set(0.0f);
    for (int b0 = 0; b0 < columns; b0 += kLanes) {
        const Complex x2 = load(2, b0);
        const Complex x3 = load(3, b0);
        const Complex x4 = load(4, b0);
        const Complex x5 = load(5, b0);
        const Complex s[4] = {x4, x5, x2, x3};
        const Complex d[4] = {
            {Sub(zero, x4.re), Sub(zero, x4.im)}, {Sub(zero, x5.re), Sub(zero, x5.im)}, x2, x3};
        Complex y[8];
        Dft8(s, d, y);
        StoreColumns(y, b0, origins, re, im);
    }
}

// b = a - w b, a = a + w b for eight butterflies, w = wc - i ws.
inline void Butterfly(Complex& a, Complex& b, V wc, V ws) {
    const V tr = _mm256_fmadd_ps(b.re, wc, Mul(b.im, ws));
    const V ti = _mm256_fmsub_ps(b.im, wc, Mul(b.re, ws));
    b = {Sub(a.re, tr), Sub(a.im, ti)};
    a = {Add(a.re, tr), Add(a.im, ti)};
}

inline Complex LoadComplex(const float* re, const float* im, int at) {
    return {Load(re + at), Load(im + at)};
}
inline void StoreComplex(float* re, float* im, int at, Complex v) {
    Store(re + at, v.re);
    Store(im + at, v.im);
}

// Stages of half-size h = 8 .. M/2 in place, two at a time while two remain.
void VectorLaterStages(float* re, float* im, const Layout& l) {
    int h = 8;
    for (; 2 * h < l.m; h *= 4) {
        const float* wc1 = l.stageCos + h - 4;
        const float* ws1 = l.stageSin + h - 4;
        const float* wc2 = l.stageCos + 2 * h - 4;
        const float* ws2 = l.stageSin + 2 * h - 4;
        for (int g = 0; g < l.m; g += 4 * h) {
            for (int j = 0; j < h; j += kLanes) {
                Complex a = LoadComplex(re, im, g + j);
                Complex b = LoadComplex(re, im, g + h + j);
                Complex c = LoadComplex(re, im, g + 2 * h + j);
                Complex d = LoadComplex(re, im, g + 3 * h + j);
                const V c1 = Load(wc1 + j);
                const V s1 = Load(ws1 + j);
                Butterfly(a, b, c1, s1);
                Butterfly(c, d, c1, s1);
                Butterfly(a, c, Load(wc2 + j), Load(ws2 + j));
                Butterfly(b, d, Load(wc2 + h + j), Load(ws2 + h + j));
                StoreComplex(re, im, g + j, a);
                StoreComplex(re, im, g + h + j, b);
                StoreComplex(re, im, g + 2 * h + j, c);
                StoreComplex(re, im, g + 3 * h + j, d);
            }
        }
    }
    if (h < l.m) {
        const float* wc = l.stageCos + h - 4;
        const float* ws = l.stageSin + h - 4;
        for (int g = 0; g < l.m; g += 2 * h) {
            for (int j = 0; j < h; j += kLanes) {
                Complex a = LoadComplex(re, im, g + j);
                Complex b = LoadComplex(re, im, g + h + j);
                Butterfly(a, b, Load(wc + j), Load(ws + j));
                StoreComplex(re, im, g + j, a);
                StoreComplex(re, im, g + h + j, b);
            }
        }
    }
}

// SplitForward of the shared kernels, bins 8.. eight at a time (the first
// seven one at a time).
void VectorSplitForward(const Layout& l, float* x) {
    const float* re = l.re;
    const float* im = l.im;
    const float* c = l.splitCos;
    const float* s = l.splitSin;
    const int m = l.m;
    const int n = l.n;
    const float scale = 1.0f / static_cast<float>(n);
    const float halfScale = 0.5f * scale;
    x[0] = (re[0] + im[0]) * scale;
    x[m] = (re[0] - im[0]) * scale;
    for (int k = 1; k < kLanes; ++k) {
        const float sumRe = re[k] + re[m - k];
        const float diffRe = re[m - k] - re[k];
        const float sumIm = im[k] + im[m - k];
        const float diffIm = im[k] - im[m - k];
        x[k] = (sumRe + c[k] * sumIm + s[k] * diffRe) * halfScale;
        x[n - k] = (diffIm + c[k] * diffRe - s[k] * sumIm) * halfScale;
    }
    const V hs = Set(halfScale);
    for (int k = kLanes; k < m; k += kLanes) {
        const V reK = Load(re + k);
        const V imK = Load(im + k);
        const V reM = LoadReversed(re + m - k - 7);
        const V imM = LoadReversed(im + m - k - 7);
        const V ck = Load(c + k);
        const V sk = Load(s + k);
        const V sumRe = Add(reK, reM);
        const V diffRe = Sub(reM, reK);
        const V sumIm = Add(imK, imM);
        const V diffIm = Sub(imK, imM);
        const V lo = _mm256_fmadd_ps(sk, diffRe, _mm256_fmadd_ps(ck, sumIm, sumRe));
        const V hi = _mm256_fnmadd_ps(sk, sumIm, _mm256_fmadd_ps(ck, diffRe, diffIm));
        Store(x + k, Mul(lo, hs));
        Store(x + n - k - 7, Reverse(Mul(hi, hs)));
    }
}

// SplitInverse of the shared kernels over the spectrum times the gains
// (element l and element N-l take gain l), into l.re2 and l.im2.
void SplitInverseWithGains(const float* x, const float* g, const Layout& l) {
    float* re = l.re2;
    float* im = l.im2;
    const float* c = l.splitCos;
    const float* s = l.splitSin;
    const int m = l.m;
    const int n = l.n;
    re[0] = x[0] * g[0] + x[m] * g[m];
    im[0] = x[0] * g[0] - x[m] * g[m];
    for (int k = 1; k < kLanes; ++k) {
        const float xk = x[k] * g[k];
        const float xmk = x[m - k] * g[m - k];
        const float xnk = x[n - k] * g[k];
        const float xmpk = x[m + k] * g[m - k];
        const float sumRe = xk + xmk;
        const float diffRe = xk - xmk;
        const float sumIm = xnk + xmpk;
        const float diffIm = xnk - xmpk;
        re[k] = sumRe - s[k] * diffRe - c[k] * sumIm;
        im[k] = diffIm + c[k] * diffRe - s[k] * sumIm;
    }
    for (int k = kLanes; k < m; k += kLanes) {
        const V gk = Load(g + k);
        const V gmk = LoadReversed(g + m - k - 7);
        const V xk = Mul(Load(x + k), gk);
        const V xmk = Mul(LoadReversed(x + m - k - 7), gmk);
        const V xnk = Mul(LoadReversed(x + n - k - 7), gk);
        const V xmpk = Mul(Load(x + m + k), gmk);
        const V ck = Load(c + k);
        const V sk = Load(s + k);
        const V sumRe = Add(xk, xmk);
        const V diffRe = Sub(xk, xmk);
        const V sumIm = Add(xnk, xmpk);
        const V diffIm = Sub(xnk, xmpk);
        Store(re + k, _mm256_fnmadd_ps(ck, sumIm, _mm256_fnmadd_ps(sk, diffRe, sumRe)));
        Store(im + k, _mm256_fnmadd_ps(sk, sumIm, _mm256_fmadd_ps(ck, diffRe, diffIm)));
    }
}

// Point j of the complex sequence whose real parts are the even and imaginary
// parts the odd elements of x.
inline Complex LoadInterleaved(const float* x, int j) {
    return Deinterleave(Load(x + 2 * j), Load(x + 2 * j + 8));
}

// The inverse M-point transform of (l.re2, l.im2), as the forward one with
// real and imaginary parts swapped on the way in and out, handing each eight
// output points (real parts, imaginary parts) starting at j to emit.
template <class Emit>
void InverseOfSplit(const FftPlan& plan, const Layout& l, Emit emit) {
    const int columns = l.m / 8;
    VectorFirstStages(l.m, plan.origins, l.im, l.re, [&](int a, int b0) {
        const int at = a * columns + b0;
        return Complex{Load(l.im2 + at), Load(l.re2 + at)};
    });
    VectorLaterStages(l.im, l.re, l);
    for (int j = 0; j < l.m; j += kLanes) {
        emit(j, Load(l.re + j), Load(l.im + j));
    }
}

bool Vectorised(const Layout& l) {
    return l.m >= kMinVectorPoints;
}

}  // namespace

void RealFft(float* buffer, const FftPlan& plan) {
    const Layout l = LayOut(plan);
    if (!Vectorised(l)) {
        ForwardTransform(buffer, plan);
        return;
    }
    const int columns = l.m / 8;
    VectorFirstStages(l.m, plan.origins, l.re, l.im,
                      [&](int a, int b0) { return LoadInterleaved(buffer, a * columns + b0); });
    VectorLaterStages(l.re, l.im, l);
    VectorSplitForward(l, buffer);
}

void RealFftOfCentredFrame(float* buffer, const FftPlan& plan) {
    const Layout l = LayOut(plan);
    if (!Vectorised(l)) {
        ForwardTransformOfCentred(buffer, plan);
        return;
    }
    const int columns = l.m / 8;
    VectorFirstStagesOfCentred(l.m, plan.origins, l.re, l.im, [&](int a, int b0) {
        return LoadInterleaved(buffer, a * columns + b0);
    });
    VectorLaterStages(l.re, l.im, l);
    VectorSplitForward(l, buffer);
}

void InverseRealFft(float* buffer, const FftPlan& plan) {
    const Layout l = LayOut(plan);
    if (!Vectorised(l)) {
        InverseTransform(buffer, plan);
        return;
    }
    SplitInverse(buffer, l);
    InverseOfSplit(plan, l, [&](int j, V re, V im) {
        V lo;
        V hi;
        Interleave(re, im, lo, hi);
        Store(buffer + 2 * j, lo);
        Store(buffer + 2 * j + 8, hi);
    });
}

bool FusedFramePath(const FftPlan& plan) {
    return Vectorised(LayOut(plan));
}

void ForwardOfWindowedFrame(const float* history, const float* window, const FftPlan& plan,
                            float* spectrum) {
    const Layout l = LayOut(plan);
    const int columns = l.m / 8;
    // Point j (M/4 <= j < 3M/4) is samples 2j - M/2 and 2j - M/2 + 1 of the frame.
    VectorFirstStagesOfCentred(l.m, plan.origins, l.re, l.im, [&](int a, int b0) {
        const int at = 2 * (a * columns + b0) - l.m / 2;
        return Deinterleave(Mul(Load(history + at), Load(window + at)),
                            Mul(Load(history + at + 8), Load(window + at + 8)));
    });
    VectorLaterStages(l.re, l.im, l);
    VectorSplitForward(l, spectrum);
}

void InverseAndAccumulate(const float* spectrum, const float* gains, const FftPlan& plan,
                          float* accumulator) {
    const Layout l = LayOut(plan);
    SplitInverseWithGains(spectrum, gains, l);
    InverseOfSplit(plan, l, [&](int j, V re, V im) {
        V lo;
        V hi;
        Interleave(re, im, lo, hi);
        float* to = accumulator + 2 * j;
        Store(to, Add(Load(to), lo));
        Store(to + 8, Add(Load(to + 8), hi));
    });
}

}  // namespace velquor::VELQUOR_VECTOR_NS
