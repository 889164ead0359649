// The waveform control in a plain frame under Xvfb: what it paints, and what
// clicks, drags and the wheel do to the cursor, the selection and the zoom.
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/uiaction.h>

#include <memory>

#include "CWaveControl.h"
#include "GuiTest.h"
#include "PipelineTestSupport.h"
#include "SurfacePixels.h"
#include "WaveTestRecording.h"

namespace {

using namespace std::chrono_literals;
using guitest::Pump;

const wxColour kBackground(255, 250, 245);
const wxColour kWaveform(140, 140, 255);
const wxColour kRed(255, 0, 0);
const wxColour kGrey(192, 192, 192);

bool Same(const wxImage& image, int x, int y, const wxColour& colour) {
    return image.GetRed(x, y) == colour.Red() && image.GetGreen(x, y) == colour.Green() &&
           image.GetBlue(x, y) == colour.Blue();
}

int CountColour(const wxImage& image, const wxRect& rect, const wxColour& colour) {
    int count = 0;
    for (int y = rect.y; y < rect.GetBottom() + 1; ++y) {
        for (int x = rect.x; x < rect.GetRight() + 1; ++x) {
            count += Same(image, x, y, colour) ? 1 : 0;
        }
    }
    return count;
}

class WaveControlTest : public guitest::GuiTest {
protected:
    WaveControlTest() {
        m_frame = new wxFrame(nullptr, wxID_ANY, "wave", wxPoint(20, 20), wxSize(820, 420));
        m_control = new CWaveControl(m_frame, wxID_ANY);
        m_frame->Show();
        Pump(100ms);
    }
    ~WaveControlTest() override {
        m_control->ReleaseRecording();
        m_frame->Destroy();
        Pump(50ms);
    }

    void Show(const std::vector<int16_t>& interleaved, int channels, const std::string& name) {
        m_recording.Show(*m_control, interleaved, channels, name);
        Pump(50ms);
    }

    wxImage Paint() {
        const wxSize size(m_control->GetClientSize().x, m_control->DrawingHeight());
        wxBitmap bitmap(size, 24);
        {
            wxMemoryDC dc(bitmap);
            m_control->PaintTo(dc, size);
        }
        return bitmap.ConvertToImage();
    }

    // Left-button gestures through the real mouse path.
    void Drag(wxPoint from, wxPoint to) {
        wxUIActionSimulator mouse;
        mouse.MouseMove(m_control->ClientToScreen(from));
        Pump(30ms);
        mouse.MouseDown();
        Pump(30ms);
        mouse.MouseMove(m_control->ClientToScreen((from + to) / 2));
        Pump(30ms);
        mouse.MouseMove(m_control->ClientToScreen(to));
        Pump(30ms);
        mouse.MouseUp();
        Pump(50ms);
    }

    void WheelTurn(int rotation, wxMouseWheelAxis axis = wxMOUSE_WHEEL_VERTICAL) {
        wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
        wheel.m_wheelAxis = axis;
        wheel.m_wheelRotation = rotation;
        wheel.m_wheelDelta = 120;
        wheel.SetPosition(wxPoint(100, 100));
        m_control->GetEventHandler()->ProcessEvent(wheel);
        Pump(30ms);
    }

