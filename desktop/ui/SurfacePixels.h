// Direct writes into the pixels a wxDC draws on, for what would otherwise be
// thousands of separate DC calls: the 1-pixel lines of a waveform (one cairo
// stroke each costs more than a whole frame's budget at full-screen width)
// and inverted areas (GTK draws no XOR).
//
// Available when the DC draws through cairo onto an image surface without
// scaling (a wxMemoryDC on GTK 3); otherwise Ok() is false and the caller
// draws through the DC. While the object lives nothing may draw through the
// DC; its destructor hands the pixels back to cairo.
#pragma once

#include <wx/colour.h>
#include <wx/dc.h>
#include <wx/gdicmn.h>

#include <cstdint>

class SurfacePixels {
public:
    // Writes are kept inside `clip` (logical coordinates of `dc`).
    SurfacePixels(wxDC& dc, const wxRect& clip);
    ~SurfacePixels();
    SurfacePixels(const SurfacePixels&) = delete;
    SurfacePixels& operator=(const SurfacePixels&) = delete;

    bool Ok() const { return m_data != nullptr; }

    // The pixels (x, y0) … (x, y1), both ends included, in either order.
    void VerticalLine(int x, int y0, int y1, const wxColour& colour);
    // Column x0 + i from tops[i] to bottoms[i] (both included; none where
    // tops[i] > bottoms[i]) for i < count, as many VerticalLine calls but
    // written row by row: going down a column touches a new page every other
    // row.
    void VerticalLines(int x0, const int* tops, const int* bottoms, int count,
                       const wxColour& colour);
    // Every `step`-th pixel of column x from y0 down to y1 (a dotted line).
    void DottedVerticalLine(int x, int y0, int y1, int step, const wxColour& colour);
    // From (x0, y0) towards (x1, y1), the end point left out, as DrawLine.
    void Line(int x0, int y0, int x1, int y1, const wxColour& colour);
    void FillRect(const wxRect& rect, const wxColour& colour);
    // Every pixel of `rect` becomes its complement.
    void Invert(const wxRect& rect);

private:
    uint32_t* Row(int y) const;
    void Put(int x, int y, uint32_t pixel);

    void* m_surface = nullptr;  // cairo_surface_t
    uint8_t* m_data = nullptr;
    int m_stride = 0;
    int m_dx = 0;  // logical to surface coordinates
    int m_dy = 0;
    wxRect m_clip;  // in surface coordinates
};
