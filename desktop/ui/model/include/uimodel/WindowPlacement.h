// Where the main window goes at start and what is stored when it closes:
// profile key "Software\Kestrova\Hushdesk\Window size", values "Rect"
// ("%04d %04d %04d %04d": left top right bottom of the normal window), "icon"
// and "max"; and the toolbar and status bar visibility under "...\Bars".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace uimodel {

inline constexpr char kProfileKey[] = "Software\\Kestrova\\Hushdesk";
inline constexpr char kPlacementKey[] = "Software\\Kestrova\\Hushdesk\\Window size";
inline constexpr char kBarsKey[] = "Software\\Kestrova\\Hushdesk\\Bars";

struct PlacementRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // 64-bit: the stored fields are any ints a user typed.
    std::int64_t Width() const { return std::int64_t{right} - left; }
    std::int64_t Height() const { return std::int64_t{bottom} - top; }
    bool operator==(const PlacementRect&) const = default;
};

inline constexpr PlacementRect kDefaultRect{10, 10, 700, 500};

// "0010 0010 0700 0500"; negative numbers keep the minus sign inside the
// field ("-005").
std::string FormatRect(const PlacementRect& rect);
// Four integers separated by blanks with a positive width and height no
// larger than kMaxWindowExtent; nullopt for anything else (the value lives in
// a file the user may edit).
std::optional<PlacementRect> ParseRect(const std::string& text);
inline constexpr int kMaxWindowExtent = 32000;

enum class ShowState { Normal, Maximized, Minimized };

struct Placement {
    PlacementRect normal = kDefaultRect;
    bool icon = false;  // minimised when closed
    bool max = false;   // maximised, or minimised from the maximised state
};

// What to store for a window closing in `state`; `restoresMaximized` tells,
// for a minimised window, that it was maximised before.
Placement PlacementToStore(const PlacementRect& normal, ShowState state, bool restoresMaximized);

// The stored placement; the default rectangle when "Rect" is absent or does
// not parse. `workAreas` are the displays' work areas; the rectangle is fitted
// into one of them (OnSomeDisplay). An empty list skips that step.
Placement LoadPlacement(const std::vector<PlacementRect>& workAreas);
void SavePlacement(const Placement& placement);

// The rectangle shrunk to fit the work area it overlaps most and moved inside
// it, so the title bar is reachable and no window larger than the screen is
// made (a huge stored size would make the program and the display server
// allocate gigabytes). A rectangle that meets no work area is replaced by the
// default, fitted into the first one.
PlacementRect OnSomeDisplay(const PlacementRect& rect, const std::vector<PlacementRect>& workAreas);

struct BarVisibility {
    bool toolbar = true;
    bool statusBar = true;
};
BarVisibility LoadBarVisibility();
void SaveBarVisibility(const BarVisibility& bars);

}  // namespace uimodel
