#include "CWaveControl.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "MessageBox.h"
#include "SurfacePixels.h"
#include "WavePainter.h"
#include "pipeline/Segmentation.h"
#include "pipeline/SoundFile.h"
#include "resources/resource.h"

namespace {

constexpr int kBandBoundaryGrabPx = 1;
constexpr int kBandLinePx = 2;

}  // namespace

CWaveControl::CWaveControl(wxWindow* parent, wxWindowID id)
    : wxWindow(parent, id, wxDefaultPosition, wxDefaultSize,
               wxFULL_REPAINT_ON_RESIZE | wxWANTS_CHARS),
      m_autoScrollTimer(this, static_cast<int>(res::TIMER_AUTO_SCROLL)) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_pScrollBar =
        new wxScrollBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_HORIZONTAL);
    m_pScrollBar->Hide();
    Bind(wxEVT_PAINT, &CWaveControl::OnPaint, this);
    Bind(wxEVT_SIZE, &CWaveControl::OnSize, this);
    Bind(wxEVT_LEFT_DOWN, &CWaveControl::OnMouse, this);
    Bind(wxEVT_LEFT_UP, &CWaveControl::OnMouse, this);
    Bind(wxEVT_MOTION, &CWaveControl::OnMouse, this);
    Bind(wxEVT_MOUSEWHEEL, &CWaveControl::OnMouse, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CWaveControl::OnCaptureLost, this);
    Bind(wxEVT_SET_FOCUS, &CWaveControl::OnFocus, this);
    Bind(wxEVT_KILL_FOCUS, &CWaveControl::OnFocus, this);
    Bind(wxEVT_TIMER, &CWaveControl::OnAutoScrollTimer, this,
         static_cast<int>(res::TIMER_AUTO_SCROLL));
    m_pScrollBar->Bind(wxEVT_SCROLL_LINEUP, &CWaveControl::OnScroll, this);
    m_pScrollBar->Bind(wxEVT_SCROLL_LINEDOWN, &CWaveControl::OnScroll, this);
    m_pScrollBar->Bind(wxEVT_SCROLL_PAGEUP, &CWaveControl::OnScroll, this);
    m_pScrollBar->Bind(wxEVT_SCROLL_PAGEDOWN, &CWaveControl::OnScroll, this);
    m_pScrollBar->Bind(wxEVT_SCROLL_THUMBTRACK, &CWaveControl::OnScroll, this);
    m_pScrollBar->Bind(wxEVT_SCROLL_THUMBRELEASE, &CWaveControl::OnScroll, this);
    m_pScrollBar->Bind(wxEVT_SCROLL_CHANGED, &CWaveControl::OnScroll, this);
    m_pScrollBar->Bind(wxEVT_SCROLL_TOP, &CWaveControl::OnScroll, this);
    m_pScrollBar->Bind(wxEVT_SCROLL_BOTTOM, &CWaveControl::OnScroll, this);
}

CWaveControl::~CWaveControl() {
    // The output may be reading the recording's samples: it stops first.
    m_output.Close();
    m_autoScrollTimer.Stop();
    if (HasCapture()) {
        ReleaseMouse();
    }
}

void CWaveControl::ShowRecording(CSoundFile& soundFile, CSegmentation& segmentation,
                                 platform::JobLockType& lock, WaveformDisplay&& display) {
    ReleaseRecording();
    m_pSoundFile = &soundFile;
    m_pSegmentation = &segmentation;
    m_pLock = &lock;
    m_display = std::move(display);
    m_window = uimodel::WholeRecording(
        m_display.strips.channel0 ? m_display.strips.channel0->totalFrames : soundFile.Frames());
    if (m_display.strips.overview) {
        m_display.strips.overview->SetVisibleRange(0, m_window.total);
        m_display.strips.overview->page = m_window.total;
    }
    m_nBandTop = kLoadedBandTopPx;
    m_bCaret = true;
    SetCursorFrame(segmentation.cursorFrame);
    ApplyWindow();
}

wxWindow* CWaveControl::ScrollBarWindow() const {
    return m_pScrollBar;
}

void CWaveControl::ReleaseRecording() {
    EndMouseMode();
    m_display.Clear();
    m_pSoundFile = nullptr;
    m_pSegmentation = nullptr;
    m_pLock = nullptr;
    m_selection.Clear();
    m_bPressInSelection = false;
    m_window = {};
    m_overviewSpan = {};
    m_overviewBitmap = wxNullBitmap;
    UpdateScrollBar();
    Refresh();
}

