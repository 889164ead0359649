#include <gtest/gtest.h>

#include "uimodel/PaneTexts.h"

namespace {

using uimodel::PaneTexts;

TEST(PaneTexts, DefaultsInEnglish) {
    const auto texts = PaneTexts(CleaningSettings{}, 0, false, true);
    EXPECT_EQ(texts[0], "Noise Supression  ON.");
    EXPECT_EQ(texts[1], "White Noise  ON.");
    EXPECT_EQ(texts[2], "Spectrum Correct OFF.");  // the one label without a trailing blank
    EXPECT_EQ(texts[3], "Tone Noise Clean  OFF.");
    EXPECT_EQ(texts[4], "Gain Max (dB)  18");
    EXPECT_EQ(texts[5], "Size of Buffer  1024");
    EXPECT_EQ(texts[6], "Disable Recleaning");
    EXPECT_EQ(texts[7], "Noise-Clean Passed:  0");
}

TEST(PaneTexts, RussianWithOtherValuesAndMappedMode) {
    CleaningSettings settings;
    settings.noiseCancel = false;
    settings.whiteNoise = false;
    settings.spectrum = true;
    settings.tone = true;
    settings.gainMaxDb = 6;
    settings.buffSize = 256;
    settings.afterNc = 1;
    const auto texts = PaneTexts(settings, 3, true, false);
    EXPECT_EQ(texts[0], "Шумоочистка  ОТКЛ.");
    EXPECT_EQ(texts[1], "Белый шум  ОТКЛ.");
    EXPECT_EQ(texts[2], "Коррекция спектра  ВКЛ.");
    EXPECT_EQ(texts[3], "Подавл. тональн. помех  ВКЛ.");
    EXPECT_EQ(texts[4], "Подавл. шума дБ  6");
    EXPECT_EQ(texts[5], "Объем буфера  256");
    EXPECT_EQ(texts[6], "Повторная шумоочистка РАЗР.");
    EXPECT_EQ(texts[7], "Проходов шумоочистки:  3.");
}

TEST(PaneTexts, RecleaningPaneFollowsTheSignOfAfterNc) {
    CleaningSettings settings;
    settings.afterNc = -1;
    EXPECT_EQ(PaneTexts(settings, 0, false, false)[6], "Повторная шумоочистка ЗАПР.");
    settings.afterNc = 2;
    EXPECT_EQ(PaneTexts(settings, 0, false, true)[6], "Enable Recleaning");
    EXPECT_EQ(PaneTexts(settings, 12, true, true)[7], "Noise-Clean Passed:  12.");
}

}  // namespace
