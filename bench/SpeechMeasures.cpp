#include "SpeechMeasures.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <numeric>

namespace measures {

namespace {

constexpr int kStoiRateHz = 10000;
constexpr int kFrameSamples = 256;
constexpr int kFftSize = 512;
constexpr int kBands = 15;
constexpr double kLowestCentreHz = 150.0;
constexpr int kSegmentFrames = 30;
constexpr double kClipDb = -15.0;
constexpr double kDynamicRangeDb = 40.0;
constexpr int kResampleHalfTaps = 24;  // input samples each side, at the lower rate
constexpr double kTiny = 1e-20;

// The window of the reference implementation: Hann without its zero ends.
std::vector<double> Window(int length) {
    std::vector<double> w(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) {
        w[static_cast<size_t>(i)] =
            0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * (i + 1) / (length + 1));
    }
    return w;
}

void Fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(a[i], a[j]);
        }
    }
    // Twiddles of the largest stage; stage `len` takes every (n / len)-th.
    std::vector<std::complex<double>> twiddles(n / 2);
    for (size_t j = 0; j < n / 2; ++j) {
        const double angle = -2.0 * std::numbers::pi * static_cast<double>(j) / n;
        twiddles[j] = {std::cos(angle), std::sin(angle)};
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const size_t stride = n / len;
        for (size_t i = 0; i < n; i += len) {
            for (size_t j = 0; j < len / 2; ++j) {
                const std::complex<double> w = twiddles[j * stride];
                const auto u = a[i + j];
                const auto v = a[i + j + len / 2] * w;
                a[i + j] = u + v;
                a[i + j + len / 2] = u - v;
            }
        }
    }
}

// Keeps the frames (hop half a frame) where `x` is within the dynamic range
// of its loudest frame, in both signals, overlap-added back together.
void RemoveSilentFrames(Signal& x, Signal& y) {
    const int hop = kFrameSamples / 2;
    const std::vector<double> w = Window(kFrameSamples);
    const long length = static_cast<long>(std::min(x.size(), y.size()));
    std::vector<long> starts;
    std::vector<double> levels;
    for (long a = 0; a < length - kFrameSamples; a += hop) {
        double e = 0.0;
        for (int i = 0; i < kFrameSamples; ++i) {
            const double v = x[static_cast<size_t>(a + i)] * w[static_cast<size_t>(i)];
            e += v * v;
        }
        starts.push_back(a);
        levels.push_back(10.0 * std::log10(e / kFrameSamples + kTiny));
    }
    if (starts.empty()) {
        x.clear();
        y.clear();
        return;
    }
    const double loudest = *std::max_element(levels.begin(), levels.end());
    Signal xs;
    Signal ys;
    long at = 0;
    for (size_t f = 0; f < starts.size(); ++f) {
        if (levels[f] - loudest + kDynamicRangeDb <= 0.0) {
            continue;
        }
        xs.resize(static_cast<size_t>(at + kFrameSamples), 0.0);
        ys.resize(static_cast<size_t>(at + kFrameSamples), 0.0);
        for (int i = 0; i < kFrameSamples; ++i) {
            const auto from = static_cast<size_t>(starts[f] + i);
            xs[static_cast<size_t>(at + i)] += x[from] * w[static_cast<size_t>(i)];
            ys[static_cast<size_t>(at + i)] += y[from] * w[static_cast<size_t>(i)];
        }
        at += hop;
    }
    x = std::move(xs);
    y = std::move(ys);
}

// Band envelopes: for each frame (hop half a frame), the root of the power in
// each one-third-octave band. [frame][band].
std::vector<std::vector<double>> BandEnvelopes(const Signal& x) {
    const int hop = kFrameSamples / 2;
    const std::vector<double> w = Window(kFrameSamples);
    // Band edges as FFT bins, nearest to the edge frequencies.
    int lo[kBands];
    int hi[kBands];
    for (int j = 0; j < kBands; ++j) {
        const double low = kLowestCentreHz * std::pow(2.0, (2.0 * j - 1.0) / 6.0);
        const double high = kLowestCentreHz * std::pow(2.0, (2.0 * j + 1.0) / 6.0);
        const double binHz = static_cast<double>(kStoiRateHz) / kFftSize;
        lo[j] = static_cast<int>(std::lround(low / binHz));
        hi[j] = static_cast<int>(std::lround(high / binHz));
    }
    std::vector<std::vector<double>> out;
    std::vector<std::complex<double>> buffer(kFftSize);
    const long length = static_cast<long>(x.size());
    for (long a = 0; a < length - kFrameSamples; a += hop) {
        std::fill(buffer.begin(), buffer.end(), 0.0);
        for (int i = 0; i < kFrameSamples; ++i) {
            buffer[static_cast<size_t>(i)] =
                x[static_cast<size_t>(a + i)] * w[static_cast<size_t>(i)];
        }
        Fft(buffer);
        std::vector<double> bands(kBands);
        for (int j = 0; j < kBands; ++j) {
            double p = 0.0;
            for (int k = lo[j]; k < hi[j]; ++k) {
                p += std::norm(buffer[static_cast<size_t>(k)]);
            }
            bands[static_cast<size_t>(j)] = std::sqrt(p);
        }
        out.push_back(std::move(bands));
    }
    return out;
}

double Correlation(const std::vector<double>& a, const std::vector<double>& b) {
    const double ma = std::accumulate(a.begin(), a.end(), 0.0) / static_cast<double>(a.size());
    const double mb = std::accumulate(b.begin(), b.end(), 0.0) / static_cast<double>(b.size());
    double ab = 0.0;
    double aa = 0.0;
    double bb = 0.0;
    for (size_t i = 0; i < a.size(); ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return ab / (std::sqrt(aa * bb) + kTiny);
}

}  // namespace

