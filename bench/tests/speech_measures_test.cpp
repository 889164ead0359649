// STOI and SI-SDR on cases whose values follow from their definitions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>

#include "SpeechMeasures.h"

namespace measures {
namespace {

// Deterministic Gaussian-ish noise.
Signal Noise(size_t length, uint32_t seed) {
    Signal n(length);
    for (auto& v : n) {
        double s = 0.0;
        for (int i = 0; i < 12; ++i) {
            seed = seed * 1664525u + 1013904223u;
            s += static_cast<double>(seed >> 8) / (1u << 24) - 0.5;
        }
        v = s;
    }
    return n;
}

// Speech-like: a 140 Hz harmonic complex in syllables, 0.25 s each with 0.1 s
// gaps, and one longer pause; the envelope varies as talk does.
Signal Talk(int rate, double seconds) {
    Signal x(static_cast<size_t>(rate * seconds));
    for (size_t n = 0; n < x.size(); ++n) {
        const double t = static_cast<double>(n) / rate;
        const double inSyllable = std::fmod(t, 0.35);
        const bool pause = t > 2.0 && t < 2.6;
        const double envelope =
            inSyllable < 0.25 && !pause ? std::sin(std::numbers::pi * inSyllable / 0.25) : 0.0;
        double v = 0.0;
        for (int h = 1; h * 140 < rate / 2; ++h) {
            v += std::sin(2.0 * std::numbers::pi * 140.0 * h * t + h * h) / h;
        }
        x[n] = 3000.0 * envelope * v * (1.0 + 0.5 * std::sin(2.0 * std::numbers::pi * 0.7 * t));
    }
    return x;
}

Signal Plus(const Signal& a, const Signal& b, double gainB) {
    Signal out(a.size());
    for (size_t i = 0; i < a.size(); ++i) {
        out[i] = a[i] + gainB * b[i];
    }
    return out;
}

double Energy(const Signal& x) {
    double e = 0.0;
    for (double v : x) {
        e += v * v;
    }
    return e;
}

TEST(SiSdr, IdenticalAndScaledCopiesAreDistortionFree) {
    const Signal s = Talk(16000, 2.0);
    EXPECT_GT(SiSdr(s, s), 100.0);
    Signal scaled = s;
    for (double& v : scaled) {
        v *= -0.3;  // scale and sign are not distortion
    }
    EXPECT_GT(SiSdr(s, scaled), 100.0);
}

TEST(SiSdr, NoiseOrthogonalToTheReferenceGivesItsSnr) {
    const Signal s = Talk(8000, 3.0);
    Signal n = Noise(s.size(), 7);
    // Remove the means and the part of the noise along the speech, so that
    // the projection is exactly the speech.
    const auto centre = [](Signal& x) {
        double m = 0.0;
        for (double v : x) {
            m += v;
        }
        m /= static_cast<double>(x.size());
        for (double& v : x) {
            v -= m;
        }
    };
    Signal sc = s;
    centre(sc);
    centre(n);
    double along = 0.0;
    for (size_t i = 0; i < n.size(); ++i) {
        along += n[i] * sc[i];
    }
    along /= Energy(sc);
    for (size_t i = 0; i < n.size(); ++i) {
        n[i] -= along * sc[i];
    }
    for (const double snr : {-5.0, 0.0, 10.0, 25.0}) {
        const double gain = std::sqrt(Energy(sc) / Energy(n) / std::pow(10.0, snr / 10.0));
        EXPECT_NEAR(SiSdr(s, Plus(s, n, gain)), snr, 1e-6) << snr;
        // Scaling the whole mixture changes nothing.
        Signal loud = Plus(s, n, gain);
        for (double& v : loud) {
            v *= 4.0;
        }
        EXPECT_NEAR(SiSdr(s, loud), snr, 1e-6) << snr;
    }
}

TEST(Stoi, IdenticalAndScaledCopiesScoreOneAtBothRates) {
    for (const int rate : {8000, 16000}) {
        const Signal s = Talk(rate, 4.0);
        EXPECT_NEAR(Stoi(s, s, rate), 1.0, 1e-9) << rate;
        Signal scaled = s;
        for (double& v : scaled) {
            v *= 0.1;
        }
        EXPECT_NEAR(Stoi(s, scaled, rate), 1.0, 1e-9) << rate;
    }
}

TEST(Stoi, FallsAsNoiseRisesAndIsLowForAnUnrelatedSignal) {
    for (const int rate : {8000, 16000}) {
        const Signal s = Talk(rate, 4.0);
        const Signal n = Noise(s.size(), 11);
        double previous = 1.0;
        for (const double snr : {20.0, 10.0, 0.0, -10.0}) {
            const double gain = std::sqrt(Energy(s) / Energy(n) / std::pow(10.0, snr / 10.0));
            const double d = Stoi(s, Plus(s, n, gain), rate);
            EXPECT_LT(d, previous) << rate << " Hz, " << snr << " dB";
            previous = d;
        }
        EXPECT_LT(previous, 0.75) << rate;  // -10 dB white noise
        // Not zero: clipping the noise's envelope at 15 dB above the speech's
        // gives it some of the speech's shape.
        EXPECT_LT(std::fabs(Stoi(s, n, rate)), 0.3) << rate;
    }
}

TEST(Stoi, SilenceInTheCleanSpeechIsLeftOut) {
    // Noise added only where the clean speech is more than 40 dB down does
    // not count.
    const int rate = 16000;
    Signal s = Talk(rate, 4.0);
    Signal quietPart(s.size(), 0.0);
    const Signal n = Noise(s.size(), 3);
    const size_t from = static_cast<size_t>(2.1 * rate);
    const size_t to = static_cast<size_t>(2.5 * rate);
    for (size_t i = from; i < to; ++i) {
        quietPart[i] = n[i] * 2000.0;
    }
    EXPECT_NEAR(Stoi(s, Plus(s, quietPart, 1.0), rate), 1.0, 1e-3);
}

TEST(Resample, KeepsAToneInTheCommonBandAndRemovesOneAbove) {
    const auto amplitudeAt = [](const Signal& x, int rate, double hz) {
        double re = 0.0;
        double im = 0.0;
        const size_t from = x.size() / 4;
        const size_t count = static_cast<size_t>(rate);  // one second: whole periods
        for (size_t n = from; n < from + count; ++n) {
            const double phase = 2.0 * std::numbers::pi * hz * static_cast<double>(n) / rate;
            re += x[n] * std::cos(phase);
            im += x[n] * std::sin(phase);
        }
        return 2.0 * std::hypot(re, im) / static_cast<double>(count);
    };
    for (const auto& [from, to] : {std::pair{16000, 10000}, std::pair{8000, 10000}}) {
        Signal x(static_cast<size_t>(from) * 3);
        for (size_t n = 0; n < x.size(); ++n) {
            const double t = static_cast<double>(n) / from;
            x[n] = std::sin(2.0 * std::numbers::pi * 1000.0 * t) +
                   (from > to ? std::sin(2.0 * std::numbers::pi * 7000.0 * t) : 0.0);
        }
        const Signal y = Resample(x, from, to);
        EXPECT_NEAR(static_cast<double>(y.size()), x.size() * static_cast<double>(to) / from, 1.0);
        EXPECT_NEAR(amplitudeAt(y, to, 1000.0), 1.0, 0.01) << from;
        // 7 kHz is above 5 kHz: gone, not folded to 3 kHz.
        EXPECT_LT(amplitudeAt(y, to, 3000.0), 0.01) << from;
    }
}

}  // namespace
}  // namespace measures