bool CWaveControl::ScrollBarShown() const {
    return m_pScrollBar->IsShown();
}

int CWaveControl::DrawingHeight() const {
    const int height = GetClientSize().y;
    return ScrollBarShown() ? height - m_pScrollBar->GetSize().y : height;
}

void CWaveControl::ZoomIn() {
    if (!HasStrips()) {
        return;
    }
    m_window = uimodel::ZoomedIn(m_window);
    ApplyWindow();
}

void CWaveControl::ZoomOut() {
    if (!HasStrips()) {
        return;
    }
    m_window = uimodel::ZoomedOut(m_window);
    ApplyWindow();
}

void CWaveControl::ScrollToFrame(int64_t first) {
    const uimodel::VisibleWindow moved = uimodel::ScrolledTo(m_window, first);
    if (moved == m_window) {
        return;
    }
    m_window = moved;
    ApplyWindow();
}

void CWaveControl::ScrollBy(uimodel::ScrollCode code, int64_t trackFirst) {
    ScrollToFrame(uimodel::ScrollTarget(m_window, code, trackFirst));
}

void CWaveControl::ApplyWindow() {
    for (CWavSample* strip : {m_display.strips.channel0.get(), m_display.strips.channel1.get()}) {
        if (strip != nullptr) {
            strip->SetVisibleRange(m_window.first, m_window.visible);
            strip->page = m_window.visible;
        }
    }
    UpdateScrollBar();
    Refresh();
}

void CWaveControl::UpdateScrollBar() {
    const bool show = HasStrips() && !uimodel::ShowsEverything(m_window);
    if (show) {
        m_nScrollShift = 0;
        while ((int64_t{m_window.total} >> m_nScrollShift) > INT_MAX) {
            ++m_nScrollShift;
        }
        const int range = static_cast<int>(m_window.total >> m_nScrollShift);
        const int thumb = std::max(1, static_cast<int>(m_window.visible >> m_nScrollShift));
        const int position = static_cast<int>(m_window.first >> m_nScrollShift);
        m_pScrollBar->SetScrollbar(position, thumb, range, thumb);
    }
    if (show != m_pScrollBar->IsShown()) {
        m_pScrollBar->Show(show);
        LayoutScrollBar();
    }
}

void CWaveControl::LayoutScrollBar() {
    const wxSize client = GetClientSize();
    const int barHeight = m_pScrollBar->GetBestSize().y;
    m_pScrollBar->SetSize(0, client.y - barHeight, client.x, barHeight);
}

void CWaveControl::OnScroll(wxScrollEvent& event) {
    const wxEventType type = event.GetEventType();
    const int64_t track = int64_t{event.GetPosition()} << m_nScrollShift;
    if (type == wxEVT_SCROLL_LINEUP) {
        ScrollBy(uimodel::ScrollCode::LineLeft);
    } else if (type == wxEVT_SCROLL_LINEDOWN) {
        ScrollBy(uimodel::ScrollCode::LineRight);
    } else if (type == wxEVT_SCROLL_PAGEUP) {
        ScrollBy(uimodel::ScrollCode::PageLeft);
    } else if (type == wxEVT_SCROLL_PAGEDOWN) {
        ScrollBy(uimodel::ScrollCode::PageRight);
    } else {
        ScrollBy(uimodel::ScrollCode::Track, track);
    }
    // The bar shows what the window became (line steps are a tenth of a page,
    // not what the bar itself moved).
    UpdateScrollBar();
}

uint32_t CWaveControl::CursorFrame() const {
    if (m_pSegmentation == nullptr || m_window.total == 0) {
        return 0;
    }
    return static_cast<uint32_t>(
        std::clamp<int64_t>(m_pSegmentation->cursorFrame, 0, int64_t{m_window.total} - 1));
}

void CWaveControl::SetCursorFrame(int64_t frame) {
    if (m_pSegmentation == nullptr) {
        return;
    }
    const int64_t last = m_window.total > 0 ? int64_t{m_window.total} - 1 : 0;
    m_pSegmentation->cursorFrame =
        static_cast<int32_t>(std::clamp<int64_t>(frame, 0, std::min<int64_t>(last, INT32_MAX)));
    Refresh();
}

void CWaveControl::CentreAtOverviewX(int x) {
    const uimodel::VisibleWindow moved =
        uimodel::CentredAtOverviewX(m_window, GetClientSize().x, x);
    if (moved != m_window) {
        m_window = moved;
        ApplyWindow();
    }
}

