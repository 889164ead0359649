#include "RealFft.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace velquor {

namespace {

void BitReverse(float* x, int n) {
    int j = 0;
    for (int i = 0; i < n - 1; ++i) {
        if (i < j) {
            std::swap(x[i], x[j]);
        }
        int k = n >> 1;
        while (k <= j) {
            j -= k;
            k >>= 1;
        }
        j += k;
    }
}

void PairButterflies(float* x, int n) {
    for (int i = 0; i < n; i += 2) {
        const float a = x[i];
        x[i] = a + x[i + 1];
        x[i + 1] = a - x[i + 1];
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

void RealFft(float* x, int order, const float* sine) {
    const int n = 1 << order;
    const int quarter = n / 4;
    BitReverse(x, n);
    PairButterflies(x, n);
    for (int stage = 2; stage <= order; ++stage) {
        const int span = 1 << stage;  // points combined per group
        const int half = span / 2;
        const int fourth = span / 4;
        const int stride = n / span;  // table step for an angle of 2 pi j / span
        for (int i = 0; i < n; i += span) {
            const float a = x[i];
            x[i] = a + x[i + half];
            x[i + half] = a - x[i + half];
            x[i + fourth + half] = -x[i + fourth + half];
            for (int j = 1; j < fourth; ++j) {
                const int i1 = i + j;
                const int i2 = i - j + half;
                const int i3 = i1 + half;
                const int i4 = i - j + span;
                const float ss = sine[j * stride];
                const float cc = sine[quarter - j * stride];  // cosine from the mirrored end
                const float t1 = x[i3] * cc + x[i4] * ss;
                const float t2 = x[i3] * ss - x[i4] * cc;
                x[i4] = x[i2] - t2;
                x[i3] = -x[i2] - t2;
                x[i2] = x[i1] - t1;
                x[i1] = x[i1] + t1;
            }
        }
    }
    const float scale = 1.0f / static_cast<float>(n);
    for (int i = 0; i < n; ++i) {
        x[i] *= scale;
    }
}

void InverseRealFft(float* x, int order, const float* sine) {
    const int n = 1 << order;
    const int quarter = n / 4;
    // Each stage undoes its forward counterpart times two, so the N that the
    // forward transform divided out comes back over the log2(N) stages.
    for (int stage = order; stage >= 2; --stage) {
        const int span = 1 << stage;
        const int half = span / 2;
        const int fourth = span / 4;
        const int stride = n / span;
        for (int i = 0; i < n; i += span) {
            const float a = x[i];
            x[i] = a + x[i + half];
            x[i + half] = a - x[i + half];
            x[i + fourth] *= 2.0f;
            x[i + fourth + half] *= -2.0f;
            for (int j = 1; j < fourth; ++j) {
                const int i1 = i + j;
                const int i2 = i - j + half;
                const int i3 = i1 + half;
                const int i4 = i - j + span;
                const float ss = sine[j * stride];
                const float cc = sine[quarter - j * stride];
                const float t1 = x[i1] - x[i2];
                const float t2 = -(x[i3] + x[i4]);
                const float sum = x[i1] + x[i2];
                const float diff = x[i4] - x[i3];
                x[i1] = sum;
                x[i2] = diff;
                x[i3] = t1 * cc + t2 * ss;
                x[i4] = t1 * ss - t2 * cc;
            }
        }
    }
    PairButterflies(x, n);
    BitReverse(x, n);
}

}  // namespace velquor
