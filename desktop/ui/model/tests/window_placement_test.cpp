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
