#include "installer/PageSize.h"

#include <algorithm>
#include <cmath>

namespace installer {
namespace {

constexpr double kMainRowHeight = 65;
constexpr double kMainChrome = 148;
constexpr double kEmptyMainWidth = 480;
constexpr double kPrerequisiteRowHeight = 34;
constexpr double kPrerequisitesChrome = 247;
constexpr double kAfterAttemptExtra = 10;
constexpr double kBlockingHeight = 255;

int ClampAxis(double value, int limit) {
    if (!std::isfinite(value) || value < 1) {
        return 1;
    }
    return static_cast<int>(std::min(std::trunc(value), static_cast<double>(std::max(limit, 1))));
}

}  // namespace

PageSize MainPageSize(int columns, int rows, int columnWidth, DisplayScale scale) {
    PageSize size;
    size.width = columns == 0 ? kEmptyMainWidth
                              : static_cast<double>(columns) * columnWidth * scale.horizontal;
    size.height = (rows * kMainRowHeight + kMainChrome) * scale.vertical;
    size.scale = scale;
    return size;
}

PageSize PrerequisitesPageSize(int rows, bool afterAttempt, int width, DisplayScale scale) {
    PageSize size;
    size.width = static_cast<double>(width) * scale.horizontal;
    size.height = ((afterAttempt ? kAfterAttemptExtra : 0) + rows * kPrerequisiteRowHeight +
                   kPrerequisitesChrome) *
                  scale.vertical;
    size.scale = scale;
    return size;
}

PageSize BlockingPageSize(int width, DisplayScale scale) {
    PageSize size;
    size.width = width;
    size.height = kBlockingHeight;
    size.centred = false;
    size.scaleClientWidth = true;
    size.scale = scale;
    return size;
}

PixelSize ClampToWorkArea(double width, double height, int workAreaWidth, int workAreaHeight) {
    return {ClampAxis(width, workAreaWidth), ClampAxis(height, workAreaHeight)};
}

}  // namespace installer
