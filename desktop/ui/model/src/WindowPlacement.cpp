#include "uimodel/WindowPlacement.h"

#include <cstdio>
#include <sstream>

#include "platform/Registry.h"

namespace uimodel {
namespace {

using platform::RegRoot;

bool Intersects(const PlacementRect& a, const PlacementRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

std::string FormatRect(const PlacementRect& rect) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d %04d %04d %04d", rect.left, rect.top, rect.right,
                  rect.bottom);
    return text;
}

std::optional<PlacementRect> ParseRect(const std::string& text) {
    std::istringstream in(text);
    PlacementRect rect;
    if (!(in >> rect.left >> rect.top >> rect.right >> rect.bottom)) {
        return std::nullopt;
    }
    std::string rest;
    if (in >> rest) {
        return std::nullopt;
    }
    if (rect.Width() <= 0 || rect.Height() <= 0 || rect.Width() > kMaxWindowExtent ||
        rect.Height() > kMaxWindowExtent) {
        return std::nullopt;
    }
    return rect;
}

Placement PlacementToStore(const PlacementRect& normal, ShowState state, bool restoresMaximized) {
    Placement placement;
    placement.normal = normal;
    placement.icon = state == ShowState::Minimized;
    placement.max =
        state == ShowState::Maximized || (state == ShowState::Minimized && restoresMaximized);
    return placement;
}

PlacementRect OnSomeDisplay(const PlacementRect& rect, const std::vector<PlacementRect>& displays) {
    if (displays.empty()) {
        return rect;
    }
    for (const PlacementRect& display : displays) {
        if (Intersects(rect, display)) {
            return rect;
        }
    }
    return kDefaultRect;
}

Placement LoadPlacement(const std::vector<PlacementRect>& displays) {
    Placement placement;
    if (auto text = platform::RegReadString(RegRoot::CurrentUser, kPlacementKey, "Rect")) {
        if (auto rect = ParseRect(*text)) {
            placement.normal = OnSomeDisplay(*rect, displays);
        }
    }
    placement.icon =
        platform::RegReadDword(RegRoot::CurrentUser, kPlacementKey, "icon").value_or(0) != 0;
    placement.max =
        platform::RegReadDword(RegRoot::CurrentUser, kPlacementKey, "max").value_or(0) != 0;
    return placement;
}

void SavePlacement(const Placement& placement) {
    platform::RegWriteString(RegRoot::CurrentUser, kPlacementKey, "Rect",
                             FormatRect(placement.normal));
    platform::RegWriteDword(RegRoot::CurrentUser, kPlacementKey, "icon", placement.icon ? 1 : 0);
    platform::RegWriteDword(RegRoot::CurrentUser, kPlacementKey, "max", placement.max ? 1 : 0);
}

BarVisibility LoadBarVisibility() {
    BarVisibility bars;
    bars.toolbar =
        platform::RegReadDword(RegRoot::CurrentUser, kBarsKey, "Toolbar").value_or(1) != 0;
    bars.statusBar =
        platform::RegReadDword(RegRoot::CurrentUser, kBarsKey, "StatusBar").value_or(1) != 0;
    return bars;
}

void SaveBarVisibility(const BarVisibility& bars) {
    platform::RegWriteDword(RegRoot::CurrentUser, kBarsKey, "Toolbar", bars.toolbar ? 1 : 0);
    platform::RegWriteDword(RegRoot::CurrentUser, kBarsKey, "StatusBar", bars.statusBar ? 1 : 0);
}

}  // namespace uimodel
