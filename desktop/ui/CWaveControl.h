// The waveform control: the overview band with the whole recording and a red
// frame around the visible part, below it one strip ("MONO") or two ("L",
// "R") of the visible part with time rulers; zoom, scroll bar, the cursor
// (a painted caret), the selection made with the mouse, dragging the band
// boundary, and following playback. It owns the sound output that the view
// plays through.
//
// The control takes its own mouse events (capturing the mouse while a drag
// runs). Everything is painted into one off-screen bitmap and copied to the
// screen in one go; the selection and the cursor are inverted pixels of that
// bitmap.
#pragma once

#include <wx/bitmap.h>
#include <wx/scrolbar.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <cstdint>
#include <vector>

#include "echora/SoundOutputMME.h"
#include "platform/ManualResetEvent.h"
#include "uimodel/WaveGeometry.h"
#include "uimodel/WaveSelection.h"
#include "uimodel/WaveformDisplay.h"

class CSegmentation;
class CSoundFile;

class CWaveControl : public wxWindow {
public:
    // Mouse modes.
    enum Mode {
        kIdle = 0,
        kOverviewDrag = 1,
        kSelecting = 2,
        kPressInSelection = 4,
        kBandDrag = 5,
        kEdgeGrab = 6,
    };

    static constexpr int kInitialBandTopPx = 32;
    static constexpr int kLoadedBandTopPx = 16;
    static constexpr int kAutoScrollMs = 100;

    CWaveControl(wxWindow* parent, wxWindowID id);
    ~CWaveControl() override;

    // Shows a freshly summarised recording: takes over its summary and
    // strips, shows the whole recording, puts the cursor on the
    // segmentation's frame and the band top at 16. `lock` guards the samples
    // read while painting.
    void ShowRecording(CSoundFile& soundFile, CSegmentation& segmentation,
                       platform::JobLockType& lock, WaveformDisplay&& display);
    // Forgets the recording: strips, summary, selection, mouse mode,
    // auto-scroll. Playback must have been stopped before (the output may be
    // reading the samples).
    void ReleaseRecording();
    bool HasStrips() const { return m_display.HasStrips(); }
    bool HasChannel0() const { return m_display.strips.channel0 != nullptr; }
    const WaveformStrips& Strips() const { return m_display.strips; }
    const WaveformDisplay& Display() const { return m_display; }
    CSoundFile* SoundFile() const { return m_pSoundFile; }
    CSegmentation* Segmentation() const { return m_pSegmentation; }

    void ZoomIn();
    void ZoomOut();
    // Scrolls so that the visible part starts at `first` (kept inside).
    void ScrollToFrame(int64_t first);
    void ScrollBy(uimodel::ScrollCode code, int64_t trackFirst = 0);
    // The scroll bar's window (for tests that drag it).
    wxWindow* ScrollBarWindow() const;
    const uimodel::VisibleWindow& Window() const { return m_window; }
    bool ScrollBarShown() const;

    // The cursor (the segmentation's cursor frame), clamped to the recording.
    uint32_t CursorFrame() const;
    void SetCursorFrame(int64_t frame);
    const uimodel::WaveSelection& Selection() const { return m_selection; }
    uimodel::WaveSelection& Selection() { return m_selection; }
    int BandTop() const { return m_nBandTop; }
    void SetBandTop(int y) { m_nBandTop = y; }
    int MouseMode() const { return m_nMode; }
    // The overview band's frame around the visible part, in pixels.
    const uimodel::PixelSpan& OverviewSpan() const { return m_overviewSpan; }

    // Mouse operations in control coordinates (the event handlers call them;
    // tests may too).
    void MousePress(int x, int y);
    void MouseMove(int x, int y);
    void MouseRelease(int x, int y);
    void Wheel(int rotation);

    // Play follow, every 50 ms from the view: while the output plays, the
    // cursor goes to the frame being heard and the view scrolls when it passes
    // the middle.
    void FollowPlayback();
    // One auto-scroll step (timer 10).
    void AutoScrollStep();
    bool AutoScrolling() const { return m_bAutoScroll; }

    // Playback state kept with the control: the output, the frame the
    // output's position counts from, the paused flag.
    CSoundOutputMME& Output() { return m_output; }
    uint32_t m_nPlayStartFrame = 0;
    bool m_bPaused = false;

    // Paints everything into `dc` as the control would look at `size`: the
    // seam for screenshots, pixel tests and the benchmark.
    void PaintTo(wxDC& dc, const wxSize& size);
    // Height of the waveform area (the client height above the scroll bar).
    int DrawingHeight() const;

private:
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnMouse(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnScroll(wxScrollEvent& event);
    void OnAutoScrollTimer(wxTimerEvent& event);
    void OnFocus(wxFocusEvent& event);

    // Applies m_window to the channel strips and the scroll bar, then repaints.
    void ApplyWindow();
    void UpdateScrollBar();
    void LayoutScrollBar();
    void StopAutoScroll();
    void EndMouseMode();
    void PaintBitmap(wxBitmap& bitmap, const wxSize& size);
    std::vector<wxRect> InvertedAreas(int width, int height) const;
    void CentreAtOverviewX(int x);

    bool m_bAutoScroll = false;
    bool m_bCaret = true;
    bool m_bPressInSelection = false;
    WaveformDisplay m_display;  // the summary and the three strips
    CSoundOutputMME m_output;
    CSoundFile* m_pSoundFile = nullptr;
    CSegmentation* m_pSegmentation = nullptr;
    platform::JobLockType* m_pLock = nullptr;
    uimodel::PixelSpan m_overviewSpan;
    int m_nScrollSpeed = 0;
    int m_nBandTop = kInitialBandTopPx;
    int m_nMode = kIdle;
    int m_nDragY = 0;
    int m_nLastMouseX = 0;
    int m_nPressX = 0;
    uimodel::WaveSelection m_selection;
    uimodel::VisibleWindow m_window;
    // The scroll bar counts in frames >> m_nScrollShift (its range is an int).
    int m_nScrollShift = 0;
    int m_nWheelRest = 0;  // wheel rotation not yet a whole notch
    wxScrollBar* m_pScrollBar = nullptr;
    wxTimer m_autoScrollTimer;
    wxBitmap m_bitmap;
    wxBitmap m_overviewBitmap;  // the overview band, kept while it stays the same
};
