#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "GainRule.h"
#include "TestSignals.h"

namespace velquor {
namespace {

using test::Processor;

VelquorParams Switches(int noiseSuppression, int toneCleaning, int spectrumCorrection) {
    VelquorParams p;
    p.noiseSuppression = noiseSuppression;
    p.toneCleaning = toneCleaning;
    p.spectrumCorrection = spectrumCorrection;
    return p;
}

TEST(GainRule, CoefficientsAtTheSupportedRates) {
    Processor at8k(8000);
    FrameCoefficients c = ComputeCoefficients(at8k.state);
    EXPECT_FLOAT_EQ(c.fast, 0.5f);  // 0.8 held at 0.5
    EXPECT_FLOAT_EQ(at8k.state.fastCoefficient, 0.5f);
    EXPECT_NEAR(c.level, 0.0042667f, 1e-7);
    EXPECT_FLOAT_EQ(c.noise, 0.032f);
    EXPECT_FLOAT_EQ(c.mid, 0.17f);

    Processor at16k(16000);
    c = ComputeCoefficients(at16k.state);
    EXPECT_FLOAT_EQ(c.fast, 0.4f);
    EXPECT_NEAR(c.level, 0.0021333f, 1e-7);
    EXPECT_FLOAT_EQ(c.noise, 0.016f);
}

TEST(GainRule, AnalysisAveragesMagnitudesAndMeansTheSpeechBand) {
    Processor p(8000);
    ResetBins(p.state);
    const int b = p.Bins();
    for (int k = 0; k <= b; ++k) {
        p.state.levelAverage[k] = static_cast<float>(k);
    }
    std::fill(p.state.work, p.state.work + 2 * b, 0.0f);
    p.state.work[100] = 3.0f;  // bin 100: magnitude 5
    p.state.work[2 * b - 100] = -4.0f;
    p.state.work[b] = 2.0f;  // top bin: both parts are element B
    const FrameCoefficients c = ComputeCoefficients(p.state);
    const float mean = Analyse(p.state, c);

    EXPECT_FLOAT_EQ(p.state.fastAverage[100], 10.0f + (5.0f - 10.0f) * 0.5f);
    EXPECT_FLOAT_EQ(p.state.midAverage[100], 10.0f + (5.0f - 10.0f) * 0.17f);
    EXPECT_FLOAT_EQ(p.state.fastAverage[b], 10.0f + (std::sqrt(8.0f) - 10.0f) * 0.5f);
    EXPECT_FLOAT_EQ(p.state.fastAverage[50], 10.0f + (0.01f - 10.0f) * 0.5f);  // clamped
    EXPECT_FLOAT_EQ(p.state.logNoiseAverage[100],
                    2.3025851f + (std::log(5.0f) - 2.3025851f) * 0.032f);
    EXPECT_EQ(p.state.fastAverage[0], 10.0f);  // bin 0 keeps its start value
    EXPECT_FLOAT_EQ(p.state.noiseMagnitude[100], std::exp(p.state.logNoiseAverage[100]));

    double sum = 0.0;  // bins 13..191: 200 Hz up to, not including, 3 kHz
    for (int k = 13; k < 192; ++k) {
        sum += p.state.levelAverage[k];
    }
    EXPECT_NEAR(mean, sum / 179.0, 1e-3);
}

TEST(GainRule, MeanLevelWithoutASpeechBandUsesItsOneBin) {
    Processor p(400);  // 200 Hz and 3 kHz both fall on the top bin
    ASSERT_EQ(p.state.bin200Hz, p.Bins());
    ASSERT_EQ(p.state.bin3000Hz, p.Bins());
    ResetBins(p.state);
    std::fill(p.state.work, p.state.work + 2 * p.Bins(), 0.0f);
    const float mean = Analyse(p.state, ComputeCoefficients(p.state));
    EXPECT_FLOAT_EQ(mean, p.state.levelAverage[p.Bins()]);
}

// With every switch off only the low cut and the smoothing shape the gains.
TEST(GainRule, AllSwitchesOffSettleToTheLowCutAndEdgeShape) {
    Processor p(8000, Switches(0, 0, 0));
    test::Noise noise(1);
    std::vector<float> in(40 * 256);
    for (float& v : in) {
        v = noise.Next(8000.0f);
    }
    p.Run(in);
    const float* g = p.state.gains;
    const int b = p.Bins();
    EXPECT_NEAR(g[0], 0.1f, 1e-5);
    EXPECT_NEAR(g[1], 0.2f, 1e-5);
    EXPECT_NEAR(g[2], 0.4f, 1e-5);
    EXPECT_NEAR(g[3], 0.6f, 1e-5);
    EXPECT_NEAR(g[4], 0.79f, 2e-3);
    for (int k = 9; k <= b - 5; ++k) {
        EXPECT_NEAR(g[k], 1.0f, 1e-4) << k;
    }
    EXPECT_NEAR(g[b - 2], 0.985f, 1e-3);
    EXPECT_NEAR(g[b - 1], 0.910f, 1e-3);
    EXPECT_NEAR(g[b], 0.478f, 1e-3);
}

TEST(GainRule, LowCutRampsTheBinsBelow80Hz) {
    for (const auto& [rate, cut] : {std::pair{8000, 5}, std::pair{16000, 2}}) {
        Processor p(rate);
        ResetBins(p.state);
        LowCut(p.state);
        for (int i = 0; i < cut; ++i) {
            EXPECT_FLOAT_EQ(p.state.gains[i], static_cast<float>(i) / cut) << rate << " " << i;
        }
        EXPECT_EQ(p.state.gains[cut], 1.0f) << rate;
    }
}

TEST(GainRule, SmoothingUsesUnsmoothedNeighboursAndHalvesTheTop) {
    Processor p(8000);
    const int b = p.Bins();
    for (int k = 0; k <= b; ++k) {
        p.state.gains[k] = static_cast<float>(k % 2);  // 0 1 0 1 ...
    }
    p.state.gains[b] = 8.0f;
    SmoothAcrossFrequency(p.state);
    const float* g = p.state.gains;
    EXPECT_FLOAT_EQ(g[0], 0.5f);      // (2*0 + 1 + 1) / 4: bin 1 on both sides
    EXPECT_FLOAT_EQ(g[1], 0.5f);      // (2*1 + 0 + 0) / 4
    EXPECT_FLOAT_EQ(g[2], 0.5f);      // (2*0 + 1 + 1) / 4
    EXPECT_FLOAT_EQ(g[b - 1], 2.5f);  // (2*1 + 0 + 8) / 4
    EXPECT_FLOAT_EQ(g[b], 0.5f);      // bin B-1 before smoothing, halved
}

// At the start values every bin sits exactly at its noise estimate.
TEST(GainRule, BinAtItsNoiseLevelGetsExactlyItsFloor) {
    Processor p(8000, Switches(1, 0, 0));
    ResetBins(p.state);
    for (int k = 1; k <= p.Bins(); ++k) {
        p.state.noiseMagnitude[k] = std::exp(p.state.logNoiseAverage[k]);
        p.state.fastAverage[k] = p.state.noiseMagnitude[k];
        ASSERT_FLOAT_EQ(BinGain(p.state, k, 1.0f), p.state.floorCurve[k]) << k;
    }
    EXPECT_LT(p.state.floorCurve[40], p.state.floorCurve[200]);  // the rising floor
}

TEST(GainRule, NoiseRatioShapesTheGainAboveAndBelowTheFloor) {
    Processor p(8000, Switches(1, 0, 0));
    ResetBins(p.state);
    const int k = 20;
    const float floor = p.state.floorCurve[k];
    ASSERT_FLOAT_EQ(floor, 0.12589254f);
    p.state.fastAverage[k] = 5.0f;  // half the noise estimate of 10
    EXPECT_NEAR(BinGain(p.state, k, 1.0f), floor * std::exp(-0.5f), 1e-6);
    p.state.fastAverage[k] = 20.0f;  // twice
    EXPECT_NEAR(BinGain(p.state, k, 1.0f), floor * std::exp(1.0f), 1e-6);
    p.state.fastAverage[k] = 50.0f;  // five times: gain 1 for a floor above e^-4
    EXPECT_FLOAT_EQ(BinGain(p.state, k, 1.0f), 1.0f);
    p.state.fastAverage[k] = 1000.0f;  // the ratio is held at 5
    EXPECT_FLOAT_EQ(BinGain(p.state, k, 1.0f), 1.0f);

    p.params.gainMaxDb = 0;  // floor e^-4.5 < e^-4: five times is no longer enough
    p.state.floorCurve[k] = std::exp(-4.5f);
    EXPECT_NEAR(BinGain(p.state, k, 1.0f), std::exp(-0.5f), 1e-6);
}

TEST(GainRule, SpectrumCorrectionScalesByLevelRatioAndCurve) {
    Processor p(8000, Switches(0, 0, 1));
    ResetBins(p.state);
    const int k = 100;
    const float curve = p.state.correctionCurve[k];
    p.state.levelAverage[k] = 2.0f;
    EXPECT_NEAR(BinGain(p.state, k, 3.0f), 1.5f * curve, 1e-6);
    EXPECT_NEAR(BinGain(p.state, k, 100.0f), 16.0f * curve, 1e-5);  // held at 16
    EXPECT_NEAR(BinGain(p.state, k, 0.1f), 0.25f * curve, 1e-6);    // held at 0.25
    p.params.spectrumCorrection = 0;
    EXPECT_FLOAT_EQ(BinGain(p.state, k, 3.0f), 1.0f);
}

TEST(GainRule, ToneWeightComparesTheNoiseWithBinsFiveAndSixAway) {
    Processor p(8000);
    ResetBins(p.state);
    const int b = p.Bins();
    std::vector<float> a(b + 1, 1.0f);
    p.state.noiseMagnitude[100] = 1.0f;
    EXPECT_FLOAT_EQ(ToneWeight(p.state, 100, a.data()), 1.0f);
    p.state.noiseMagnitude[100] = 3.52f;
    EXPECT_FLOAT_EQ(ToneWeight(p.state, 100, a.data()), 0.0f);
    p.state.noiseMagnitude[100] = 2.5f;
    EXPECT_NEAR(ToneWeight(p.state, 100, a.data()), (3.52f - 2.5f) * 0.625f, 1e-6);
    // Only the four neighbours count.
    a[100] = 50.0f;
    a[99] = a[101] = a[97] = a[103] = 50.0f;
    EXPECT_NEAR(ToneWeight(p.state, 100, a.data()), (3.52f - 2.5f) * 0.625f, 1e-6);
    a[95] = a[105] = 3.0f;  // mean of 3, 1, 3, 1 = 2
    p.state.noiseMagnitude[100] = 5.0f;
    EXPECT_NEAR(ToneWeight(p.state, 100, a.data()), (3.52f - 2.5f) * 0.625f, 1e-6);
}

TEST(GainRule, ToneWeightReflectsAtTheTopBin) {
    Processor p(8000);
    ResetBins(p.state);
    const int b = p.Bins();
    std::vector<float> a(b + 1, 1.0f);
    const int k = b - 2;
    // Right neighbours of B-2 reflect to B-3 and B-4; left ones are B-7, B-8.
    a[b - 3] = 3.0f;
    a[b - 4] = 3.0f;
    p.state.noiseMagnitude[k] = 5.0f;  // mean (3 + 1 + 3 + 1) / 4 = 2, ratio 2.5
    EXPECT_NEAR(ToneWeight(p.state, k, a.data()), (3.52f - 2.5f) * 0.625f, 1e-6);
    // Near bin 0 the left neighbours fold to |k - i|.
    a.assign(b + 1, 1.0f);
    a[3] = 3.0f;
    a[2] = 3.0f;
    p.state.noiseMagnitude[2] = 5.0f;  // bins 7, 3, 8, 4: mean 1.5
    EXPECT_NEAR(ToneWeight(p.state, 2, a.data()), (3.52f - 5.0f / 1.5f) * 0.625f, 1e-6);
}

TEST(GainRule, WithoutNoiseSuppressionToneCleaningUsesTheMidAverage) {
    Processor p(8000, Switches(0, 1, 0));
    ResetBins(p.state);
    const int k = 60;
    p.state.noiseMagnitude[k] = 2.5f;
    for (int i = 0; i <= p.Bins(); ++i) {
        p.state.midAverage[i] = 1.0f;
    }
    EXPECT_NEAR(BinGain(p.state, k, 1.0f), (3.52f - 2.5f) * 0.625f, 1e-6);
    p.params.toneCleaning = 0;
    EXPECT_FLOAT_EQ(BinGain(p.state, k, 1.0f), 1.0f);
}

// A steady 1 kHz tone over weak noise: the tone is what the noise estimate
// learns, so cleaning treats it as noise.
class SteadyTone : public ::testing::Test {
protected:
    static VelquorParams Settings(int toneCleaning) {
        VelquorParams p;
        p.whiteNoise = 1;
        p.spectrumCorrection = 0;
        p.toneCleaning = toneCleaning;
        return p;
    }

