// The band split with the real engine, on signals whose right answer is known.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "pipeline/BandSplitStream.h"

namespace {

// Cleans interleaved `input` in blocks of `block` frames; the whole output.
std::vector<float> Clean(const std::vector<float>& input, uint32_t rate, uint32_t channels,
                         uint32_t block = 1000, CleaningSettings settings = {}, int passes = 1) {
    BandSplitStream stream;
    EXPECT_TRUE(stream.Init(settings, rate, channels, passes));
    std::vector<float> all;
    std::vector<float> out;
    const size_t frames = input.size() / channels;
    for (size_t first = 0; first < frames; first += block) {
        const auto count = static_cast<uint32_t>(std::min<size_t>(block, frames - first));
        EXPECT_EQ(stream.Push(input.data() + first * channels, count, out), 0);
        all.insert(all.end(), out.begin(), out.end());
    }
    EXPECT_EQ(stream.Finish(out), 0);
    all.insert(all.end(), out.begin(), out.end());
    return all;
}

// Sum of sinusoids at random phases spread evenly over lowHz..highHz: noise
// confined exactly to that band.
std::vector<float> BandNoise(size_t frames, uint32_t rate, double lowHz, double highHz, double rms,
                             uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> phase(0.0, 2.0 * std::numbers::pi);
    constexpr int kLines = 120;
    std::vector<double> sum(frames, 0.0);
    for (int l = 0; l < kLines; ++l) {
        const double hz = lowHz + (highHz - lowHz) * (l + 0.5) / kLines;
        const double p = phase(random);
        for (size_t i = 0; i < frames; ++i) {
            sum[i] += std::sin(2.0 * std::numbers::pi * hz * double(i) / rate + p);
        }
    }
    const double scale = rms / std::sqrt(kLines / 2.0);
    std::vector<float> out(frames);
    for (size_t i = 0; i < frames; ++i) {
        out[i] = float(sum[i] * scale);
    }
    return out;
}

std::vector<float> WhiteNoise(size_t frames, double rms, uint32_t seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> gauss(0.0, rms);
    std::vector<float> out(frames);
    for (float& v : out) {
        v = float(gauss(random));
    }
    return out;
}

// Level in dB of the component at `hz` over frames [from, to): a correlation
// with a sine and a cosine.
double ToneDb(const std::vector<float>& x, uint32_t rate, double hz, size_t from, size_t to) {
    double re = 0;
    double im = 0;
    for (size_t i = from; i < to; ++i) {
        const double w = 2.0 * std::numbers::pi * hz * double(i) / rate;
        re += x[i] * std::cos(w);
        im += x[i] * std::sin(w);
    }
    const double amplitude = 2.0 * std::hypot(re, im) / double(to - from);
    return 20.0 * std::log10(amplitude);
}

double RmsDb(const std::vector<float>& x, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) {
        sum += double(x[i]) * x[i];
    }
    return 10.0 * std::log10(sum / double(to - from) + 1e-30);
}

TEST(BandSplitStream, OutputIsExactlyAsLongAsTheInputAtEveryRateChannelCountAndBlock) {
    for (const uint32_t rate : {11025u, 12000u, 22050u, 32000u, 44100u, 48000u, 96000u, 192000u}) {
        for (const uint32_t channels : {1u, 3u}) {
            const size_t frames = rate / 3 + 17 * channels + 1;
            std::vector<float> input(frames * channels);
            for (size_t i = 0; i < input.size(); ++i) {
                input[i] = float(0.2 * std::sin(0.01 * double(i)));
            }
            for (const uint32_t block : {1u, 777u, BandSplitStream::kMaxBlockFrames}) {
                if (block == 1 && (rate != 44100 || channels != 1)) {
                    continue;  // slow, and no different from the others
                }
                EXPECT_EQ(Clean(input, rate, channels, block).size(), input.size())
                    << rate << " Hz, " << channels << " channels, blocks of " << block;
            }
        }
    }
}

TEST(BandSplitStream, SilenceStaysSilence) {
    const std::vector<float> silence(48000 * 2 * 2, 0.0F);
    const std::vector<float> out = Clean(silence, 48000, 2);
    ASSERT_EQ(out.size(), silence.size());
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float v) { return v == 0.0F; }));
}

TEST(BandSplitStream, AnImpulseComesOutAtItsOwnPosition) {
    for (const uint32_t rate : {44100u, 48000u}) {
        std::vector<float> input(rate, 0.0F);
        const size_t at = rate / 2 + 123;
        input[at] = 0.8F;
        const std::vector<float> out = Clean(input, rate, 1);
        ASSERT_EQ(out.size(), input.size());
        size_t peak = 0;
        for (size_t i = 0; i < out.size(); ++i) {
            if (std::fabs(out[i]) > std::fabs(out[peak])) {
                peak = i;
            }
        }
        EXPECT_EQ(peak, at) << rate;
        EXPECT_GT(std::fabs(out[peak]), 0.3F) << rate;
    }
}

TEST(BandSplitStream, NoiseOnlyAboveEightKilohertzIsAttenuatedOnceLearnt) {
    constexpr uint32_t kRate = 48000;
    const std::vector<float> noise = BandNoise(kRate * 3, kRate, 9000.0, 20000.0, 0.05, 7);
    const std::vector<float> out = Clean(noise, kRate, 1);
    ASSERT_EQ(out.size(), noise.size());
    // Deepest reduction by default: 18 dB.
    const double reduction = RmsDb(noise, kRate, 3 * kRate) - RmsDb(out, kRate, 3 * kRate);
    EXPECT_GT(reduction, 12.0);
    EXPECT_LT(reduction, 18.5);
}

TEST(BandSplitStream, AToneAboveEightKilohertzInNoiseKeepsItsLevelOnceTheNoiseIsLearnt) {
    constexpr uint32_t kRate = 48000;
    // One second of white noise, then a 10 kHz tone joins it.
    std::vector<float> input = WhiteNoise(kRate * 3, 0.02, 3);
    for (size_t i = kRate; i < input.size(); ++i) {
        input[i] += float(0.1 * std::sin(2.0 * std::numbers::pi * 10000.0 * double(i) / kRate));
    }
    const std::vector<float> out = Clean(input, kRate, 1);
    ASSERT_EQ(out.size(), input.size());
    const size_t from = kRate + kRate / 4;
    const size_t to = 2 * kRate;
    EXPECT_NEAR(ToneDb(out, kRate, 10000.0, from, to), ToneDb(input, kRate, 10000.0, from, to),
                1.0);
    // Meanwhile the noise before the tone was reduced.
    EXPECT_GT(RmsDb(input, kRate / 2, kRate) - RmsDb(out, kRate / 2, kRate), 6.0);
}

TEST(BandSplitStream, TheDeepestReductionChosenBoundsTheHighBand) {
    constexpr uint32_t kRate = 44100;
    const std::vector<float> noise = BandNoise(kRate * 2, kRate, 9000.0, 20000.0, 0.05, 9);
    for (const uint32_t gainMaxDb : {0u, 6u}) {
        CleaningSettings settings;
        settings.gainMaxDb = gainMaxDb;
        const std::vector<float> out = Clean(noise, kRate, 1, 1000, settings);
        const double reduction = RmsDb(noise, kRate, 2 * kRate) - RmsDb(out, kRate, 2 * kRate);
        EXPECT_LT(reduction, gainMaxDb + 0.5) << gainMaxDb;
        EXPECT_GT(reduction, gainMaxDb - 1.0) << gainMaxDb;
    }
}

}  // namespace
