#include "uimodel/WaveSelection.h"

#include <algorithm>
#include <cstdlib>

namespace uimodel {

void WaveSelection::Begin(uint32_t frame) {
    m_start = m_end = m_anchor = frame;
    m_shown = false;
    m_moving = Edge::Right;
}

WaveSelection::Edge WaveSelection::Grab(int x, int startX, int endX, int grabPx) {
    if (!m_shown) {
        return Edge::None;
    }
    if (std::abs(x - startX) <= grabPx) {
        m_anchor = m_end;
        m_moving = Edge::Left;
    } else if (std::abs(x - endX) <= grabPx) {
        m_anchor = m_start;
        m_moving = Edge::Right;
    } else {
        return Edge::None;
    }
    return m_moving;
}

void WaveSelection::DragTo(uint32_t frame) {
    m_shown = true;
    m_start = std::min(m_anchor, frame);
    m_end = std::max(m_anchor, frame);
    m_moving = frame < m_anchor ? Edge::Left : Edge::Right;
}

void WaveSelection::Clear() {
    *this = WaveSelection();
}

void WaveSelection::ClampTo(uint32_t frames) {
    if (frames == 0 || m_start >= frames) {
        Clear();
        return;
    }
    m_end = std::min(m_end, frames - 1);
    m_anchor = std::min(m_anchor, frames - 1);
}

}  // namespace uimodel