void CWaveControl::MousePress(int x, int y) {
    if (!HasChannel0()) {
        return;
    }
    const int width = GetClientSize().x;
    if (m_nMode == kIdle && m_selection.Shown()) {
        // Far outside the control when zoomed in: kept within reach of int
        // and out of grabbing distance.
        const auto column = [&](int64_t frame) {
            const int64_t far = int64_t{uimodel::kEdgeGrabPx} + 1;
            return static_cast<int>(std::clamp<int64_t>(uimodel::XOfFrame(m_window, width, frame),
                                                        -far - 1, int64_t{width} + far));
        };
        const int startX = column(m_selection.Start());
        const int endX = column(int64_t{m_selection.End()} + 1);
        if (m_selection.Grab(x, startX, endX, uimodel::kEdgeGrabPx) !=
            uimodel::WaveSelection::Edge::None) {
            m_nMode = kEdgeGrab;
            m_nLastMouseX = x;
            CaptureMouse();
            return;
        }
    }
    m_nMode = kIdle;
    if (y <= m_nBandTop + kBandBoundaryGrabPx) {
        if (y >= m_nBandTop - kBandBoundaryGrabPx) {
            m_nMode = kBandDrag;
            m_nDragY = m_nBandTop;
            m_bCaret = false;
        } else {
            m_nMode = kOverviewDrag;
            CentreAtOverviewX(x);
        }
    } else {
        if (m_window.total == 0) {
            return;  // an empty recording has no frame to put the cursor on
        }
        const uint32_t frame = uimodel::ClampedFrameAtX(m_window, width, x);
        SetCursorFrame(frame);
        m_bPressInSelection = m_selection.Contains(frame);
        if (m_bPressInSelection) {
            m_nMode = kPressInSelection;
        } else {
            m_nMode = kSelecting;
            m_selection.Begin(frame);
        }
    }
    m_nLastMouseX = x;
    m_nPressX = x;
    if (!HasCapture()) {
        CaptureMouse();
    }
    Refresh();
}

void CWaveControl::MouseMove(int x, int y) {
    m_nLastMouseX = x;
    const int width = GetClientSize().x;
    switch (m_nMode) {
        case kOverviewDrag:
            CentreAtOverviewX(x);
            break;
        case kSelecting:
        case kEdgeGrab: {
            if (m_nMode == kSelecting && !m_selection.Shown() && x == m_nPressX) {
                break;  // not moved since the press: still a click
            }
            m_nMode = kSelecting;
            m_selection.DragTo(uimodel::ClampedFrameAtX(m_window, width, x));
            Refresh();
            m_nScrollSpeed = uimodel::AutoScrollSpeed(x, width);
            if (m_nScrollSpeed == 0) {
                StopAutoScroll();
            } else if (!m_bAutoScroll && !uimodel::ShowsEverything(m_window)) {
                const bool atLimit = m_nScrollSpeed < 0
                                         ? m_window.first == 0
                                         : m_window.first == uimodel::MaxFirstFrame(m_window);
                if (!atLimit) {
                    m_bAutoScroll = true;
                    m_autoScrollTimer.Start(kAutoScrollMs);
                }
            }
            break;
        }
        case kBandDrag:
            m_nDragY = uimodel::ClampBandTop(y, DrawingHeight());
            Refresh();
            break;
        default:
            break;
    }
}

void CWaveControl::MouseRelease(int x, int y) {
    if (!HasChannel0()) {
        EndMouseMode();
        return;
    }
    const int width = GetClientSize().x;
    const int mode = m_nMode;
    if (mode == kBandDrag) {
        m_nBandTop = uimodel::ClampBandTop(y, DrawingHeight());
        m_bCaret = true;
    } else if (mode != kOverviewDrag) {
        // After a drag in the overview band (or of the band boundary, above)
        // the cursor stays: the frame under the mouse means nothing there.
        // A release outside the control still lands inside the recording.
        SetCursorFrame(uimodel::ClampedFrameAtX(m_window, width, x));
    }
    if (mode == kSelecting && m_selection.Shown()) {
        m_selection.DragTo(uimodel::ClampedFrameAtX(m_window, width, x));
    }
    EndMouseMode();
    Refresh();
}

void CWaveControl::EndMouseMode() {
    m_nMode = kIdle;
    StopAutoScroll();
    if (HasCapture()) {
        ReleaseMouse();
    }
}

void CWaveControl::StopAutoScroll() {
    m_bAutoScroll = false;
    m_autoScrollTimer.Stop();
}

void CWaveControl::Wheel(int rotation) {
    if (!HasStrips()) {
        return;
    }
    if (rotation <= 0) {
        ZoomOut();
    } else {
        ZoomIn();
    }
}

