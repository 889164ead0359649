// The waveform control's arithmetic, without a window: which frames are
// visible, where a frame is drawn, zooming, scrolling and following playback.
//
// The visible frames are the half-open range [first, first + visible) of a
// recording of `total` frames. Every operation keeps 0 <= first and
// first + visible <= total, and none divides by a zero width or count.
#pragma once

#include <cstdint>
#include <optional>

namespace uimodel {

// Zooming in stops at this many visible frames (or the whole recording when
// it is shorter).
inline constexpr uint32_t kMinVisibleFrames = 10;
// Pixels within which a press grabs a selection edge.
inline constexpr int kEdgeGrabPx = 5;
// The overview band's boundary: never above this, never closer to the bottom
// than kBandBottomReservePx.
inline constexpr int kMinBandTopPx = 16;
inline constexpr int kBandBottomReservePx = 64;

struct VisibleWindow {
    uint32_t first = 0;
    uint32_t visible = 0;
    uint32_t total = 0;

    uint32_t End() const { return first + visible; }  // one past the last visible frame
    bool operator==(const VisibleWindow&) const = default;
};

// The whole recording.
VisibleWindow WholeRecording(uint32_t total);

// Frames per pixel over `widthPx`; 0 when there is nothing to map.
double FramesPerPixel(const VisibleWindow& window, int widthPx);
// The frame drawn at pixel column x (may lie outside the recording for x
// outside the control); `first` when the width or the window is empty.
int64_t FrameAtX(const VisibleWindow& window, int widthPx, int x);
// Like FrameAtX, clamped to 0 .. total - 1 (0 for an empty recording).
uint32_t ClampedFrameAtX(const VisibleWindow& window, int widthPx, int x);
// The pixel column of frame f (may lie outside 0 .. width); 0 when the width
// or the window is empty.
int64_t XOfFrame(const VisibleWindow& window, int widthPx, int64_t frame);

// The smallest number of visible frames zooming in may reach.
uint32_t MinVisibleFrames(uint32_t total);
// Two thirds (rounded), never below MinVisibleFrames; re-centred.
VisibleWindow ZoomedIn(const VisibleWindow& window);
// One and a half times (rounded), never above the total; re-centred.
VisibleWindow ZoomedOut(const VisibleWindow& window);
// `visible` frames around the centre of `window`, moved back inside the
// recording where needed.
VisibleWindow Recentred(const VisibleWindow& window, uint32_t visible);
// The window scrolled so that it starts at `first` (kept inside the recording).
VisibleWindow ScrolledTo(const VisibleWindow& window, int64_t first);
// The largest first frame: total - visible (0 when everything is visible).
uint32_t MaxFirstFrame(const VisibleWindow& window);
bool ShowsEverything(const VisibleWindow& window);

// Scrolling by the scroll bar, in frames.
enum class ScrollCode { LineLeft, LineRight, PageLeft, PageRight, Track, EndScroll };
// A tenth of the visible frames, at least 1.
uint32_t LineStep(uint32_t visible);
// The first frame after scrolling by `code` (`trackFirst` for Track).
int64_t ScrollTarget(const VisibleWindow& window, ScrollCode code, int64_t trackFirst = 0);

// A press at x in the overview band, which shows the whole recording over
// `widthPx`: the window centred there.
VisibleWindow CentredAtOverviewX(const VisibleWindow& window, int widthPx, int x);
// Where the visible frames sit in the overview band: [left, right] pixels.
struct PixelSpan {
    int left = 0;
    int right = 0;
};
PixelSpan OverviewFrame(const VisibleWindow& window, int widthPx);

// Play follow: nothing happens while the frame being heard is between the
// first visible frame and the middle of the window; otherwise the window is
// centred on it. The new first frame, or nullopt to stay.
std::optional<uint32_t> FollowPlayback(const VisibleWindow& window, int64_t heardFrame);

// Auto-scroll while a selection is dragged past an edge: the speed is the
// distance outside the control (negative on the left), 0 inside.
int AutoScrollSpeed(int x, int widthPx);
// One 100 ms auto-scroll step in frames: page x speed x 0.01, at least one
// frame in the speed's direction.
int64_t AutoScrollStep(uint32_t visible, int speed);

// The band boundary after a drag to y: 16 .. height - 64, and 16 when the
// control is too low for that range.
int ClampBandTop(int y, int clientHeight);

}  // namespace uimodel
