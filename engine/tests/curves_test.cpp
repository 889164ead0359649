#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "Curves.h"
#include "TestSignals.h"

namespace velquor {
namespace {

constexpr int kBins = 256;
constexpr float kFloor18Db = 0.12589254f;

TEST(FloorCurve, RisesEighteenDbFrom500HzTo4kHz) {
    std::vector<float> floor(kBins + 1);
    FloorCurve(floor.data(), kFloor18Db, kBins, 4000.0f);  // 8 kHz: bins 32 and 256
    for (int i = 0; i <= 32; ++i) {
        EXPECT_FLOAT_EQ(floor[i], kFloor18Db) << i;
    }
    EXPECT_NEAR(floor[144], kFloor18Db * std::pow(10.0f, 0.45f), 1e-5);  // half way
    EXPECT_NEAR(floor[256], 1.0f, 1e-5);
    for (int i = 33; i <= kBins; ++i) {
        EXPECT_GT(floor[i], floor[i - 1]) << i;
    }
}

TEST(FloorCurve, StopsRisingAtOne) {
    std::vector<float> floor(kBins + 1);
    FloorCurve(floor.data(), 0.1f, kBins, 8000.0f);  // 16 kHz: bins 16 and 128
    EXPECT_FLOAT_EQ(floor[16], 0.1f);
    EXPECT_NEAR(floor[72], 0.1f * std::pow(10.0f, 0.45f), 1e-6);
    EXPECT_NEAR(floor[128], 0.1f * std::pow(10.0f, 0.9f), 1e-6);
    // 0.1 x 10^(0.9 (i - 16) / 112) passes 1 at i = 140.4.
    EXPECT_LT(floor[140], 1.0f);
    for (int i = 141; i <= kBins; ++i) {
        EXPECT_EQ(floor[i], 1.0f) << i;
    }
}

TEST(FloorCurve, RatesAboveAllBandsStayFinite) {
    std::vector<float> floor(kBins + 1);
    FloorCurve(floor.data(), kFloor18Db, kBins, 4.0e6f);  // 500 Hz and 4 kHz both at bin 0
    EXPECT_FLOAT_EQ(floor[0], kFloor18Db);
    EXPECT_NEAR(floor[1], 1.0f, 1e-5);  // 18 dB within the one bin there is
    for (const float v : floor) {
        EXPECT_TRUE(std::isfinite(v));
    }
}

// The pre-emphasis denominator, evaluated independently in double precision.
double Denominator(double hz, double rate) {
    const double a = kDeEmphasisCoefficient;
    return 1.0 + a * a - 2.0 * a * std::cos(2.0 * std::numbers::pi * hz / rate);
}

TEST(CorrectionCurve, DeEmphasisIsFlatBetweenTheCornersAndRampsBelow) {
    for (const int rate : {8000, 16000}) {
        std::vector<float> curve(kBins + 1);
        CorrectionCurve(curve.data(), kBins, kDeEmphasisCoefficient, 400.0f, 1000.0f, rate);
        const double o = 1.0 / (1.0 + kDeEmphasisCoefficient / 2.0);
        const double flat = o * std::sqrt(Denominator(2000, rate) / Denominator(1000, rate));
        const double binHz = rate / 2.0 / kBins;
        const int kLo = static_cast<int>(2.0 * kBins * 400 / rate + 0.5);
        for (int k = kLo; k * binHz <= 1000.0; ++k) {
            EXPECT_NEAR(curve[k], flat, 1e-5) << rate << " " << k;
        }
        const int k2000 = static_cast<int>(2000.0 / binHz);
        EXPECT_NEAR(curve[k2000], o, 1e-5) << rate;  // 2 x the upper corner
        for (int k = 0; k < kLo; ++k) {
            EXPECT_NEAR(curve[k], k * binHz / 400.0 * flat, 1e-5) << rate << " " << k;
        }
        for (int k = k2000 + 1; k <= kBins; ++k) {
            EXPECT_LT(curve[k], curve[k - 1]) << rate << " " << k;
        }
        EXPECT_NEAR(curve[kBins], o * std::sqrt(Denominator(2000, rate) / (1.95 * 1.95)), 1e-5);
    }
}

TEST(CorrectionCurve, DeEmphasisCornersAreHeldToTheirLimits) {
    std::vector<float> wide(kBins + 1);
    std::vector<float> limited(kBins + 1);
    CorrectionCurve(wide.data(), kBins, kDeEmphasisCoefficient, 900.0f, 500.0f, 8000);
    CorrectionCurve(limited.data(), kBins, kDeEmphasisCoefficient, 700.0f, 800.0f, 8000);
    for (int k = 0; k <= kBins; ++k) {
        EXPECT_FLOAT_EQ(wide[k], limited[k]) << k;
    }
}

TEST(CorrectionCurve, TiltWithDefaultsRisesSixDbPerUpperCorner) {
    std::vector<float> curve(kBins + 1);
    CorrectionCurve(curve.data(), kBins, 400.0f, 1000.0f, 0, 6, 8000);
    EXPECT_EQ(curve[0], 0.0f);
    for (int k = 1; k < 64; ++k) {  // up to 1 kHz
        EXPECT_FLOAT_EQ(curve[k], 1.0f) << k;
    }
    EXPECT_NEAR(curve[128], std::pow(10.0f, 6.0f / 20.0f), 1e-5);   // 2 kHz
    EXPECT_NEAR(curve[192], std::pow(10.0f, 12.0f / 20.0f), 1e-5);  // 3 kHz
    EXPECT_NEAR(curve[256], std::pow(10.0f, 18.0f / 20.0f), 1e-5);  // 4 kHz
}

TEST(CorrectionCurve, TiltSlopeAndLowShelfAreLimited) {
    std::vector<float> curve(kBins + 1);
    // 16 kHz: 8 kHz at the top would be +42 dB at slope 6; held at 18 dB.
    CorrectionCurve(curve.data(), kBins, 400.0f, 1000.0f, 20, 9, 16000);
    EXPECT_NEAR(curve[kBins], std::pow(10.0f, 18.0f / 20.0f), 1e-5);
    EXPECT_NEAR(curve[64], std::pow(10.0f, 6.0f / 20.0f), 1e-5);  // 2 kHz at slope 6, not 9
    // Low shelf of 12 dB (not 20) at 0 Hz falling to 0 dB at 400 Hz: bin 6 = 187.5 Hz.
    EXPECT_NEAR(curve[6], std::pow(10.0f, 12.0f * (1.0f - 187.5f / 400.0f) / 20.0f), 1e-5);
    EXPECT_NEAR(curve[1], std::pow(10.0f, 12.0f * (1.0f - 31.25f / 400.0f) / 20.0f), 1e-5);

    // A negative shelf follows lo / f - 1.
    CorrectionCurve(curve.data(), kBins, 400.0f, 1000.0f, -3, 6, 8000);
    EXPECT_NEAR(curve[10], std::pow(10.0f, -3.0f * (400.0f / 156.25f - 1.0f) / 20.0f), 1e-5);
}

TEST(NearestBin, RoundsAndStaysWithinTheBins) {
    EXPECT_EQ(NearestBin(kBins, 200.0f, 4000.0f), 13);  // 12.8
    EXPECT_EQ(NearestBin(kBins, 3000.0f, 4000.0f), 192);
    EXPECT_EQ(NearestBin(kBins, 3000.0f, 200.0f), kBins);  // 3840 clipped
    EXPECT_EQ(NearestBin(kBins, 200.0f, 1.0e9f), 0);
}

}  // namespace
}  // namespace velquor
