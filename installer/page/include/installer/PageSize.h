// Window sizes of the installer pages.
//
// The pages give their sizes in pixels at 96 dots per inch, scaled by the
// display; the window never grows past the display's work area (a large
// MaxItemsInColumn or Width would otherwise give a window bigger than the
// screen), and the page scrolls instead.
#pragma once

namespace installer {

// Pixels per pixel at 96 dpi, horizontally and vertically.
struct DisplayScale {
    double horizontal = 1.0;
    double vertical = 1.0;
};

struct PageSize {
    double width = 0;
    double height = 0;
    // Main and prerequisites pages are centred on the display; the blocking
    // page keeps the window's position.
    bool centred = true;
    // The blocking page: the window is first given width × height, then its
    // client width times `scale.horizontal` by height times `scale.vertical`.
    bool scaleClientWidth = false;
    DisplayScale scale;
};

struct PixelSize {
    int width = 0;
    int height = 0;
};

// columns × columnWidth by rows × 65 + 148; 480 wide (unscaled) with no column.
PageSize MainPageSize(int columns, int rows, int columnWidth, DisplayScale scale);
// width by rows × 34 + 247, ten more after an installation attempt.
PageSize PrerequisitesPageSize(int rows, bool afterAttempt, int width, DisplayScale scale);
PageSize BlockingPageSize(int width, DisplayScale scale);

// Whole pixels (truncated), at least 1 and at most the work area.
PixelSize ClampToWorkArea(double width, double height, int workAreaWidth, int workAreaHeight);

}  // namespace installer
