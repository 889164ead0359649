#include "uimodel/WindowPlacement.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "platform/Registry.h"

namespace uimodel {
namespace {

using platform::RegRoot;

std::int64_t OverlapArea(const PlacementRect& a, const PlacementRect& b) {
    const std::int64_t w =
        std::int64_t{std::min(a.right, b.right)} - std::int64_t{std::max(a.left, b.left)};
    const std::int64_t h =
        std::int64_t{std::min(a.bottom, b.bottom)} - std::int64_t{std::max(a.top, b.top)};
    return w > 0 && h > 0 ? w * h : 0;
}

// One axis: the extent no larger than the area's, the start moved so the
// whole extent lies inside.
void FitSpan(int& low, int& high, int areaLow, int areaHigh) {
    const std::int64_t extent =
        std::min(std::int64_t{high} - low, std::int64_t{areaHigh} - areaLow);
    std::int64_t start = std::clamp<std::int64_t>(low, areaLow, areaHigh - extent);
    low = static_cast<int>(start);
    high = static_cast<int>(start + extent);
}

PlacementRect FitInto(PlacementRect rect, const PlacementRect& area) {
    FitSpan(rect.left, rect.right, area.left, area.right);
    FitSpan(rect.top, rect.bottom, area.top, area.bottom);
    return rect;
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

PlacementRect OnSomeDisplay(const PlacementRect& rect,
                            const std::vector<PlacementRect>& workAreas) {
    const PlacementRect* best = nullptr;
    std::int64_t bestArea = 0;
    for (const PlacementRect& area : workAreas) {
        if (area.Width() <= 0 || area.Height() <= 0) {
            continue;
        }
        const std::int64_t overlap = OverlapArea(rect, area);
        if (best == nullptr || overlap > bestArea) {
            best = &area;
            bestArea = overlap;
        }
    }
    if (best == nullptr) {
        return rect;
    }
    return FitInto(bestArea > 0 ? rect : kDefaultRect, *best);
}

Placement LoadPlacement(const std::vector<PlacementRect>& workAreas) {
    Placement placement;
    if (auto text = platform::RegReadString(RegRoot::CurrentUser, kPlacementKey, "Rect")) {
        if (auto rect = ParseRect(*text)) {
            placement.normal = *rect;
        }
    }
    placement.normal = OnSomeDisplay(placement.normal, workAreas);
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