    // Feeds `blocks` blocks of the tone.
    void Feed(Processor& p, int blocks) {
        std::vector<float> in(256);
        std::vector<float> out(256);
        for (int blk = 0; blk < blocks; ++blk) {
            for (float& v : in) {
                v = std::round(test::Tone(1000.0, 8000, m_n++, 6000.0) + m_noise.Next(17.0f));
            }
            ProcessBlock(&p.state, in.data(), out.data(), 256);
        }
    }

    int64_t m_n = 0;
    test::Noise m_noise{21};
};

TEST_F(SteadyTone, ToneCleaningDrivesTheToneBinsDownWithinASecond) {
    Processor p(8000, Settings(1));
    Feed(p, 32);  // 1.02 s
    for (int k = 63; k <= 65; ++k) {
        EXPECT_LE(p.state.gains[k], 0.01f) << k;
    }
    Feed(p, 32);
    for (int k = 63; k <= 65; ++k) {
        EXPECT_LE(p.state.gains[k], 0.01f) << k;
    }
    for (const int k : {62, 66}) {  // smoothing mixes in their neighbours
        EXPECT_GT(p.state.gains[k], 0.02f) << k;
        EXPECT_LT(p.state.gains[k], 0.06f) << k;
    }
}

TEST_F(SteadyTone, WithoutToneCleaningTheToneSettlesJustAboveTheFloor) {
    Processor p(8000, Settings(0));
    Feed(p, 63);  // 2 s
    for (int k = 63; k <= 65; ++k) {
        EXPECT_NEAR(p.state.gains[k], 0.136f, 0.003f) << k;
    }
    Feed(p, 125);  // 6 s
    for (int k = 63; k <= 65; ++k) {
        EXPECT_GT(p.state.gains[k], 0.12589254f) << k;
        EXPECT_LT(p.state.gains[k], 0.1275f) << k;
    }
}

TEST(GainRule, DigitalSilenceSettlesAtTheFloor) {
    Processor p(8000, Switches(1, 0, 0));
    const std::vector<float> silence(125 * 256, 0.0f);
    const std::vector<float> out = p.Run(silence);
    for (const float v : out) {
        ASSERT_EQ(v, 0.0f);
    }
    for (int k = 8; k < p.Bins() - 4; ++k) {
        // Smoothing mixes neighbouring floors of the rising curve.
        const float* f = p.state.floorCurve;
        const float expected = (2.0f * f[k] + f[k - 1] + f[k + 1]) * 0.25f;
        EXPECT_NEAR(p.state.gains[k], expected, 0.01f * expected + 1e-4f) << k;
    }
}

}  // namespace
}  // namespace velquor
