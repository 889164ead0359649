#include <gtest/gtest.h>

#include "uimodel/WaveGeometry.h"
#include "uimodel/WaveSelection.h"

namespace {

using namespace uimodel;

TEST(WaveGeometry, FrameAndPixelMapBothWays) {
    // 16 kHz, one minute, 1000 pixels showing 12 345 frames from frame 600 000:
    // every pixel column finds its way back from the frame it shows.
    const VisibleWindow window{600000, 12345, 960000};
    for (int x = 0; x < 1000; ++x) {
        ASSERT_EQ(XOfFrame(window, 1000, FrameAtX(window, 1000, x)), x) << x;
    }
    EXPECT_EQ(FrameAtX(window, 1000, 0), 600000);
    EXPECT_EQ(FrameAtX(window, 1000, 1000), 612345);
    // Zoomed in beyond one pixel per frame: a click on a frame's column
    // finds that frame.
    for (uint32_t visible : {10u, 333u, 999u, 1000u}) {
        const VisibleWindow near{100, visible, 960000};
        for (int64_t f = 100; f < 100 + visible; ++f) {
            ASSERT_EQ(FrameAtX(near, 1000, static_cast<int>(XOfFrame(near, 1000, f))), f)
                << visible << " " << f;
        }
    }
    // Far from frame 0 a float would lose whole frames; the mapping must not.
    const VisibleWindow late{4000000000u, 1000, 4100000000u};
    EXPECT_EQ(FrameAtX(late, 1000, 7), 4000000007);
    EXPECT_EQ(XOfFrame(late, 1000, 4000000999), 999);
    EXPECT_EQ(FrameAtX(late, 1000, -3), 3999999997);  // left of the control
}

TEST(WaveGeometry, NothingDividesByZero) {
    const VisibleWindow window{0, 100, 100};
    EXPECT_EQ(FramesPerPixel(window, 0), 0.0);
    EXPECT_EQ(XOfFrame(window, 0, 50), 0);
    EXPECT_EQ(FrameAtX(window, 0, 50), 0);
    EXPECT_EQ(FrameAtX(VisibleWindow{7, 0, 100}, 500, 50), 7);
    EXPECT_EQ(XOfFrame(VisibleWindow{0, 0, 0}, 500, 3), 0);
    EXPECT_EQ(ClampedFrameAtX(VisibleWindow{0, 0, 0}, 500, 300), 0u);
    // Clamped to the recording for a release outside the control.
    EXPECT_EQ(ClampedFrameAtX(window, 500, -40), 0u);
    EXPECT_EQ(ClampedFrameAtX(window, 500, 900), 99u);
}

TEST(WaveGeometry, ZoomStaysBetweenTenFramesAndTheWholeRecording) {
    VisibleWindow window = WholeRecording(1000);
    window = ZoomedIn(window);
    EXPECT_EQ(window.visible, 667u);  // 2/3, rounded
    EXPECT_EQ(window.first, 167u);    // centred
    for (int i = 0; i < 30; ++i) {
        window = ZoomedIn(window);
    }
    EXPECT_EQ(window.visible, 10u);
    EXPECT_LE(window.End(), 1000u);
    for (int i = 0; i < 30; ++i) {
        window = ZoomedOut(window);
    }
    EXPECT_EQ(window, WholeRecording(1000));
    // Recordings shorter than ten frames cannot be zoomed in; empty ones stay empty.
    EXPECT_EQ(ZoomedIn(WholeRecording(4)), WholeRecording(4));
    EXPECT_EQ(ZoomedIn(WholeRecording(1)), WholeRecording(1));
    EXPECT_EQ(ZoomedOut(WholeRecording(0)), WholeRecording(0));
    EXPECT_EQ(ZoomedIn(WholeRecording(0)), WholeRecording(0));
}

TEST(WaveGeometry, RecentringNeverLeavesTheRecording) {
    // Zooming out at the start: the window would begin at -25 if centred.
    const VisibleWindow atStart{0, 100, 1000};
    EXPECT_EQ(ZoomedOut(atStart), (VisibleWindow{0, 150, 1000}));
    // ... and at the end it would run past it.
    const VisibleWindow atEnd{900, 100, 1000};
    EXPECT_EQ(ZoomedOut(atEnd), (VisibleWindow{850, 150, 1000}));
    // In the middle the centre stays put.
    const VisibleWindow middle{400, 200, 1000};
    EXPECT_EQ(Recentred(middle, 100), (VisibleWindow{450, 100, 1000}));
}

TEST(WaveGeometry, ScrollingKeepsTheWindowInside) {
    const VisibleWindow window{500, 200, 1000};
    EXPECT_EQ(LineStep(200), 20u);
    EXPECT_EQ(LineStep(9), 1u);
    EXPECT_EQ(LineStep(0), 1u);
    EXPECT_EQ(ScrollTarget(window, ScrollCode::LineLeft), 480);
    EXPECT_EQ(ScrollTarget(window, ScrollCode::LineRight), 520);
    EXPECT_EQ(ScrollTarget(window, ScrollCode::PageLeft), 300);
    EXPECT_EQ(ScrollTarget(window, ScrollCode::PageRight), 700);
    EXPECT_EQ(ScrollTarget(window, ScrollCode::Track, 123), 123);
    EXPECT_EQ(ScrollTarget(window, ScrollCode::EndScroll), 500);
    EXPECT_EQ(ScrolledTo(window, -50).first, 0u);
    EXPECT_EQ(ScrolledTo(window, 950).first, 800u);
    EXPECT_EQ(ScrolledTo(window, 950).End(), 1000u);
    // Everything visible (a one-frame recording included): nowhere to scroll.
    EXPECT_EQ(ScrolledTo(WholeRecording(1), 5), WholeRecording(1));
    EXPECT_EQ(ScrolledTo(VisibleWindow{0, 1000, 1000}, 300).first, 0u);
}

TEST(WaveGeometry, PressInTheOverviewCentresThere) {
    const VisibleWindow window{0, 100, 1000};
    // 500 pixels showing 1000 frames: x 250 is frame 500.
    EXPECT_EQ(CentredAtOverviewX(window, 500, 250).first, 450u);
    EXPECT_EQ(CentredAtOverviewX(window, 500, 0).first, 0u);
    EXPECT_EQ(CentredAtOverviewX(window, 500, 600).first, 900u);
    EXPECT_EQ(CentredAtOverviewX(window, 0, 10), window);
    const PixelSpan frame = OverviewFrame(VisibleWindow{250, 500, 1000}, 400);
    EXPECT_EQ(frame.left, 100);
    EXPECT_EQ(frame.right, 299);
}

TEST(WaveGeometry, PlaybackIsFollowedOnlyPastTheMiddle) {
    const VisibleWindow window{1000, 400, 10000};
    EXPECT_EQ(FollowPlayback(window, 1000), std::nullopt);
    EXPECT_EQ(FollowPlayback(window, 1200), std::nullopt);  // the middle itself
    EXPECT_EQ(FollowPlayback(window, 1201), 1001u);
    EXPECT_EQ(FollowPlayback(window, 999), 799u);
    EXPECT_EQ(FollowPlayback(window, 9990), 9600u);  // not past the end
    EXPECT_EQ(FollowPlayback(WholeRecording(10000), 9000), std::nullopt);
}

TEST(WaveGeometry, AutoScrollOutsideTheControl) {
    EXPECT_EQ(AutoScrollSpeed(-7, 500), -7);
    EXPECT_EQ(AutoScrollSpeed(0, 500), 0);
    EXPECT_EQ(AutoScrollSpeed(499, 500), 0);
    EXPECT_EQ(AutoScrollSpeed(510, 500), 11);
    EXPECT_EQ(AutoScrollStep(1000, 11), 110);
    EXPECT_EQ(AutoScrollStep(1000, -7), -70);
    EXPECT_EQ(AutoScrollStep(50, 1), 1);  // 0.5 frames: at least one
    EXPECT_EQ(AutoScrollStep(50, -1), -1);
}

TEST(WaveGeometry, BandTopStaysBetweenSixteenAndSixtyFourAboveTheBottom) {
    EXPECT_EQ(ClampBandTop(5, 400), 16);
    EXPECT_EQ(ClampBandTop(200, 400), 200);
    EXPECT_EQ(ClampBandTop(390, 400), 336);
    EXPECT_EQ(ClampBandTop(50, 70), 16);  // a low control keeps the smallest band
}

TEST(WaveSelection, DragsFromTheAnchorAndSwapsPastIt) {
    WaveSelection selection;
    selection.Begin(500);
    EXPECT_FALSE(selection.Shown());
    EXPECT_EQ(selection.Frames(), 0u);
    selection.DragTo(600);
    EXPECT_TRUE(selection.Shown());
    EXPECT_EQ(selection.Start(), 500u);
    EXPECT_EQ(selection.End(), 600u);
    EXPECT_EQ(selection.Frames(), 101u);
    selection.DragTo(450);  // back past the anchor
    EXPECT_EQ(selection.Start(), 450u);
    EXPECT_EQ(selection.End(), 500u);
    EXPECT_EQ(selection.Moving(), WaveSelection::Edge::Left);
    EXPECT_TRUE(selection.Contains(450));
    EXPECT_FALSE(selection.Contains(501));
}

TEST(WaveSelection, EdgesAreGrabbedWithinFivePixels) {
    WaveSelection selection;
    selection.Begin(100);
    EXPECT_EQ(selection.Grab(10, 10, 10, kEdgeGrabPx), WaveSelection::Edge::None);  // not shown
    selection.DragTo(300);
    // Edges at x 50 and 150.
    EXPECT_EQ(selection.Grab(56, 50, 150, kEdgeGrabPx), WaveSelection::Edge::None);
    EXPECT_EQ(selection.Grab(144, 50, 150, kEdgeGrabPx), WaveSelection::Edge::None);
    EXPECT_EQ(selection.Grab(45, 50, 150, kEdgeGrabPx), WaveSelection::Edge::Left);
    // Dragging the left edge past the right one swaps them.
    selection.DragTo(350);
    EXPECT_EQ(selection.Start(), 300u);
    EXPECT_EQ(selection.End(), 350u);
    EXPECT_EQ(selection.Moving(), WaveSelection::Edge::Right);
    EXPECT_EQ(selection.Grab(155, 150, 175, kEdgeGrabPx), WaveSelection::Edge::Left);
    EXPECT_EQ(selection.Grab(170, 150, 175, kEdgeGrabPx), WaveSelection::Edge::Right);
    selection.DragTo(320);
    EXPECT_EQ(selection.Start(), 300u);
    EXPECT_EQ(selection.End(), 320u);
}

TEST(WaveSelection, ShorterRecordingClampsOrDropsIt) {
    WaveSelection selection;
    selection.Begin(100);
    selection.DragTo(5000);
    selection.ClampTo(1000);
    EXPECT_EQ(selection.Start(), 100u);
    EXPECT_EQ(selection.End(), 999u);
    selection.ClampTo(50);
    EXPECT_FALSE(selection.Shown());
    selection.Begin(1);
    selection.DragTo(2);
    selection.ClampTo(0);
    EXPECT_FALSE(selection.Shown());
}

}  // namespace