void CWaveControl::AutoScrollStep() {
    if (!m_bAutoScroll) {
        return;
    }
    const bool atLimit = m_nScrollSpeed < 0 ? m_window.first == 0
                                            : m_window.first == uimodel::MaxFirstFrame(m_window);
    if (m_nScrollSpeed == 0 || atLimit) {
        StopAutoScroll();
        return;
    }
    ScrollToFrame(int64_t{m_window.first} +
                  uimodel::AutoScrollStep(m_window.visible, m_nScrollSpeed));
    // The dragged edge follows the edge of the control.
    if (m_nMode == kSelecting) {
        m_selection.DragTo(uimodel::ClampedFrameAtX(m_window, GetClientSize().x, m_nLastMouseX));
        Refresh();
    }
}

void CWaveControl::OnAutoScrollTimer(wxTimerEvent&) {
    AutoScrollStep();
}

void CWaveControl::FollowPlayback() {
    if (!HasChannel0() || m_output.IsPlaying() == 0) {
        return;
    }
    // The position counts from the block handed over last; it is negative
    // while the block before it is still being heard.
    const int64_t heard = int64_t{m_nPlayStartFrame} + static_cast<int32_t>(m_output.GetPos());
    SetCursorFrame(heard);
    if (const auto first = uimodel::FollowPlayback(m_window, CursorFrame())) {
        ScrollToFrame(*first);
    }
}

void CWaveControl::OnMouse(wxMouseEvent& event) {
    const wxPoint point = event.GetPosition();
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_LEFT_DOWN) {
        SetFocus();
        MousePress(point.x, point.y);
    } else if (type == wxEVT_LEFT_UP) {
        if (m_nMode != kIdle) {
            MouseRelease(point.x, point.y);
        }
    } else if (type == wxEVT_MOTION) {
        if (m_nMode != kIdle && event.LeftIsDown()) {
            MouseMove(point.x, point.y);
        }
    } else if (type == wxEVT_MOUSEWHEEL) {
        // Sideways scrolling is no zoom. A touchpad sends many small
        // rotations: they add up to one notch (the wheel delta) per step.
        if (event.GetWheelAxis() != wxMOUSE_WHEEL_VERTICAL) {
            return;
        }
        const int notch = std::max(1, event.GetWheelDelta());
        m_nWheelRest += event.GetWheelRotation();
        for (; m_nWheelRest >= notch; m_nWheelRest -= notch) {
            Wheel(1);
        }
        for (; m_nWheelRest <= -notch; m_nWheelRest += notch) {
            Wheel(-1);
        }
    }
}

void CWaveControl::OnCaptureLost(wxMouseCaptureLostEvent&) {
    m_nMode = kIdle;
    m_bCaret = true;
    StopAutoScroll();
    Refresh();
}

void CWaveControl::OnFocus(wxFocusEvent& event) {
    if (event.GetEventType() == wxEVT_SET_FOCUS && m_pSegmentation != nullptr) {
        m_bCaret = true;
        Refresh();
    }
    event.Skip();
}

void CWaveControl::OnSize(wxSizeEvent& event) {
    if (m_pScrollBar->IsShown()) {
        LayoutScrollBar();
    }
    Refresh();
    event.Skip();
}

void CWaveControl::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    const wxSize size = GetClientSize();
    if (size.x <= 0 || size.y <= 0) {
        return;
    }
    PaintTo(dc, wxSize(size.x, DrawingHeight()));
}

void CWaveControl::PaintTo(wxDC& dc, const wxSize& size) {
    if (size.x <= 0 || size.y <= 0) {
        return;
    }
    if (!m_bitmap.IsOk() || m_bitmap.GetSize() != size) {
        m_bitmap = wxBitmap(size, 24);
    }
    // A failed re-map while samples are drawn (under the sample lock) shows
    // its box after the paint.
    ui::HoldBoxes holdBoxes;
    PaintBitmap(m_bitmap, size);
    dc.DrawBitmap(m_bitmap, 0, 0);
}

