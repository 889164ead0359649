#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "RealFft.h"
#include "TestSignals.h"

namespace velquor {
namespace {

constexpr int kOrder = 9;
constexpr int kN = 1 << kOrder;

std::vector<float> Table() {
    std::vector<float> table(kN / 2, 0.0f);
    BuildSineTable(table.data(), kOrder);
    return table;
}

TEST(RealFft, SineTableHoldsAQuarterPeriod) {
    const std::vector<float> table = Table();
    for (int i = 0; i < kN / 4; ++i) {
        EXPECT_NEAR(table[i], std::sin(2.0 * std::numbers::pi * i / kN), 1e-6) << i;
    }
    EXPECT_EQ(table[0], 0.0f);
    EXPECT_EQ(table[kN / 4], 0.0f);  // nothing written past the quarter
}

TEST(RealFft, ImpulseGivesFlatRealSpectrum) {
    const std::vector<float> table = Table();
    std::vector<float> x(kN, 0.0f);
    x[0] = 1.0f;
    RealFft(x.data(), kOrder, table.data());
    for (int k = 0; k <= kN / 2; ++k) {
        EXPECT_FLOAT_EQ(x[k], 1.0f / kN) << k;
    }
    for (int k = kN / 2 + 1; k < kN; ++k) {
        EXPECT_EQ(x[k], 0.0f) << k;
    }
}

TEST(RealFft, MatchesTheScaledDftInPackedLayout) {
    const std::vector<float> table = Table();
    test::Noise noise(3);
    std::vector<float> x(kN);
    for (float& v : x) {
        v = noise.Next(1000.0f);
    }
    std::vector<float> y = x;
    RealFft(y.data(), kOrder, table.data());
    for (int k = 0; k <= kN / 2; ++k) {
        double re = 0.0;
        double im = 0.0;
        for (int n = 0; n < kN; ++n) {
            const double angle = 2.0 * std::numbers::pi * k * n / kN;
            re += x[n] * std::cos(angle) / kN;
            im -= x[n] * std::sin(angle) / kN;
        }
        EXPECT_NEAR(y[k], re, 1e-4) << "Re " << k;
        if (k > 0 && k < kN / 2) {
            EXPECT_NEAR(y[kN - k], im, 1e-4) << "Im " << k;
        }
    }
}

TEST(RealFft, SineOfOnePeriodHasNegativeImaginaryFirstBin) {
    const std::vector<float> table = Table();
    std::vector<float> x(kN);
    for (int n = 0; n < kN; ++n) {
        x[n] = static_cast<float>(std::sin(2.0 * std::numbers::pi * n / kN));
    }
    RealFft(x.data(), kOrder, table.data());
    EXPECT_NEAR(x[kN - 1], -0.5f, 1e-6);
    EXPECT_NEAR(x[1], 0.0f, 1e-6);
}

// The frame path skips the zero quarters; nothing else may change.
TEST(RealFft, CentredFrameGivesTheSameSpectrumAtEveryOrder) {
    test::Noise noise(29);
    for (int order = kMinFftOrder; order <= 12; ++order) {
        const int n = 1 << order;
        std::vector<float> table(n / 4);
        BuildSineTable(table.data(), order);
        FftPlan plan;
        ASSERT_TRUE(MakeFftPlan(plan, order, table.data()));
        std::vector<float> x(n, 0.0f);
        for (int i = n / 4; i < 3 * n / 4; ++i) {
            x[i] = noise.Next(20000.0f);
        }
        std::vector<float> full = x;
        RealFft(full.data(), plan);
        RealFftOfCentredFrame(x.data(), plan);
        FreeFftPlan(plan);
        EXPECT_EQ(x, full) << order;
    }
}

TEST(RealFft, InverseRestoresRandomData) {
    const std::vector<float> table = Table();
    test::Noise noise(11);
    for (int round = 0; round < 4; ++round) {
        std::vector<float> x(kN);
        for (float& v : x) {
            v = noise.Next(32768.0f);
        }
        std::vector<float> y = x;
        RealFft(y.data(), kOrder, table.data());
        InverseRealFft(y.data(), kOrder, table.data());
        for (int n = 0; n < kN; ++n) {
            EXPECT_NEAR(y[n], x[n], 0.02f) << n;
        }
    }
}

TEST(RealFft, InverseOfOneBinIsACosineOfFullHeight) {
    const std::vector<float> table = Table();
    std::vector<float> x(kN, 0.0f);
    x[3] = 0.5f;  // X[3] = X[N-3]* = 0.5
    InverseRealFft(x.data(), kOrder, table.data());
    for (int n = 0; n < kN; ++n) {
        EXPECT_NEAR(x[n], std::cos(2.0 * std::numbers::pi * 3 * n / kN), 1e-5) << n;
    }
}

}  // namespace
}  // namespace velquor
