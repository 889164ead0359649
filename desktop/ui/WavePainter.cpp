#include "WavePainter.h"

#include <wx/font.h>
#include <wx/rawbmp.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <mutex>
#include <vector>

#include "SurfacePixels.h"
#include "pipeline/SoundFile.h"
#include "uimodel/TimeRuler.h"
#include "uimodel/WavSample.h"

namespace wave {
namespace {

constexpr int kLabelInsetPx = 3;
constexpr int kTickPx = 4;
constexpr int kTimeLabelGapPx = 6;
constexpr int kLabelGapPx = 12;
constexpr int kSampleSquarePx = 6;
// Beyond five pixels a frame every sample gets a square.
constexpr double kSquaresBelowFramesPerPixel = 0.2;
constexpr int kAmplitudeMinSpacingPx = 30;
// Time labels are measured on this text.
constexpr const char* kLabelWidthText = "00:00:00:000";

const wxFont& StripFont() {
    static const wxFont font(wxFontInfo(7).Family(wxFONTFAMILY_SWISS).FaceName("Arial"));
    return font;
}

// Maps a sample value to y for a strip: mid-line minus value / scale.
struct Amplitude {
    int midY;
    double unitsPerPixel;  // sample units per pixel
    int top;
    int bottom;

    int Y(int value) const {
        const int y = midY - static_cast<int>(value / unitsPerPixel);
        return std::clamp(y, top, bottom);
    }
};

// The waveform's lines and squares: straight into the pixels when the DC
// allows it (see SurfacePixels), else one DC call each. Pen and brush are set
// on the DC before, for the second way.
class WaveInk {
public:
    WaveInk(wxDC& dc, const wxRect& clip)
        : m_dc(dc),
          m_pixels(dc, clip),
          m_x0(clip.x),
          m_tops(clip.width > 0 ? clip.width : 0, 0),
          m_bottoms(m_tops.size(), -1) {}
    ~WaveInk() { DrawColumns(); }
    WaveInk(const WaveInk&) = delete;
    WaveInk& operator=(const WaveInk&) = delete;

