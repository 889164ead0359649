// The speech mode's output level: no fixed output gain (a tone well above the
// noise keeps its level), and no more clipped samples than the input has.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <vector>

#include "TestSignals.h"

namespace velquor {
namespace {

using test::Clean;
using test::EngineHandle;

IVelquor* SpeechEngine(int rate) {
    IVelquor* engine = CreateVelquor();
    engine->SetNoiseEstimator(kVelquorNoiseEstimateSpeech);
    engine->SetWhiteNoise(1);
    engine->SetSpectrumCorrection(0);
    return engine->Init(rate) == kVelquorOk ? engine : nullptr;
}

// Level (dB) of the `hz` component in `length` samples of `x` from `from`.
double ToneLevelDb(const std::vector<int16_t>& x, size_t from, size_t length, int rate, double hz) {
    std::complex<double> sum = 0.0;
    for (size_t n = 0; n < length; ++n) {
        const double phase = 2.0 * std::numbers::pi * hz * static_cast<double>(n) / rate;
        sum += static_cast<double>(x[from + n]) *
               std::complex<double>(std::cos(phase), -std::sin(phase));
    }
    return 20.0 * std::log10(std::abs(sum));
}

// Half-second tone bursts, one a second, over steady noise: a tone that
// never stopped would be taken for noise, as a whistle is.
TEST(SpeechMode, AToneWellAboveTheNoiseKeepsItsLevel) {
    for (const int rate : {8000, 16000}) {
        for (const double hz : {440.0, 1000.0, 2500.0}) {
            std::vector<int16_t> clean(static_cast<size_t>(rate) * 5 / 1024 * 1024);
            std::vector<int16_t> noisy(clean.size());
            test::Noise noise(17);
            for (size_t n = 0; n < clean.size(); ++n) {
                const bool on = (n % static_cast<size_t>(rate)) < static_cast<size_t>(rate / 2);
                const float tone =
                    on ? test::Tone(hz, rate, static_cast<int64_t>(n), 8000.0) : 0.0f;
                clean[n] = static_cast<int16_t>(tone);
                noisy[n] = static_cast<int16_t>(tone + noise.Next(300.0f));
            }
            EngineHandle engine(SpeechEngine(rate));
            ASSERT_NE(engine.get(), nullptr);
            const std::vector<int16_t> out = Clean(engine.get(), noisy);
            // The middle 0.3 s of the burst that starts at 3 s.
            const size_t from = 3 * static_cast<size_t>(rate) + static_cast<size_t>(rate / 10);
            const size_t length = static_cast<size_t>(rate) * 3 / 10;
            EXPECT_NEAR(ToneLevelDb(out, from + 256, length, rate, hz),
                        ToneLevelDb(clean, from, length, rate, hz), 0.2)
                << rate << " Hz, tone " << hz;
        }
    }
}

// Loud voiced syllables over noise, the loudest peaks cut at full scale.
std::vector<int16_t> LoudTalk(int rate, int seconds) {
    std::vector<int16_t> out(static_cast<size_t>(rate) * seconds / 1024 * 1024);
    test::Noise noise(23);
    for (size_t n = 0; n < out.size(); ++n) {
        const double t = static_cast<double>(n) / rate;
        const double envelope = std::max(0.0, std::sin(2.0 * std::numbers::pi * 2.0 * t));
        double voice = 0.0;
        for (int h = 1; h * 130 < rate / 2; ++h) {
            voice += std::sin(2.0 * std::numbers::pi * 130.0 * h * t + h) / h;
        }
        const double v = 24000.0 * envelope * voice + noise.Next(3000.0f);
        out[n] = static_cast<int16_t>(std::clamp(v, -32767.0, 32767.0));
    }
    return out;
}

TEST(SpeechMode, ClipsNoMoreSamplesThanTheInputHas) {
    for (const int rate : {8000, 16000}) {
        const std::vector<int16_t> in = LoudTalk(rate, 4);
        const auto clipped = [](const std::vector<int16_t>& x) {
            return std::count_if(x.begin(), x.end(),
                                 [](int16_t v) { return v >= 32767 || v <= -32767; });
        };
        ASSERT_GT(clipped(in), 100) << rate;  // the case is a real one
        EngineHandle engine(SpeechEngine(rate));
        ASSERT_NE(engine.get(), nullptr);
        EXPECT_LE(clipped(Clean(engine.get(), in)), clipped(in)) << rate;
    }
}

}  // namespace
}  // namespace velquor
