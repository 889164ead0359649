// Drawing of the waveform control: one strip of a recording (waveform from
// the summary or sample by sample, zero line, label, time ruler), and pixel
// inversion for the selection (GTK has no XOR drawing). Only reads what it is
// given; the control decides the layout.
#pragma once

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/gdicmn.h>

#include <string>

#include "platform/ManualResetEvent.h"
#include "uimodel/WaveGeometry.h"

class CSoundFile;
class CWavSample;

namespace wave {

// Colours of the control.
inline const wxColour kBackground{255, 250, 245};
inline const wxColour kWaveform{140, 140, 255};
inline const wxColour kZeroLine{128, 0, 0};
inline const wxColour kRulerGrey{192, 192, 192};
inline const wxColour kGridDots{128, 160, 160};
inline const wxColour kSampleBrush{192, 180, 0};
inline const wxColour kNoRecording{192, 192, 192};
inline const wxColour kOverviewFrame{255, 0, 0};

struct StripPaint {
    const CWavSample* strip = nullptr;
    // Read sample by sample when zoomed in, under `lock`.
    CSoundFile* soundFile = nullptr;
    platform::JobLockType* lock = nullptr;
    uimodel::VisibleWindow window;
    wxRect rect;
    std::string label;
    bool rulers = true;  // zero line and time ruler, when the strip shows them
};

// Paints one strip into `rect` of `dc`.
void PaintStrip(wxDC& dc, const StripPaint& paint);

// Inverts every pixel of `rect` (clipped to the bitmap).
void InvertPixels(wxBitmap& bitmap, const wxRect& rect);

}  // namespace wave