    // (x, yTop) … (x, yBottom), both included. With direct pixel access the
    // columns are gathered and drawn together, row by row (DrawColumns).
    void Column(int x, int yTop, int yBottom) {
        if (!m_pixels.Ok()) {
            m_dc.DrawLine(x, yTop, x, yBottom + 1);
            return;
        }
        const int i = x - m_x0;
        if (i < 0 || i >= static_cast<int>(m_tops.size())) {
            return;  // outside the clip: nothing would be drawn
        }
        if (m_tops[i] <= m_bottoms[i]) {
            // A second column on this x: the first one now, so that the gap
            // between them stays empty.
            m_pixels.VerticalLine(x, m_tops[i], m_bottoms[i], kWaveform);
        }
        m_tops[i] = std::min(yTop, yBottom);
        m_bottoms[i] = std::max(yTop, yBottom);
    }
    // Draws the gathered columns (also on destruction).
    void DrawColumns() {
        if (m_pixels.Ok() && !m_tops.empty()) {
            m_pixels.VerticalLines(m_x0, m_tops.data(), m_bottoms.data(),
                                   static_cast<int>(m_tops.size()), kWaveform);
            std::fill(m_tops.begin(), m_tops.end(), 0);
            std::fill(m_bottoms.begin(), m_bottoms.end(), -1);
        }
    }
    // From (x0, y0) to (x1, y1), the end point left out.
    void Line(int x0, int y0, int x1, int y1) {
        if (m_pixels.Ok()) {
            m_pixels.Line(x0, y0, x1, y1, kWaveform);
        } else {
            m_dc.DrawLine(x0, y0, x1, y1);
        }
    }
    // A square of side `side` around (x, y): waveform outline, sample fill.
    void Square(int x, int y, int side) {
        const wxRect square(x - side / 2, y - side / 2, side, side);
        if (m_pixels.Ok()) {
            m_pixels.FillRect(square, kWaveform);
            m_pixels.FillRect(wxRect(square).Deflate(1), kSampleBrush);
        } else {
            m_dc.DrawRectangle(square);
        }
    }

private:
    wxDC& m_dc;
    SurfacePixels m_pixels;
    int m_x0;
    std::vector<int> m_tops;  // per x of the clip; empty where top > bottom
    std::vector<int> m_bottoms;
};

void PaintFromSummary(wxDC& dc, const CWavSample& strip, const uimodel::VisibleWindow& window,
                      const wxRect& area, const Amplitude& amplitude) {
    const int64_t spc = strip.samplesPerColumn;
    const int64_t count = strip.columnCount;
    const int width = area.width;
    if (spc <= 0 || count <= 0 || strip.columnMinima.empty() || strip.columnMaxima.empty()) {
        return;
    }
    const int64_t lastColumn = std::min<int64_t>(count, strip.columnMinima.size()) - 1;
    WaveInk ink(dc, area);
    for (int x = 0; x < width; ++x) {
        const int64_t from = uimodel::FrameAtX(window, width, x);
        const int64_t to = std::max(from, uimodel::FrameAtX(window, width, x + 1) - 1);
        const int64_t a = std::min(from / spc, lastColumn);
        const int64_t b = std::min(to / spc, lastColumn);
        int low = strip.columnMinima[static_cast<size_t>(a)];
        int high = strip.columnMaxima[static_cast<size_t>(a)];
        for (int64_t c = a + 1; c <= b; ++c) {
            low = std::min<int>(low, strip.columnMinima[static_cast<size_t>(c)]);
            high = std::max<int>(high, strip.columnMaxima[static_cast<size_t>(c)]);
        }
        if (low > high) {
            continue;  // a column never reached (start values)
        }
        const int yHigh = amplitude.Y(high);
        const int yLow = amplitude.Y(low);
        ink.Column(area.x + x, yHigh, yLow);
    }
}

void PaintSamples(wxDC& dc, const StripPaint& paint, const wxRect& area,
                  const Amplitude& amplitude) {
    const CWavSample& strip = *paint.strip;
    CSoundFile& file = *paint.soundFile;
    const uimodel::VisibleWindow& window = paint.window;
    const int width = area.width;
    const bool squares = uimodel::FramesPerPixel(window, width) < kSquaresBelowFramesPerPixel;
    // One frame past the window so that the line reaches the right edge.
    const uint32_t end = std::min<uint64_t>(uint64_t{window.End()} + 1, window.total);
    std::vector<wxPoint> points;
    dc.SetBrush(wxBrush(kSampleBrush));
    WaveInk ink(dc, area);
    std::unique_lock<platform::JobLockType> lock;
    if (paint.lock != nullptr) {
        lock = std::unique_lock<platform::JobLockType>(*paint.lock);
    }
    const int32_t channel = strip.overview ? 0 : strip.channel;
    // The frames that fall on one pixel column become one vertical line;
    // consecutive columns are joined from the last frame of one to the first
    // of the next.
    int64_t columnX = INT64_MIN;
    int yFirst = 0;
    int yLast = 0;
    int yMin = 0;
    int yMax = 0;
    int64_t previousX = INT64_MIN;
    int previousY = 0;
    auto flush = [&] {
        if (columnX == INT64_MIN) {
            return;
        }
        const int x = area.x + static_cast<int>(columnX);
        if (previousX != INT64_MIN) {
            ink.Line(area.x + static_cast<int>(previousX), previousY, x, yFirst);
        }
        ink.Column(x, yMin, yMax);
        previousX = columnX;
        previousY = yLast;
    };
    for (uint32_t frame = window.first; frame < end; ++frame) {
        const int y = amplitude.Y(file.GetSample(channel, frame));
        const int64_t x = uimodel::XOfFrame(window, width, frame);
        if (x != columnX) {
            flush();
            columnX = x;
            yFirst = yMin = yMax = y;
        }
        yMin = std::min(yMin, y);
        yMax = std::max(yMax, y);
        yLast = y;
        if (squares) {
            points.emplace_back(area.x + static_cast<int>(x), y);
        }
    }
    flush();
    if (lock.owns_lock()) {
        lock.unlock();
    }
    ink.DrawColumns();  // under the squares
    for (const wxPoint& point : points) {
        ink.Square(point.x, point.y, kSampleSquarePx);
    }
}

// The ruler's ticks for a strip: labelled ones at least a label and a gap
// apart. Kept beyond the plain 60 px: GTK's font makes "00:00:00:000" wider
// than 60 px, and at 60 px the labels would overlap.
std::vector<uimodel::RulerTick> TimeTicks(wxDC& dc, const CWavSample& strip,
                                          const uimodel::VisibleWindow& window, int width) {
    const int labelWidth = dc.GetTextExtent(kLabelWidthText).x;
    const int spacing = std::max(uimodel::kRulerMinTickSpacingPx, labelWidth + kLabelGapPx);
    return uimodel::RulerTicks(window.first * strip.secondsPerFrame,
                               window.visible * strip.secondsPerFrame, width, spacing);
}

// Dotted lines up from the labelled ticks, under the waveform.
void PaintGrid(wxDC& dc, const std::vector<uimodel::RulerTick>& ticks, const wxRect& area) {
    SurfacePixels pixels(dc, area);
    if (!pixels.Ok()) {
        dc.SetPen(wxPen(kGridDots, 1, wxPENSTYLE_DOT));
    }
    for (const uimodel::RulerTick& tick : ticks) {
        if (!tick.labelled) {
            continue;
        }
        const int x = area.x + tick.x;
        if (!pixels.Ok()) {
            dc.DrawLine(x, area.y, x, area.GetBottom() + 1);
            continue;
        }
        pixels.DottedVerticalLine(x, area.y, area.GetBottom(), 2, kGridDots);
    }
}

void PaintTimeRuler(wxDC& dc, const std::vector<uimodel::RulerTick>& ticks, const wxRect& rect,
                    int rulerY) {
    dc.SetPen(wxPen(*wxBLACK, 1));
    dc.DrawLine(rect.x, rulerY, rect.GetRight() + 1, rulerY);
    const wxSize labelSize = dc.GetTextExtent(kLabelWidthText);
    const wxPen tickPen(*wxBLACK, 1);
    const wxPen minorPen(wxColour(96, 96, 96), 1);
    // A label pushed inside at the edges may still reach its neighbour, and
    // below a millisecond neighbouring ticks read the same: such labels are
    // left out (the tick stays).
    int labelsEndX = INT_MIN;
    std::string previousLabel;
    for (const uimodel::RulerTick& tick : ticks) {
        const int x = rect.x + tick.x;
        if (tick.labelled) {
            dc.SetPen(tickPen);
            dc.DrawLine(x, rulerY, x, rulerY + kTickPx);
            std::string label = uimodel::TimeLabel(tick.seconds);
            const int labelX =
                std::clamp(x - labelSize.x / 2, rect.x, rect.GetRight() + 1 - labelSize.x);
            if (labelX >= labelsEndX && label != previousLabel) {
                dc.DrawText(label, labelX, rulerY + kTimeLabelGapPx);
                labelsEndX = labelX + labelSize.x + kLabelGapPx / 2;
                previousLabel = std::move(label);
            }
        } else {
            dc.SetPen(minorPen);
            dc.DrawLine(x, rulerY, x, rulerY + kTickPx);
        }
    }
}

// Amplitude marks on the left edge: nice steps of the full scale, "%.0f".
void PaintAmplitudeMarks(wxDC& dc, const CWavSample& strip, const wxRect& area,
                         const Amplitude& amplitude) {
    const float span = 2.0f * static_cast<float>(strip.verticalFullScale);
    const auto nice =
        uimodel::ChooseNiceStep(kAmplitudeMinSpacingPx, span, static_cast<float>(area.height));
    if (!nice || !(nice->step > 0.0f)) {
        return;
    }
    dc.SetPen(wxPen(*wxBLACK, 1));
    const int textHeight = dc.GetTextExtent("0").y;
    const int steps = static_cast<int>(strip.verticalFullScale / nice->step);
    for (int i = -steps; i <= steps; ++i) {
        const double value = i * static_cast<double>(nice->step);
        const int y = amplitude.midY - static_cast<int>(value / amplitude.unitsPerPixel);
        if (y < area.y + textHeight || y > area.GetBottom() - textHeight / 2) {
            continue;
        }
        dc.DrawLine(area.GetRight() - kTickPx + 1, y, area.GetRight() + 1, y);
        if (i != 0) {
            char text[32];
            std::snprintf(text, sizeof text, "%.0f", value);
            const wxSize size = dc.GetTextExtent(text);
            dc.DrawText(text, area.GetRight() - kTickPx - 1 - size.x, y - size.y / 2);
        }
    }
}

}  // namespace

void PaintStrip(wxDC& dc, const StripPaint& paint) {
    const wxRect& rect = paint.rect;
    if (paint.strip == nullptr || rect.width <= 0 || rect.height <= 0) {
        return;
    }
    const CWavSample& strip = *paint.strip;
    dc.SetBrush(wxBrush(kBackground));
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(rect);
    dc.SetFont(StripFont());
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(*wxBLACK);

    const bool rulers = paint.rulers && strip.showRuler;
    const int h = rulers ? rect.height - strip.bottomMarginPx : rect.height;
    if (h <= 0 || paint.window.visible == 0) {
        return;
    }
    const wxRect area(rect.x, rect.y, rect.width, h);
    const double scale = strip.verticalFullScale * 2.0 / h;
    const Amplitude amplitude{rect.y + h / 2, scale > 0 ? scale : 1.0, rect.y, rect.y + h - 1};

    wxDCClipper clip(dc, rect);
    if (rulers) {
        dc.SetPen(wxPen(kZeroLine, 1));
        dc.DrawLine(rect.x, amplitude.midY, rect.x + rect.width + 20, amplitude.midY);
    }
    std::vector<uimodel::RulerTick> ticks;
    if (rulers) {
        ticks = TimeTicks(dc, strip, paint.window, rect.width);
        PaintGrid(dc, ticks, area);
    }
    dc.SetPen(wxPen(kWaveform, 1));
    const double s = uimodel::FramesPerPixel(paint.window, rect.width);
    const bool bySample = strip.samplesPerColumn > s || strip.columnCount < 100;
    if (bySample && paint.soundFile != nullptr) {
        PaintSamples(dc, paint, area, amplitude);
    } else {
        PaintFromSummary(dc, strip, paint.window, area, amplitude);
    }
    if (rulers) {
        PaintAmplitudeMarks(dc, strip, area, amplitude);
        PaintTimeRuler(dc, ticks, rect, rect.y + h);
    }
    // Drawn after the waveform on purpose (kept): drawn first, a loud
    // recording would hide "L", "R" or "MONO".
    if (!paint.label.empty()) {
        dc.DrawText(paint.label, rect.x + kLabelInsetPx, rect.y + kLabelInsetPx);
    }
}

void InvertPixels(wxBitmap& bitmap, const wxRect& wanted) {
    const wxRect rect = wanted.Intersect(wxRect(bitmap.GetSize()));
    if (rect.IsEmpty()) {
        return;
    }
    wxNativePixelData data(bitmap);
    if (!data) {
        return;
    }
    wxNativePixelData::Iterator row(data);
    row.Offset(data, rect.x, rect.y);
    for (int y = 0; y < rect.height; ++y) {
        wxNativePixelData::Iterator pixel = row;
        for (int x = 0; x < rect.width; ++x, ++pixel) {
            pixel.Red() = 255 - pixel.Red();
            pixel.Green() = 255 - pixel.Green();
            pixel.Blue() = 255 - pixel.Blue();
        }
        row.OffsetY(data, 1);
    }
}

}  // namespace wave
