#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "uimodel/TimeRuler.h"

namespace {

using namespace uimodel;

TEST(TimeRuler, NiceStepOverAThousandPixels) {
    // 10 s: 60 px cover 0.6 s -> ticks every second, 100 px apart.
    auto nice = ChooseNiceStep(60, 10, 1000);
    ASSERT_TRUE(nice);
    EXPECT_FLOAT_EQ(nice->step, 1.0f);
    EXPECT_FLOAT_EQ(nice->spacingPx, 100.0f);
    // 100 s: 6 s -> every 8 s, 80 px apart.
    nice = ChooseNiceStep(60, 100, 1000);
    ASSERT_TRUE(nice);
    EXPECT_FLOAT_EQ(nice->step, 8.0f);
    EXPECT_FLOAT_EQ(nice->spacingPx, 80.0f);
}

TEST(TimeRuler, NiceStepSequenceAroundItsJumps) {
    auto stepFor = [](float f) { return ChooseNiceStep(1, f, 1)->step; };  // covers f exactly
    EXPECT_FLOAT_EQ(stepFor(1.0f), 4.0f);  // 1 already counts as "from one on"
    EXPECT_FLOAT_EQ(stepFor(4.0f), 4.0f);
    EXPECT_FLOAT_EQ(stepFor(8.5f), 20.0f);
    EXPECT_FLOAT_EQ(stepFor(21.0f), 160.0f);  // 20 jumps straight to 160
    EXPECT_FLOAT_EQ(stepFor(801.0f), 6400.0f);
    EXPECT_FLOAT_EQ(stepFor(0.1f), 0.1f);  // a candidate itself is taken
    EXPECT_FLOAT_EQ(stepFor(0.05f), 0.1f);
    EXPECT_FLOAT_EQ(stepFor(0.03f), 0.04f);
    EXPECT_FLOAT_EQ(stepFor(0.015f), 0.02f);
    EXPECT_FLOAT_EQ(stepFor(0.001f), 0.002f);
    EXPECT_FLOAT_EQ(stepFor(0.0005f), 0.0008f);
    // The spacing never drops below the minimum distance.
    const auto nice = ChooseNiceStep(60, 8, 1000);
    ASSERT_TRUE(nice);
    EXPECT_GE(nice->spacingPx, 60.0f);
}

TEST(TimeRuler, NoRulerForAnEmptySpanOrWidth) {
    EXPECT_FALSE(ChooseNiceStep(60, 0, 1000));
    EXPECT_FALSE(ChooseNiceStep(60, 10, 0));
    EXPECT_FALSE(ChooseNiceStep(60, -1, 1000));
    EXPECT_FALSE(ChooseNiceStep(60, std::numeric_limits<float>::infinity(), 1000));
    EXPECT_FALSE(ChooseNiceStep(60, std::nanf(""), 1000));
    // Extreme but valid spans end too.
    EXPECT_TRUE(ChooseNiceStep(60, 1e-30f, 1000));
    EXPECT_TRUE(ChooseNiceStep(60, 1e30f, 1));
    EXPECT_TRUE(RulerTicks(0, 0, 1000).empty());
    EXPECT_TRUE(RulerTicks(0, 10, 0).empty());
}

TEST(TimeRuler, MinorPartsFollowTheLeadingDigit) {
    EXPECT_EQ(MinorParts(1.0f), 10);
    EXPECT_EQ(MinorParts(8.0f), 8);
    EXPECT_EQ(MinorParts(20.0f), 2);
    EXPECT_EQ(MinorParts(4.0f), 4);
    EXPECT_EQ(MinorParts(160.0f), 2);
    EXPECT_EQ(MinorParts(0.04f), 4);
    EXPECT_EQ(MinorParts(0.0f), 0);
}

TEST(TimeRuler, LabelsInHoursMinutesSecondsAndMilliseconds) {
    EXPECT_EQ(TimeLabel(65.25), "00:01:05.250");
    EXPECT_EQ(TimeLabel(0), "00:00:00.000");
    EXPECT_EQ(TimeLabel(3600), "01:00:00.000");
    EXPECT_EQ(TimeLabel(4271.5), "01:11:11.500");
    EXPECT_EQ(TimeLabel(59.9996), "00:01:00.000");
    // A decimal comma in the user's locale changes nothing.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr ||
        std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") != nullptr) {
        EXPECT_EQ(TimeLabel(65.25), "00:01:05.250");
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(TimeRuler, TicksAtMultiplesOfTheStepWithMinorOnesBetween) {
    // 10 s from 2.5 s over 1000 px: labels at 3, 4, ..., 12 s, 100 px apart,
    // nine minor ticks between two of them.
    const auto ticks = RulerTicks(2.5, 10, 1000);
    std::vector<RulerTick> labelled;
    for (const RulerTick& tick : ticks) {
        ASSERT_GE(tick.x, 0);
        ASSERT_LT(tick.x, 1000);
        if (tick.labelled) {
            labelled.push_back(tick);
        }
    }
    ASSERT_EQ(labelled.size(), 10u);
    EXPECT_DOUBLE_EQ(labelled.front().seconds, 3.0);
    EXPECT_EQ(labelled.front().x, 50);
    EXPECT_EQ(labelled[1].x, 150);
    EXPECT_DOUBLE_EQ(labelled.back().seconds, 12.0);
    EXPECT_EQ(ticks.size(), 100u);  // a tick every 10 px
    // However wide, never more than a handful of ticks per 60 pixels.
    EXPECT_LE(RulerTicks(0, 1e-6, 5000).size(), 5000u / 60 * 10 + 20);
}

}  // namespace