    guitest::WaveTestRecording m_recording;
    wxFrame* m_frame = nullptr;
    CWaveControl* m_control = nullptr;
};

std::vector<int16_t> MonoTone(uint32_t frames) {
    return testsupport::Tone(frames, 440.0, 16000, 12000.0);
}

TEST_F(WaveControlTest, PaintsMonoStripOverviewAndNothingAfterRelease) {
    Show(MonoTone(16000 * 5), 1, "mono.wav");
    ASSERT_TRUE(m_control->HasStrips());
    const wxImage image = Paint();
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    const int bandTop = m_control->BandTop();
    EXPECT_EQ(bandTop, 16);
    const wxRect strip(0, bandTop + 1, width, height - bandTop - 1);
    EXPECT_GT(CountColour(image, strip, kBackground), width * 10);
    EXPECT_GT(CountColour(image, strip, kWaveform), width * 10);  // a loud tone fills the strip
    // The whole recording is visible: the red frame runs around the band.
    const wxRect band(0, 0, width, bandTop);
    EXPECT_TRUE(Same(image, 0, bandTop / 2, kRed));
    EXPECT_TRUE(Same(image, width - 1, bandTop / 2, kRed));
    EXPECT_GT(CountColour(image, band, kWaveform), 0);
    EXPECT_FALSE(m_control->ScrollBarShown());
    guitest::SaveScreenshot(*m_frame, "wave_mono_whole");

    m_control->ReleaseRecording();
    const wxImage empty = Paint();
    const wxRect all(0, 0, empty.GetWidth(), empty.GetHeight());
    EXPECT_EQ(CountColour(empty, all, kGrey), all.width * all.height);
}

TEST_F(WaveControlTest, StereoHasAWaveformInEachStrip) {
    // Left: a tone; right: silence for the first half, a tone after.
    const uint32_t frames = 16000 * 4;
    std::vector<int16_t> right(frames, 0);
    const auto tone = MonoTone(frames);
    std::copy(tone.begin() + frames / 2, tone.end(), right.begin() + frames / 2);
    Show(testsupport::Interleave(tone, right), 2, "stereo.wav");
    const wxImage image = Paint();
    const int width = image.GetWidth();
    const int bandTop = m_control->BandTop();
    const int half = (image.GetHeight() - bandTop - 1) / 2;
    const wxRect upper(0, bandTop + 1, width, half);
    const wxRect lowerLeft(0, bandTop + 1 + half, width / 2 - 5, half - 20);
    const wxRect lowerRight(width / 2 + 5, bandTop + 1 + half, width / 2 - 5, half - 20);
    EXPECT_GT(CountColour(image, upper, kWaveform), width * 5);
    EXPECT_GT(CountColour(image, lowerRight, kWaveform), width * 5 / 2);
    // Silence draws only the zero line's neighbourhood: far fewer waveform pixels.
    EXPECT_LT(CountColour(image, lowerLeft, kWaveform), width);
    EXPECT_GT(CountColour(image, upper, kBackground), 0);
    guitest::SaveScreenshot(*m_frame, "wave_stereo_whole");
}

TEST_F(WaveControlTest, ClickSetsTheCursorAndDragSelects) {
    Show(MonoTone(16000 * 10), 1, "click.wav");
    const int width = m_control->GetClientSize().x;
    const int y = m_control->BandTop() + 60;
    wxUIActionSimulator mouse;
    mouse.MouseMove(m_control->ClientToScreen(wxPoint(200, y)));
    Pump(30ms);
    mouse.MouseClick();
    Pump(50ms);
    const uimodel::VisibleWindow window = m_control->Window();
    EXPECT_EQ(m_control->CursorFrame(), uimodel::FrameAtX(window, width, 200));
    EXPECT_FALSE(m_control->Selection().Shown());

    Drag(wxPoint(300, y), wxPoint(500, y));
    ASSERT_TRUE(m_control->Selection().Shown());
    EXPECT_EQ(m_control->Selection().Start(), uimodel::FrameAtX(window, width, 300));
    EXPECT_EQ(m_control->Selection().End(), uimodel::FrameAtX(window, width, 500));
    EXPECT_EQ(m_control->MouseMode(), CWaveControl::kIdle);
    // The selection shows inverted: background turns (0, 5, 10) there.
    const wxImage image = Paint();
    const wxColour inverted(0, 5, 10);
    const wxRect inside(310, m_control->BandTop() + 2, 180, 40);
    EXPECT_GT(CountColour(image, inside, inverted), 0);
    EXPECT_EQ(CountColour(image, wxRect(520, m_control->BandTop() + 2, 100, 40), inverted), 0);

    // Grab the right edge and drag it past the left one: the edges swap.
    Drag(wxPoint(502, y), wxPoint(250, y));
    EXPECT_EQ(m_control->Selection().Start(), uimodel::FrameAtX(window, width, 250));
    EXPECT_EQ(m_control->Selection().End(), uimodel::FrameAtX(window, width, 300));
    guitest::SaveScreenshot(*m_frame, "wave_mono_selection");
}

TEST_F(WaveControlTest, ASelectionOutsideTheVisibleFramesPaintsNothing) {
    Show(MonoTone(16000 * 10), 1, "outside.wav");
    for (int i = 0; i < 4; ++i) {
        m_control->ZoomIn();
    }
    m_control->Selection().Begin(80000);
    m_control->Selection().DragTo(82000);
    const wxColour inverted(0, 5, 10);
    const int bandTop = m_control->BandTop();
    const int width = m_control->GetClientSize().x;
    const wxRect column0(0, bandTop + 2, 1, 40);
    const wxRect lastColumn(width - 1, bandTop + 2, 1, 40);
    m_control->ScrollToFrame(70000);
    const int middle = static_cast<int>(uimodel::XOfFrame(m_control->Window(), width, 81000));
    ASSERT_GT(CountColour(Paint(), wxRect(middle, bandTop + 2, 1, 40), inverted), 0);
    // Ending on the frame just before the visible ones, and starting on the
    // first frame after them.
    m_control->ScrollToFrame(82001);
    ASSERT_EQ(m_control->Window().first, 82001u);
    EXPECT_EQ(CountColour(Paint(), column0, inverted), 0);
    m_control->ScrollToFrame(80000 - int64_t{m_control->Window().visible});
    ASSERT_EQ(m_control->Window().End(), 80000u);
    EXPECT_EQ(CountColour(Paint(), lastColumn, inverted), 0);
    // Ending on the first visible frame: one column.
    m_control->ScrollToFrame(82000);
    EXPECT_GT(CountColour(Paint(), column0, inverted), 0);
}

TEST_F(WaveControlTest, ReleaseOutsideTheControlKeepsTheCursorInside) {
    Show(MonoTone(16000), 1, "outside.wav");
    const int y = m_control->BandTop() + 40;
    m_control->MousePress(100, y);
    m_control->MouseMove(-300, y);
    m_control->MouseRelease(-300, y);
    EXPECT_EQ(m_control->CursorFrame(), 0u);
    EXPECT_EQ(m_control->Selection().Start(), 0u);
    m_control->MousePress(100, y);
    m_control->MouseRelease(5000, y);
    EXPECT_EQ(m_control->CursorFrame(), 15999u);
}

TEST_F(WaveControlTest, WheelZoomsAndShowsTheScrollBarOnlyWhenZoomedIn) {
    Show(MonoTone(16000 * 3), 1, "wheel.wav");
    WheelTurn(120);
    EXPECT_EQ(m_control->Window().visible, 32000u);
    EXPECT_TRUE(m_control->ScrollBarShown());
    guitest::SaveScreenshot(*m_frame, "wave_mono_zoom1");
    for (int i = 0; i < 12; ++i) {
        WheelTurn(120);
    }
    EXPECT_LT(m_control->Window().visible, 800u);  // sample by sample now
    const wxImage near = Paint();
    EXPECT_GT(CountColour(near, wxRect(0, 17, near.GetWidth(), near.GetHeight() - 17), kWaveform),
              0);
    guitest::SaveScreenshot(*m_frame, "wave_mono_samples");
    for (int i = 0; i < 40; ++i) {
        WheelTurn(-120);
    }
    EXPECT_EQ(m_control->Window(), uimodel::WholeRecording(48000));
    EXPECT_FALSE(m_control->ScrollBarShown());
}

TEST_F(WaveControlTest, SidewaysScrollingIsNoZoomAndSmallRotationsAddUpToANotch) {
    Show(MonoTone(16000 * 3), 1, "touchpad.wav");
    const uimodel::VisibleWindow whole = m_control->Window();
    WheelTurn(120, wxMOUSE_WHEEL_HORIZONTAL);
    WheelTurn(-120, wxMOUSE_WHEEL_HORIZONTAL);
    EXPECT_EQ(m_control->Window(), whole);
    for (int i = 0; i < 3; ++i) {
        WheelTurn(30);
        EXPECT_EQ(m_control->Window(), whole);
    }
    WheelTurn(30);  // the fourth makes a notch
    EXPECT_EQ(m_control->Window().visible, 32000u);
    WheelTurn(-60);
    EXPECT_EQ(m_control->Window().visible, 32000u);
    WheelTurn(-60);
    EXPECT_EQ(m_control->Window(), whole);
}

TEST_F(WaveControlTest, ScrollBarScrollsByLinesAndPages) {
    Show(MonoTone(16000 * 3), 1, "scroll.wav");
    for (int i = 0; i < 4; ++i) {
        m_control->ZoomIn();
    }
    const uint32_t visible = m_control->Window().visible;
    const uint32_t first = m_control->Window().first;
    m_control->ScrollBy(uimodel::ScrollCode::LineRight);
    EXPECT_EQ(m_control->Window().first, first + visible / 10);
    m_control->ScrollBy(uimodel::ScrollCode::PageLeft);
    EXPECT_EQ(m_control->Window().first, first + visible / 10 - visible);
    m_control->ScrollBy(uimodel::ScrollCode::Track, 1 << 30);
    EXPECT_EQ(m_control->Window().End(), 48000u);
    // A click on the overview band centres the view there.
    m_control->MousePress(0, 5);
    m_control->MouseRelease(0, 5);
    EXPECT_EQ(m_control->Window().first, 0u);
}

TEST_F(WaveControlTest, DraggingPastTheEdgeScrollsUntilTheEndAndReleaseStops) {
    Show(MonoTone(16000 * 3), 1, "autoscroll.wav");
    for (int i = 0; i < 6; ++i) {
        m_control->ZoomIn();
    }
    m_control->ScrollToFrame(0);
    const int width = m_control->GetClientSize().x;
    const int y = m_control->BandTop() + 40;
    m_control->MousePress(width / 2, y);
    m_control->MouseMove(width + 40, y);
    ASSERT_TRUE(m_control->AutoScrolling());
    uint32_t first = m_control->Window().first;
    for (int step = 0; step < 200 && m_control->AutoScrolling(); ++step) {
        m_control->AutoScrollStep();
        EXPECT_GE(m_control->Window().first, first);
        first = m_control->Window().first;
        // The dragged edge moves with the view, under the pointer.
        EXPECT_EQ(m_control->Selection().End(),
                  uimodel::ClampedFrameAtX(m_control->Window(), width, width + 40));
    }
    EXPECT_EQ(m_control->Window().End(), 48000u);
    EXPECT_FALSE(m_control->AutoScrolling());  // stopped at the end by itself

    m_control->MouseMove(-40, y);  // back past the left edge: scrolls back
    EXPECT_TRUE(m_control->AutoScrolling());
    m_control->AutoScrollStep();
    EXPECT_LT(m_control->Window().first, first);
    m_control->MouseRelease(-40, y);
    EXPECT_FALSE(m_control->AutoScrolling());
    EXPECT_LE(m_control->Selection().Start(), m_control->Selection().End());
}

TEST_F(WaveControlTest, BandBoundaryDragClamps) {
    Show(MonoTone(16000), 1, "band.wav");
    const int top = m_control->BandTop();
    m_control->MousePress(50, top);
    EXPECT_EQ(m_control->MouseMode(), CWaveControl::kBandDrag);
    m_control->MouseMove(50, 5000);
    m_control->MouseRelease(50, 5000);
    EXPECT_EQ(m_control->BandTop(), m_control->DrawingHeight() - 64);
    m_control->MousePress(50, m_control->BandTop() + 1);
    m_control->MouseRelease(50, -20);
    EXPECT_EQ(m_control->BandTop(), 16);
}

TEST_F(WaveControlTest, ShorterRecordingAfterReleaseHasNoOldSelection) {
    Show(MonoTone(16000 * 10), 1, "long.wav");
    const int y = m_control->BandTop() + 40;
    m_control->MousePress(600, y);
    m_control->MouseMove(700, y);
    m_control->MouseRelease(700, y);
    ASSERT_TRUE(m_control->Selection().Shown());
    ASSERT_GT(CountColour(Paint(), wxRect(0, 0, 700, m_control->BandTop()), kWaveform), 700);
    Show(std::vector<int16_t>(1000, 0), 1, "short.wav");
    EXPECT_FALSE(m_control->Selection().Shown());
    EXPECT_EQ(m_control->CursorFrame(), 0u);
    // The overview band shows the new (silent) recording, not the old one.
    EXPECT_LE(CountColour(Paint(), wxRect(0, 0, 700, m_control->BandTop()), kWaveform), 700);
}

TEST_F(WaveControlTest, TinyRecordingsAndWindowsPaintWithoutFault) {
    for (uint32_t frames : {1u, 2u, 9u}) {
        Show(MonoTone(frames), 1, "tiny" + std::to_string(frames) + ".wav");
        m_control->ZoomIn();
        m_control->ZoomOut();
        EXPECT_EQ(m_control->Window(), uimodel::WholeRecording(frames));
        Paint();
        m_control->MousePress(10, 50);
        m_control->MouseRelease(400, 50);
        EXPECT_LT(m_control->CursorFrame(), frames);
    }
    // An empty recording shows an empty strip; nothing can be played or
    // selected in it.
    Show({}, 1, "empty.wav");
    EXPECT_EQ(m_control->Window().total, 0u);
    m_control->ZoomIn();
    m_control->ZoomOut();
    m_control->MousePress(10, 50);
    m_control->MouseMove(300, 50);
    m_control->MouseRelease(300, 50);
    EXPECT_EQ(m_control->CursorFrame(), 0u);
    EXPECT_EQ(CountColour(Paint(), wxRect(0, 20, 50, 10), kBackground), 50 * 10);

    m_frame->SetClientSize(30, 20);
    Pump(50ms);
    Paint();
}

// The waveform's direct pixel writes, on the kind of DC the control paints
// into: they must be available there (else painting falls back to one DC call
// per line) and stay inside their clip.
TEST(SurfacePixelsTest, WritesStayInsideTheClipAndInvertComplements) {
    wxBitmap bitmap(wxSize(20, 20), 24);
    const wxColour blue(10, 20, 200);
    {
        wxMemoryDC dc(bitmap);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        SurfacePixels pixels(dc, wxRect(2, 2, 10, 10));
        ASSERT_TRUE(pixels.Ok());
        pixels.VerticalLine(5, 19, 0, blue);           // clipped to rows 2..11
        pixels.Line(3, 4, 9, 4, blue);                 // (9, 4) left out
        pixels.FillRect(wxRect(-5, 15, 40, 3), blue);  // entirely outside the clip
        pixels.Invert(wxRect(0, 8, 4, 1));             // columns 2 and 3 only
    }
    const wxImage image = bitmap.ConvertToImage();
    EXPECT_TRUE(Same(image, 5, 2, blue));
    EXPECT_TRUE(Same(image, 5, 11, blue));
    EXPECT_TRUE(Same(image, 5, 1, *wxWHITE));
    EXPECT_TRUE(Same(image, 5, 12, *wxWHITE));
    EXPECT_TRUE(Same(image, 3, 4, blue));
    EXPECT_TRUE(Same(image, 8, 4, blue));
    EXPECT_TRUE(Same(image, 9, 4, *wxWHITE));
    EXPECT_EQ(CountColour(image, wxRect(0, 15, 20, 3), *wxWHITE), 60);
    EXPECT_TRUE(Same(image, 1, 8, *wxWHITE));
    EXPECT_TRUE(Same(image, 2, 8, *wxBLACK));
    EXPECT_TRUE(Same(image, 3, 8, *wxBLACK));
    EXPECT_TRUE(Same(image, 5, 8, blue));  // the vertical line, outside the inverted area
}

// Columns drawn together row by row are the pixels of one VerticalLine each:
// clipped the same, empty columns left alone, nothing outside the clip.
TEST(SurfacePixelsTest, ColumnsTogetherMatchOneLineEach) {
    const wxColour blue(10, 20, 200);
    const int tops[8] = {0, 5, 3, 9, 14, -4, 7, 2};
    const int bottoms[8] = {19, 5, 8, 4, 30, 1, 7, 2};  // column 3 is empty
    wxBitmap together(wxSize(20, 20), 24);
    wxBitmap oneByOne(wxSize(20, 20), 24);
    for (wxBitmap* bitmap : {&together, &oneByOne}) {
        wxMemoryDC dc(*bitmap);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        // The clip leaves out the first column and the rows from 16 on.
        SurfacePixels pixels(dc, wxRect(2, 1, 12, 15));
        ASSERT_TRUE(pixels.Ok());
        if (bitmap == &together) {
            pixels.VerticalLines(1, tops, bottoms, 8, blue);
        } else {
            for (int i = 0; i < 8; ++i) {
                if (tops[i] <= bottoms[i]) {
                    pixels.VerticalLine(1 + i, tops[i], bottoms[i], blue);
                }
            }
        }
    }
    const wxImage a = together.ConvertToImage();
    const wxImage b = oneByOne.ConvertToImage();
    EXPECT_EQ(CountColour(a, wxRect(0, 0, 20, 20), blue),
              CountColour(b, wxRect(0, 0, 20, 20), blue));
    EXPECT_EQ(CountColour(a, wxRect(0, 0, 20, 20), blue), 12);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            EXPECT_EQ(Same(a, x, y, blue), Same(b, x, y, blue)) << x << ", " << y;
        }
    }
    EXPECT_TRUE(Same(a, 1, 10, *wxWHITE));  // column 0, outside the clip
    EXPECT_TRUE(Same(a, 4, 6, *wxWHITE));   // the empty column
    EXPECT_TRUE(Same(a, 2, 5, blue));
    EXPECT_TRUE(Same(a, 5, 15, blue));
    EXPECT_TRUE(Same(a, 5, 16, *wxWHITE));  // below the clip
}

}  // namespace