void CWaveControl::PaintBitmap(wxBitmap& bitmap, const wxSize& size) {
    const int width = size.x;
    const int height = size.y;
    const std::vector<wxRect> inverted = InvertedAreas(width, height);
    {
        wxMemoryDC dc(bitmap);
        // Whole pixels only: the waveform is thousands of 1-pixel lines, which
        // cairo draws several times faster without antialiasing.
        if (wxGraphicsContext* context = dc.GetGraphicsContext()) {
            context->SetAntialiasMode(wxANTIALIAS_NONE);
        }
        if (!HasChannel0()) {
            dc.SetBackground(wxBrush(wave::kNoRecording));
            dc.Clear();
            return;
        }
        const int bandTop = std::clamp(m_nBandTop, 0, height);
        const wxRect below(0, bandTop + 1, width, height - bandTop - 1);
        wave::StripPaint strip;
        strip.soundFile = m_pSoundFile;
        strip.lock = m_pLock;
        strip.window = m_window;
        if (m_display.strips.channel1) {
            const int upper = below.height / 2;
            strip.strip = m_display.strips.channel0.get();
            strip.rect = wxRect(0, below.y, width, upper);
            strip.label = "L";
            wave::PaintStrip(dc, strip);
            strip.strip = m_display.strips.channel1.get();
            strip.rect = wxRect(0, below.y + upper, width, below.height - upper);
            strip.label = "R";
            wave::PaintStrip(dc, strip);
        } else {
            strip.strip = m_display.strips.channel0.get();
            strip.rect = below;
            strip.label = "MONO";
            wave::PaintStrip(dc, strip);
        }
        m_overviewSpan = {};
        if (m_display.strips.overview && bandTop > 0) {
            // The band shows the whole recording whatever the view: it is
            // painted into its own bitmap again only when its size or the
            // recording changes.
            const wxSize bandSize(width, bandTop);
            if (!m_overviewBitmap.IsOk() || m_overviewBitmap.GetSize() != bandSize) {
                m_overviewBitmap = wxBitmap(bandSize, 24);
                wxMemoryDC band(m_overviewBitmap);
                wave::StripPaint overview;
                overview.strip = m_display.strips.overview.get();
                overview.soundFile = m_pSoundFile;
                overview.lock = m_pLock;
                overview.window = uimodel::WholeRecording(m_window.total);
                overview.rect = wxRect(bandSize);
                overview.rulers = false;
                wave::PaintStrip(band, overview);
            }
            dc.DrawBitmap(m_overviewBitmap, 0, 0);
            m_overviewSpan = uimodel::OverviewFrame(m_window, width);
            dc.SetPen(wxPen(wave::kOverviewFrame, 1));
            dc.SetBrush(*wxTRANSPARENT_BRUSH);
            dc.DrawRectangle(m_overviewSpan.left, 0,
                             std::max(1, m_overviewSpan.right - m_overviewSpan.left + 1), bandTop);
        }
        dc.SetPen(wxPen(*wxBLACK, 1));
        dc.DrawLine(0, bandTop, width, bandTop);
        // The cursor: black, and white inside the selection once that is
        // inverted below.
        if (m_bCaret && m_pSegmentation != nullptr && m_window.total > 0) {
            const int64_t x = uimodel::XOfFrame(m_window, width, CursorFrame());
            if (x >= 0 && x < width) {
                dc.DrawLine(static_cast<int>(x), bandTop + 1, static_cast<int>(x), height);
            }
        }
        // GTK draws no XOR: these areas are inverted pixel by pixel.
        SurfacePixels pixels(dc, wxRect(size));
        if (pixels.Ok()) {
            for (const wxRect& area : inverted) {
                pixels.Invert(area);
            }
            return;
        }
    }
    // Without direct pixel access: through the bitmap's pixel data.
    for (const wxRect& area : inverted) {
        wave::InvertPixels(bitmap, area);
    }
}

std::vector<wxRect> CWaveControl::InvertedAreas(int width, int height) const {
    // The selection and the dragged band boundary.
    std::vector<wxRect> areas;
    const int bandTop = std::clamp(m_nBandTop, 0, height);
    const int selectionBottom = height - CWavSample::kBottomMarginPx;
    // Only a selection that meets the visible frames: one that ends just
    // before them would otherwise leave a one-pixel column at the left.
    if (m_selection.Shown() && m_selection.End() >= m_window.first &&
        m_selection.Start() < m_window.End()) {
        const int64_t left =
            std::max<int64_t>(0, uimodel::XOfFrame(m_window, width, m_selection.Start()));
        const int64_t right = std::min<int64_t>(
            width, uimodel::XOfFrame(m_window, width, int64_t{m_selection.End()} + 1));
        areas.emplace_back(static_cast<int>(std::min<int64_t>(left, width - 1)), bandTop + 1,
                           static_cast<int>(std::max<int64_t>(1, right - left)),
                           selectionBottom - bandTop - 1);
    }
    if (m_nMode == kBandDrag) {
        areas.emplace_back(0, m_nDragY - 1, width, kBandLinePx);
    }
    return areas;
}
