#include "SurfacePixels.h"

#include <wx/graphics.h>

#include <cairo.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kOpaque = 0xFF000000u;
constexpr uint32_t kColourBits = 0x00FFFFFFu;

// Cairo's RGB24 and ARGB32 pixels are native-endian 0xAARRGGBB words; an
// opaque colour is the same in both.
uint32_t Pixel(const wxColour& colour) {
    return kOpaque | (uint32_t{colour.Red()} << 16) | (uint32_t{colour.Green()} << 8) |
           uint32_t{colour.Blue()};
}

bool IsWhole(double value) {
    return std::floor(value) == value;
}

// Pixel i of `row` (first <= i < end) where tops[i] <= y <= bottoms[i]. A
// store on every pixel, so that the loop has no branch and vectorises.
void FillSpans(uint32_t* __restrict row, const int* __restrict tops, const int* __restrict bottoms,
               int first, int end, int y, uint32_t pixel) {
    for (int i = first; i < end; ++i) {
        const bool inside = tops[i] <= y && y <= bottoms[i];
        row[i] = inside ? pixel : row[i];
    }
}

}  // namespace

SurfacePixels::SurfacePixels(wxDC& dc, const wxRect& clip) {
    wxGraphicsContext* context = dc.GetGraphicsContext();
    if (context == nullptr || context->GetRenderer() != wxGraphicsRenderer::GetCairoRenderer()) {
        return;
    }
    auto* cairo = static_cast<cairo_t*>(context->GetNativeContext());
    if (cairo == nullptr) {
        return;
    }
    cairo_surface_t* surface = cairo_get_target(cairo);
    if (surface == nullptr || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) {
        return;
    }
    const cairo_format_t format = cairo_image_surface_get_format(surface);
    if (format != CAIRO_FORMAT_RGB24 && format != CAIRO_FORMAT_ARGB32) {
        return;
    }
    // Only a whole-pixel shift between logical and surface pixels.
    cairo_matrix_t matrix;
    cairo_get_matrix(cairo, &matrix);
    double scaleX = 1;
    double scaleY = 1;
    cairo_surface_get_device_scale(surface, &scaleX, &scaleY);
    double offsetX = 0;
    double offsetY = 0;
    cairo_surface_get_device_offset(surface, &offsetX, &offsetY);
    if (matrix.xx != 1 || matrix.yy != 1 || matrix.xy != 0 || matrix.yx != 0 || scaleX != 1 ||
        scaleY != 1 || !IsWhole(matrix.x0 + offsetX) || !IsWhole(matrix.y0 + offsetY)) {
        return;
    }
    cairo_surface_flush(surface);
    m_data = cairo_image_surface_get_data(surface);
    if (m_data == nullptr) {
        return;
    }
    m_surface = surface;
    m_stride = cairo_image_surface_get_stride(surface);
    m_dx = static_cast<int>(matrix.x0 + offsetX);
    m_dy = static_cast<int>(matrix.y0 + offsetY);
    const wxRect bounds(0, 0, cairo_image_surface_get_width(surface),
                        cairo_image_surface_get_height(surface));
    m_clip = wxRect(clip.x + m_dx, clip.y + m_dy, clip.width, clip.height).Intersect(bounds);
}

SurfacePixels::~SurfacePixels() {
    if (m_surface != nullptr) {
        cairo_surface_mark_dirty(static_cast<cairo_surface_t*>(m_surface));
    }
}

uint32_t* SurfacePixels::Row(int y) const {
    return reinterpret_cast<uint32_t*>(m_data + static_cast<ptrdiff_t>(y) * m_stride);
}

void SurfacePixels::Put(int x, int y, uint32_t pixel) {
    x += m_dx;
    y += m_dy;
    if (m_clip.Contains(x, y)) {
        Row(y)[x] = pixel;
    }
}

void SurfacePixels::VerticalLine(int x, int y0, int y1, const wxColour& colour) {
    x += m_dx;
    if (!Ok() || x < m_clip.x || x > m_clip.GetRight()) {
        return;
    }
    const int top = std::max(std::min(y0, y1) + m_dy, m_clip.y);
    const int bottom = std::min(std::max(y0, y1) + m_dy, m_clip.GetBottom());
    if (top > bottom) {
        return;
    }
    // Down the column a stride at a time: a whole-recording waveform is
    // about a million of these pixels.
    const uint32_t pixel = Pixel(colour);
    uint8_t* at = reinterpret_cast<uint8_t*>(Row(top) + x);
    const ptrdiff_t stride = m_stride;
    for (int y = top; y <= bottom; ++y, at += stride) {
        std::memcpy(at, &pixel, sizeof pixel);
    }
}

void SurfacePixels::VerticalLines(int x0, const int* tops, const int* bottoms, int count,
                                  const wxColour& colour) {
    if (!Ok()) {
        return;
    }
    // The columns inside the clip, and the rows any of them reaches.
    const int first = std::max(x0 + m_dx, m_clip.x) - (x0 + m_dx);
    const int end = std::min(x0 + m_dx + count, m_clip.GetRight() + 1) - (x0 + m_dx);
    int top = INT_MAX;
    int bottom = INT_MIN;
    for (int i = first; i < end; ++i) {
        if (tops[i] <= bottoms[i]) {
            top = std::min(top, tops[i]);
            bottom = std::max(bottom, bottoms[i]);
        }
    }
    top = std::max(top + m_dy, m_clip.y);
    bottom = std::min(bottom + m_dy, m_clip.GetBottom());
    const uint32_t pixel = Pixel(colour);
    for (int y = top; y <= bottom; ++y) {
        FillSpans(Row(y) + x0 + m_dx, tops, bottoms, first, end, y - m_dy, pixel);
    }
}

void SurfacePixels::DottedVerticalLine(int x, int y0, int y1, int step, const wxColour& colour) {
    if (!Ok() || step <= 0) {
        return;
    }
    const uint32_t pixel = Pixel(colour);
    for (int y = y0; y <= y1; y += step) {
        Put(x, y, pixel);
    }
}

void SurfacePixels::Line(int x0, int y0, int x1, int y1, const wxColour& colour) {
    if (!Ok()) {
        return;
    }
    const uint32_t pixel = Pixel(colour);
    // Bresenham over the longer axis.
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int stepX = x0 < x1 ? 1 : -1;
    const int stepY = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    int x = x0;
    int y = y0;
    while (x != x1 || y != y1) {
        Put(x, y, pixel);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += stepX;
        }
        if (twice <= dx) {
            error += dx;
            y += stepY;
        }
    }
}

void SurfacePixels::FillRect(const wxRect& rect, const wxColour& colour) {
    if (!Ok()) {
        return;
    }
    const wxRect area =
        wxRect(rect.x + m_dx, rect.y + m_dy, rect.width, rect.height).Intersect(m_clip);
    const uint32_t pixel = Pixel(colour);
    for (int y = area.y; y <= area.GetBottom(); ++y) {
        std::fill_n(Row(y) + area.x, area.width, pixel);
    }
}

void SurfacePixels::Invert(const wxRect& rect) {
    if (!Ok()) {
        return;
    }
    const wxRect area =
        wxRect(rect.x + m_dx, rect.y + m_dy, rect.width, rect.height).Intersect(m_clip);
    for (int y = area.y; y <= area.GetBottom(); ++y) {
        uint32_t* pixel = Row(y) + area.x;
        for (int x = 0; x < area.width; ++x, ++pixel) {
            *pixel ^= kColourBits;
        }
    }
}
