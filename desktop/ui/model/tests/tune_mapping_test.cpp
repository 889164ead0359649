#include <gtest/gtest.h>

#include "uimodel/TuneMapping.h"

namespace {

using namespace uimodel;

TEST(TuneMapping, ListItems) {
    EXPECT_EQ(GainItems(), (std::vector<std::string>{"0", "6", "12", "18"}));
    EXPECT_EQ(BufferItems(),
              (std::vector<std::string>{"128", "256", "384", "512", "640", "768", "896", "1024"}));
}

TEST(TuneMapping, ValuesOutsideTheListsShowTheLargestItem) {
    EXPECT_EQ(GainIndex(0), 0);
    EXPECT_EQ(GainIndex(12), 2);
    EXPECT_EQ(GainIndex(7), 3);
    EXPECT_EQ(GainIndex(24), 3);
    EXPECT_EQ(BufferIndex(128), 0);
    EXPECT_EQ(BufferIndex(896), 6);
    EXPECT_EQ(BufferIndex(300), 7);
    EXPECT_EQ(BufferIndex(4096), 7);
    EXPECT_EQ(BufferIndex(0), 7);
}

TEST(TuneMapping, RoundTripThroughTheControls) {
    CleaningSettings stored;
    stored.noiseCancel = false;
    stored.gainMaxDb = 7;
    stored.whiteNoise = true;
    stored.spectrum = true;
    stored.tone = false;
    stored.buffSize = 300;
    stored.afterNc = 1;
    const TuneControls controls = ToControls(stored);
    EXPECT_FALSE(controls.noiseCancel);
    EXPECT_EQ(controls.gainIndex, 3);
    EXPECT_EQ(controls.bufferIndex, 7);
    EXPECT_EQ(controls.afterNc, 1);

    CleaningSettings saved;
    FromControls(controls, saved);
    EXPECT_FALSE(saved.noiseCancel);
    EXPECT_EQ(saved.gainMaxDb, 18u);
    EXPECT_TRUE(saved.spectrum);
    EXPECT_EQ(saved.buffSize, 1024u);
    EXPECT_EQ(saved.afterNc, 1);

    TuneControls changed = controls;
    changed.gainIndex = 1;
    changed.bufferIndex = 0;
    changed.afterNc = 0;
    FromControls(changed, saved);
    EXPECT_EQ(saved.gainMaxDb, 6u);
    EXPECT_EQ(saved.buffSize, 128u);
    EXPECT_EQ(saved.afterNc, 0);
}

TEST(TuneMapping, OtherAfterNcValuesSelectTheButtonOfTheSameMeaning) {
    CleaningSettings settings;
    settings.afterNc = 5;
    EXPECT_EQ(ToControls(settings).afterNc, 1);
    settings.afterNc = -3;
    EXPECT_EQ(ToControls(settings).afterNc, 0);
}

}  // namespace
