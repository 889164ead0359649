#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "TestSignals.h"

namespace velquor {
namespace {

using test::Processor;

TEST(SetUp, DefaultBlockAt8000Hz) {
    Processor p(8000);
    ASSERT_EQ(p.result, kVelquorOk);
    const SpectralState& s = p.state;
    EXPECT_EQ(s.blockLength, 256);
    EXPECT_EQ(s.transformOrder, 9);
    EXPECT_EQ(s.transformTable, s.sineTable);
    EXPECT_EQ(s.sampleRateHz, 8000);
    EXPECT_FLOAT_EQ(s.nyquistHz, 4000.0f);
    EXPECT_EQ(s.bin200Hz, 13);
    EXPECT_EQ(s.bin3000Hz, 192);
    EXPECT_FLOAT_EQ(p.params.noiseTimeConstant, 0.5f);
    EXPECT_FLOAT_EQ(s.floorGain, 0.12589254f);
    EXPECT_EQ(s.frameCounter, 0);
    for (int i = 0; i < kHistorySamples; ++i) {
        ASSERT_EQ(s.history[i], 0.0f) << i;
    }
}

TEST(SetUp, BandEdgesAt16000Hz) {
    Processor p(16000);
    ASSERT_EQ(p.result, kVelquorOk);
    EXPECT_EQ(p.state.bin200Hz, 6);
    EXPECT_EQ(p.state.bin3000Hz, 96);
    EXPECT_FLOAT_EQ(p.state.nyquistHz, 8000.0f);
}

TEST(SetUp, NoiseTimeConstantIsClampedThenRaisedToOneBlock) {
    Processor at400(400);
    EXPECT_FLOAT_EQ(at400.params.noiseTimeConstant, 0.64f);  // 256 / 400

    VelquorParams slow;
    slow.noiseTimeConstant = 3.0f;
    Processor clampedHigh(8000, slow);
    EXPECT_FLOAT_EQ(clampedHigh.params.noiseTimeConstant, 0.5f);

    VelquorParams fast;
    fast.noiseTimeConstant = 0.01f;
    Processor clampedLow(8000, fast);
    EXPECT_FLOAT_EQ(clampedLow.params.noiseTimeConstant, 0.05f);

    Processor at16k(16000, fast);  // 16000 x 0.05 = 800 > 256: kept
    EXPECT_FLOAT_EQ(at16k.params.noiseTimeConstant, 0.05f);
}

TEST(SetUp, GainFloorFollowsGainMaxDb) {
    VelquorParams p;
    p.gainMaxDb = 0;
    Processor none(8000, p);
    EXPECT_FLOAT_EQ(none.state.floorGain, 1.0f);

    p.gainMaxDb = 6;
    Processor six(8000, p);
    EXPECT_NEAR(six.state.floorGain, 0.5011872f, 1e-7);

    p.gainMaxDb = 40;  // out of range: clamped and written back
    Processor deep(8000, p);
    EXPECT_EQ(deep.params.gainMaxDb, 18);
    EXPECT_FLOAT_EQ(deep.state.floorGain, 0.12589254f);
}

TEST(SetUp, HannWindowPairsSumToOne) {
    Processor p(8000);
    const int b = p.Bins();
    const int h = b / 2;
    const float* w = p.state.window;
    EXPECT_NEAR(w[b - 1], 0.0f, 1e-7);
    EXPECT_FLOAT_EQ(w[h - 1], 1.0f);
    EXPECT_NEAR(w[0], 0.5 * (1.0 - std::cos(2.0 * std::numbers::pi / b)), 1e-7);
    for (int i = 0; i < h; ++i) {
        EXPECT_NEAR(w[i] + w[i + h], 1.0f, 1e-6) << i;
    }
}

TEST(SetUp, RefusesWithoutStateOrWithRateZeroOrLess) {
    EXPECT_EQ(velquor::SetUp(nullptr, 8000), kVelquorNoState);
    SpectralState orphan{};
    EXPECT_EQ(velquor::SetUp(&orphan, 8000), kVelquorNoState);

    Processor p(8000);
    EXPECT_EQ(velquor::SetUp(&p.state, 0), kVelquorWrongRate);
    EXPECT_EQ(velquor::SetUp(&p.state, -16000), kVelquorWrongRate);
    EXPECT_TRUE(HasArrays(p.state));  // a refused rate changes nothing
    EXPECT_EQ(p.state.sampleRateHz, 8000);
}

TEST(SetUp, FreeArraysLeavesNoArraysAndMayRepeat) {
    Processor p(8000);
    FreeArrays(&p.state);
    FreeArrays(&p.state);
    FreeArrays(nullptr);
    const SpectralState& s = p.state;
    EXPECT_FALSE(HasArrays(s));
    for (const float* array : {s.sineTable, s.window, s.correctionCurve, s.floorCurve,
                               s.levelAverage, s.midAverage, s.fastAverage, s.logNoiseAverage,
                               s.accumulator, s.work, s.gains, s.history, s.noiseMagnitude}) {
        EXPECT_EQ(array, nullptr);
    }
    EXPECT_EQ(s.transformTable, nullptr);
}

// Rates the product does not offer must still keep every bin index inside
// 0..B (the sanitizer build reports any stray access) and give finite output.
TEST(SetUp, UnusualRatesKeepEveryIndexInRange) {
    for (const int32_t rate : {1, 50, 400, 6000, 11025, 22050, 44100, 96000, 5000000, INT_MAX}) {
        for (const int correction : {0, 1}) {
            for (const int white : {0, 1}) {
                VelquorParams params;
                params.spectrumCorrection = correction;
                params.whiteNoise = white;
                params.toneCleaning = 1;
                Processor p(rate, params);
                ASSERT_EQ(p.result, kVelquorOk) << rate;
                const int b = p.Bins();
                EXPECT_GE(p.state.bin200Hz, 0) << rate;
                EXPECT_LE(p.state.bin200Hz, p.state.bin3000Hz) << rate;
                EXPECT_LE(p.state.bin3000Hz, b) << rate;
                for (int k = 0; k <= b; ++k) {
                    ASSERT_TRUE(std::isfinite(p.state.floorCurve[k])) << rate << " bin " << k;
                    ASSERT_TRUE(std::isfinite(p.state.correctionCurve[k])) << rate << " bin " << k;
                    ASSERT_GT(p.state.floorCurve[k], 0.0f) << rate << " bin " << k;
                    ASSERT_LE(p.state.floorCurve[k], 1.0f) << rate << " bin " << k;
                }
                test::Noise noise(5);
                std::vector<float> in(40 * b);
                for (float& v : in) {
                    v = noise.Next(3000.0f);
                }
                const std::vector<float> out = p.Run(in);
                for (size_t i = 0; i < out.size(); ++i) {
                    ASSERT_TRUE(std::isfinite(out[i])) << rate << " sample " << i;
                }
            }
        }
    }
}

void UnitGains(SpectralState& s) {
    for (int k = 0; k <= s.blockLength; ++k) {
        s.gains[k] = 1.0f;
    }
}

TEST(Framing, UnitGainsDelayTheInputByOneBlock) {
    for (const int32_t rate : {8000, 16000}) {
        Processor p(rate);
        const int b = p.Bins();
        test::Noise noise(9);
        std::vector<float> in(30 * b);
        for (float& v : in) {
            v = std::round(noise.Next(20000.0f));
        }
        const std::vector<float> out = p.Run(in, UnitGains);
        for (int n = 0; n < b; ++n) {
            ASSERT_NEAR(out[n], 0.0f, 0.02f) << n;
        }
        for (size_t n = b; n < out.size(); ++n) {
            ASSERT_NEAR(out[n], in[n - b], 0.05f) << n;
        }
    }
}

TEST(Framing, ZeroGainsGiveSilence) {
    Processor p(8000);
    test::Noise noise(2);
    std::vector<float> in(8 * p.Bins());
    for (float& v : in) {
        v = noise.Next(20000.0f);
    }
    const std::vector<float> out = p.Run(in, [](SpectralState& s) {
        for (int k = 0; k <= s.blockLength; ++k) {
            s.gains[k] = 0.0f;
        }
    });
    for (const float v : out) {
        ASSERT_EQ(v, 0.0f);
    }
}

TEST(Framing, WrongLengthIsRefusedAndNothingWritten) {
    Processor p(8000);
    std::vector<float> in(512, 100.0f);
    std::vector<float> out(512, 7.0f);
    EXPECT_EQ(ProcessBlock(&p.state, in.data(), out.data(), 255), kVelquorWrongLength);
    EXPECT_EQ(ProcessBlock(&p.state, in.data(), out.data(), 512), kVelquorWrongLength);
    EXPECT_EQ(p.state.frameCounter, 0);
    for (const float v : out) {
        ASSERT_EQ(v, 7.0f);
    }
}

TEST(Framing, FrameCounterRisesToTwoAndStays) {
    Processor p(8000);
    std::vector<float> in(256, 0.0f);
    std::vector<float> out(256);
    ASSERT_EQ(ProcessFrame(&p.state), 0);
    EXPECT_EQ(p.state.frameCounter, 1);
    EXPECT_EQ(p.state.frameCounterLimit, 2);
    ASSERT_EQ(ProcessBlock(&p.state, in.data(), out.data(), 256), kVelquorOk);
    EXPECT_EQ(p.state.frameCounter, 2);
    ASSERT_EQ(ProcessBlock(&p.state, in.data(), out.data(), 256), kVelquorOk);
    EXPECT_EQ(p.state.frameCounter, 2);
    ASSERT_EQ(velquor::SetUp(&p.state, 8000), kVelquorOk);
    EXPECT_EQ(p.state.frameCounter, 0);
}

// Frames after the first must not reset the averages; a new SetUp must.
TEST(Framing, FirstFrameAfterSetUpResetsTheBins) {
    Processor p(8000);
    test::Noise noise(4);
    std::vector<float> in(20 * 256);
    for (float& v : in) {
        v = noise.Next(5000.0f);
    }
    p.Run(in);
    EXPECT_GT(p.state.fastAverage[40], 20.0f);
    ASSERT_EQ(velquor::SetUp(&p.state, 8000), kVelquorOk);
    std::vector<float> silence(256, 0.0f);
    std::vector<float> out(256);
    ProcessBlock(&p.state, silence.data(), out.data(), 256);
    // Two frames of silence from the start values.
    EXPECT_LT(p.state.fastAverage[40], 10.0f);
    EXPECT_GT(p.state.fastAverage[40], 2.0f);
}

}  // namespace
}  // namespace velquor
