#include <gtest/gtest.h>

#include "platform/Registry.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"
#include "uimodel/WindowPlacement.h"

namespace {

using namespace uimodel;

TEST(WindowPlacement, FormatsFourPaddedFields) {
    EXPECT_EQ(FormatRect(kDefaultRect), "0010 0010 0700 0500");
    EXPECT_EQ(FormatRect({-5, -120, 1900, 1080}), "-005 -120 1900 1080");
}

TEST(WindowPlacement, ParsesWhatItWritesAndRefusesTheRest) {
    for (PlacementRect rect :
         {kDefaultRect, PlacementRect{-5, -120, 1900, 1080}, PlacementRect{12000, 0, 13000, 700}}) {
        EXPECT_EQ(ParseRect(FormatRect(rect)), rect) << FormatRect(rect);
    }
    EXPECT_EQ(ParseRect(" 100  50 900 650 "), (PlacementRect{100, 50, 900, 650}));
    for (const char* bad :
         {"", "12", "0010 0010 0700", "0010 0010 0700 0500 9", "a b c d", "0100 0050 0100 0650",
          "0100 0650 0900 0050", "0 0 99999 500", "0010 0010 0700 0500x"}) {
        EXPECT_EQ(ParseRect(bad), std::nullopt) << bad;
    }
}

TEST(WindowPlacement, StoredFlagsByShowState) {
    const PlacementRect rect{1, 2, 300, 400};
    auto flags = [&](ShowState state, bool wasMax) {
        const Placement p = PlacementToStore(rect, state, wasMax);
        EXPECT_EQ(p.normal, rect);
        return std::make_pair(p.icon, p.max);
    };
    EXPECT_EQ(flags(ShowState::Normal, true), std::make_pair(false, false));
    EXPECT_EQ(flags(ShowState::Maximized, false), std::make_pair(false, true));
    EXPECT_EQ(flags(ShowState::Minimized, false), std::make_pair(true, false));
    EXPECT_EQ(flags(ShowState::Minimized, true), std::make_pair(true, true));
}

TEST(WindowPlacement, RectangleOffEveryDisplayFallsBackToTheDefault) {
    const std::vector<PlacementRect> displays{{0, 0, 1280, 1024}, {1280, 0, 3200, 1080}};
    EXPECT_EQ(OnSomeDisplay({2000, 100, 2600, 600}, displays),
              (PlacementRect{2000, 100, 2600, 600}));
    EXPECT_EQ(OnSomeDisplay({4000, 100, 4600, 600}, displays), kDefaultRect);
    EXPECT_EQ(OnSomeDisplay({4000, 100, 4600, 600}, {}), (PlacementRect{4000, 100, 4600, 600}));
}

TEST(WindowPlacement, RectangleIsFittedIntoTheWorkAreaItOverlapsMost) {
    const std::vector<PlacementRect> areas{{0, 24, 1280, 1024}, {1280, 0, 3200, 1080}};
    // Larger than any screen: shrunk to the work area, not gigabytes of window.
    EXPECT_EQ(OnSomeDisplay({0, 0, 31999, 31999}, areas), (PlacementRect{1280, 0, 3200, 1080}));
    EXPECT_EQ(OnSomeDisplay({0, 0, 1000, 31999}, {areas[0]}), (PlacementRect{0, 24, 1000, 1024}));
    // Partly above and left of the screen: moved in, the title bar reachable.
    EXPECT_EQ(OnSomeDisplay({-300, -200, 400, 300}, areas), (PlacementRect{0, 24, 700, 524}));
    // Hanging off the right edge of the second screen.
    EXPECT_EQ(OnSomeDisplay({3000, 500, 3600, 900}, areas), (PlacementRect{2600, 500, 3200, 900}));
    // Mostly on the second screen although it starts on the first.
    EXPECT_EQ(OnSomeDisplay({1200, 100, 1900, 600}, areas), (PlacementRect{1280, 100, 1980, 600}));
    // Extremes of int do not overflow.
    EXPECT_EQ(OnSomeDisplay({-2147483647, -2147483647, 2147483647, 2147483647}, {areas[0]}),
              areas[0]);
    // The default on a screen smaller than it.
    EXPECT_EQ(OnSomeDisplay({5000, 5000, 5100, 5100}, {{0, 0, 640, 400}}),
              (PlacementRect{0, 0, 640, 400}));
}

TEST(WindowPlacement, StoredHugeOrNegativeRectangleLoadsOnScreen) {
    testsupport::TempFolder registry;
    testsupport::ScopedEnv env("KESTROVA_REGISTRY_DIR", registry.Path());
    const std::vector<PlacementRect> screen{{0, 0, 1280, 1024}};
    platform::RegWriteString(platform::RegRoot::CurrentUser, kPlacementKey, "Rect",
                             "0000 0000 31999 31999");
    EXPECT_EQ(LoadPlacement(screen).normal, screen[0]);
    platform::RegWriteString(platform::RegRoot::CurrentUser, kPlacementKey, "Rect",
                             "-300 -200 0400 0300");
    EXPECT_EQ(LoadPlacement(screen).normal, (PlacementRect{0, 0, 700, 500}));
}

TEST(WindowPlacement, RegistryRoundTrip) {
    testsupport::TempFolder registry;
    testsupport::ScopedEnv env("KESTROVA_REGISTRY_DIR", registry.Path());
    const std::vector<PlacementRect> screen{{0, 0, 1280, 1024}};

    const Placement fresh = LoadPlacement(screen);
    EXPECT_EQ(fresh.normal, kDefaultRect);
    EXPECT_FALSE(fresh.icon);
    EXPECT_FALSE(fresh.max);

    SavePlacement({{100, 50, 900, 650}, true, true});
    EXPECT_EQ(platform::RegReadString(platform::RegRoot::CurrentUser, kPlacementKey, "Rect"),
              "0100 0050 0900 0650");
    const Placement loaded = LoadPlacement(screen);
    EXPECT_EQ(loaded.normal, (PlacementRect{100, 50, 900, 650}));
    EXPECT_TRUE(loaded.icon);
    EXPECT_TRUE(loaded.max);

    platform::RegWriteString(platform::RegRoot::CurrentUser, kPlacementKey, "Rect", "12");
    EXPECT_EQ(LoadPlacement(screen).normal, kDefaultRect);

    EXPECT_TRUE(LoadBarVisibility().toolbar);
    SaveBarVisibility({false, true});
    EXPECT_FALSE(LoadBarVisibility().toolbar);
    EXPECT_TRUE(LoadBarVisibility().statusBar);
}

}  // namespace