Signal Resample(const Signal& x, int fromHz, int toHz) {
    if (fromHz == toHz) {
        return x;
    }
    // Output n lies at input position n * down / up: its whole part moves the
    // kernel, its fraction (one of `up` phases) picks a precomputed kernel.
    const int common = std::gcd(fromHz, toHz);
    const long up = toHz / common;
    const long down = fromHz / common;
    const double step = static_cast<double>(down) / static_cast<double>(up);
    // Cutoff a little under the lower Nyquist frequency, in input-sample units.
    const double cutoff = 0.5 * std::min(1.0, 1.0 / step) * 0.95;
    const double reach = kResampleHalfTaps * std::max(1.0, step);
    const long taps = static_cast<long>(std::ceil(reach));
    std::vector<std::vector<double>> kernels(static_cast<size_t>(up));
    for (long phase = 0; phase < up; ++phase) {
        const double fraction = static_cast<double>(phase) / static_cast<double>(up);
        for (long j = -taps; j <= taps; ++j) {
            const double d = fraction - static_cast<double>(j);  // output minus input position
            double h = 0.0;
            if (std::fabs(d) < reach) {
                const double arg = 2.0 * cutoff * d;
                const double sinc = std::fabs(arg) < 1e-12 ? 1.0
                                                           : std::sin(std::numbers::pi * arg) /
                                                                 (std::numbers::pi * arg);
                // Blackman window over +-reach.
                const double u = (d / reach + 1.0) * 0.5;
                const double window = 0.42 - 0.5 * std::cos(2.0 * std::numbers::pi * u) +
                                      0.08 * std::cos(4.0 * std::numbers::pi * u);
                h = 2.0 * cutoff * sinc * window;
            }
            kernels[static_cast<size_t>(phase)].push_back(h);
        }
    }
    const auto count = static_cast<size_t>(static_cast<double>(x.size()) / step);
    const long length = static_cast<long>(x.size());
    Signal y(count, 0.0);
    for (size_t n = 0; n < count; ++n) {
        const long position = static_cast<long>(n) * down;
        const long base = position / up;
        const std::vector<double>& h = kernels[static_cast<size_t>(position % up)];
        double sum = 0.0;
        for (long j = -taps; j <= taps; ++j) {
            const long k = base + j;
            if (k >= 0 && k < length) {
                sum += x[static_cast<size_t>(k)] * h[static_cast<size_t>(j + taps)];
            }
        }
        y[n] = sum;
    }
    return y;
}

double SiSdr(const Signal& reference, const Signal& estimate) {
    const size_t n = std::min(reference.size(), estimate.size());
    if (n == 0) {
        return 0.0;
    }
    double ms = 0.0;
    double my = 0.0;
    for (size_t i = 0; i < n; ++i) {
        ms += reference[i];
        my += estimate[i];
    }
    ms /= static_cast<double>(n);
    my /= static_cast<double>(n);
    double sy = 0.0;
    double ss = 0.0;
    for (size_t i = 0; i < n; ++i) {
        sy += (reference[i] - ms) * (estimate[i] - my);
        ss += (reference[i] - ms) * (reference[i] - ms);
    }
    const double alpha = sy / (ss + kTiny);
    double target = 0.0;
    double rest = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const double t = alpha * (reference[i] - ms);
        const double e = (estimate[i] - my) - t;
        target += t * t;
        rest += e * e;
    }
    return 10.0 * std::log10((target + kTiny) / (rest + kTiny));
}

double Stoi(const Signal& clean, const Signal& processed, int rateHz) {
    Signal x = Resample(clean, rateHz, kStoiRateHz);
    Signal y = Resample(processed, rateHz, kStoiRateHz);
    const size_t length = std::min(x.size(), y.size());
    x.resize(length);
    y.resize(length);
    RemoveSilentFrames(x, y);
    const auto xe = BandEnvelopes(x);
    const auto ye = BandEnvelopes(y);
    const int frames = static_cast<int>(std::min(xe.size(), ye.size()));
    if (frames < kSegmentFrames) {
        return 0.0;
    }
    const double clip = std::pow(10.0, -kClipDb / 20.0);
    double sum = 0.0;
    int count = 0;
    std::vector<double> xs(kSegmentFrames);
    std::vector<double> ys(kSegmentFrames);
    for (int m = kSegmentFrames; m <= frames; ++m) {
        for (int j = 0; j < kBands; ++j) {
            double ex = 0.0;
            double ey = 0.0;
            for (int i = 0; i < kSegmentFrames; ++i) {
                const auto f = static_cast<size_t>(m - kSegmentFrames + i);
                xs[static_cast<size_t>(i)] = xe[f][static_cast<size_t>(j)];
                ys[static_cast<size_t>(i)] = ye[f][static_cast<size_t>(j)];
                ex += xs[static_cast<size_t>(i)] * xs[static_cast<size_t>(i)];
                ey += ys[static_cast<size_t>(i)] * ys[static_cast<size_t>(i)];
            }
            const double alpha = std::sqrt(ex / (ey + kTiny));
            for (int i = 0; i < kSegmentFrames; ++i) {
                const auto k = static_cast<size_t>(i);
                ys[k] = std::min(ys[k] * alpha, xs[k] * (1.0 + clip));
            }
            sum += Correlation(xs, ys);
            ++count;
        }
    }
    return sum / count;
}

}  // namespace measures
