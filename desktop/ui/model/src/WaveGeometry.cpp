#include "uimodel/WaveGeometry.h"

#include <algorithm>
#include <cmath>

namespace uimodel {

VisibleWindow WholeRecording(uint32_t total) {
    return {0, total, total};
}

namespace {

// Integer division rounding down / up, for numerators of either sign and a
// positive divisor.
int64_t FloorDiv(int64_t numerator, int64_t divisor) {
    const int64_t quotient = numerator / divisor;
    return (numerator % divisor != 0 && numerator < 0) ? quotient - 1 : quotient;
}

int64_t CeilDiv(int64_t numerator, int64_t divisor) {
    const int64_t quotient = numerator / divisor;
    return (numerator % divisor != 0 && numerator > 0) ? quotient + 1 : quotient;
}

}  // namespace

double FramesPerPixel(const VisibleWindow& window, int widthPx) {
    if (widthPx <= 0) {
        return 0.0;
    }
    return static_cast<double>(window.visible) / widthPx;
}

// Pixel x covers the frames [first + x * s, first + (x + 1) * s) with
// s = visible / width; exact in 64-bit integers at any position.
int64_t FrameAtX(const VisibleWindow& window, int widthPx, int x) {
    if (widthPx <= 0) {
        return window.first;
    }
    return int64_t{window.first} + FloorDiv(int64_t{window.visible} * x, widthPx);
}

uint32_t ClampedFrameAtX(const VisibleWindow& window, int widthPx, int x) {
    if (window.total == 0) {
        return 0;
    }
    return static_cast<uint32_t>(
        std::clamp<int64_t>(FrameAtX(window, widthPx, x), 0, int64_t{window.total} - 1));
}

// The first pixel column whose frames reach `frame`, so that FrameAtX of
// it gives the frame back whenever a frame is at least a pixel wide.
int64_t XOfFrame(const VisibleWindow& window, int widthPx, int64_t frame) {
    if (widthPx <= 0 || window.visible == 0) {
        return 0;
    }
    return CeilDiv((frame - int64_t{window.first}) * widthPx, window.visible);
}

uint32_t MinVisibleFrames(uint32_t total) {
    return std::min(kMinVisibleFrames, total);
}

uint32_t MaxFirstFrame(const VisibleWindow& window) {
    return window.visible >= window.total ? 0 : window.total - window.visible;
}

bool ShowsEverything(const VisibleWindow& window) {
    return window.visible >= window.total;
}

VisibleWindow ScrolledTo(const VisibleWindow& window, int64_t first) {
    VisibleWindow moved = window;
    moved.visible = std::min(window.visible, window.total);
    moved.first = static_cast<uint32_t>(std::clamp<int64_t>(first, 0, MaxFirstFrame(moved)));
    return moved;
}

VisibleWindow Recentred(const VisibleWindow& window, uint32_t visible) {
    const int64_t centre = int64_t{window.first} + window.visible / 2;
    VisibleWindow moved = window;
    moved.visible = std::clamp(visible, MinVisibleFrames(window.total), window.total);
    return ScrolledTo(moved, centre - moved.visible / 2);
}

VisibleWindow ZoomedIn(const VisibleWindow& window) {
    const auto visible = static_cast<uint32_t>(std::floor(window.visible * 2.0 / 3.0 + 0.5));
    return Recentred(window, visible);
}

VisibleWindow ZoomedOut(const VisibleWindow& window) {
    const double grown = std::floor(window.visible * 1.5 + 0.5);
    const auto visible = static_cast<uint32_t>(std::min<double>(grown, window.total));
    return Recentred(window, visible);
}

uint32_t LineStep(uint32_t visible) {
    return std::max<uint32_t>(1, static_cast<uint32_t>(visible * 0.1));
}

int64_t ScrollTarget(const VisibleWindow& window, ScrollCode code, int64_t trackFirst) {
    const int64_t first = window.first;
    switch (code) {
        case ScrollCode::LineLeft:
            return first - LineStep(window.visible);
        case ScrollCode::LineRight:
            return first + LineStep(window.visible);
        case ScrollCode::PageLeft:
            return first - std::max<uint32_t>(1, window.visible);
        case ScrollCode::PageRight:
            return first + std::max<uint32_t>(1, window.visible);
        case ScrollCode::Track:
            return trackFirst;
        case ScrollCode::EndScroll:
            break;
    }
    return first;
}

VisibleWindow CentredAtOverviewX(const VisibleWindow& window, int widthPx, int x) {
    if (widthPx <= 0) {
        return window;
    }
    const double pressed = static_cast<double>(x) * window.total / widthPx;
    return ScrolledTo(window, static_cast<int64_t>(std::floor(pressed - window.visible / 2.0)));
}

PixelSpan OverviewFrame(const VisibleWindow& window, int widthPx) {
    const VisibleWindow whole = WholeRecording(window.total);
    const auto left = static_cast<int>(XOfFrame(whole, widthPx, window.first));
    const auto right = static_cast<int>(XOfFrame(whole, widthPx, window.End()));
    return {left, std::max(left, right - 1)};
}

std::optional<uint32_t> FollowPlayback(const VisibleWindow& window, int64_t heardFrame) {
    if (ShowsEverything(window)) {
        return std::nullopt;
    }
    const int64_t first = window.first;
    const int64_t middle = first / 2 + int64_t{window.End()} / 2;
    if (first <= heardFrame && heardFrame <= middle) {
        return std::nullopt;
    }
    const VisibleWindow moved = ScrolledTo(window, heardFrame - window.visible / 2);
    if (moved.first == window.first) {
        return std::nullopt;
    }
    return moved.first;
}

int AutoScrollSpeed(int x, int widthPx) {
    if (x < 0) {
        return x;
    }
    if (x >= widthPx) {
        return x - widthPx + 1;
    }
    return 0;
}

int64_t AutoScrollStep(uint32_t visible, int speed) {
    if (speed == 0) {
        return 0;
    }
    const auto step = static_cast<int64_t>(visible * static_cast<double>(speed) * 0.01);
    if (step == 0) {
        return speed < 0 ? -1 : 1;
    }
    return step;
}

int ClampBandTop(int y, int clientHeight) {
    return std::max(kMinBandTopPx, std::min(y, clientHeight - kBandBottomReservePx));
}

}  // namespace uimodel
