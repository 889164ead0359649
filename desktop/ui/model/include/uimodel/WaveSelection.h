// The frames selected with the mouse in the waveform control: an inclusive
// range [start, end] dragged from a fixed anchor, with edges that can be
// grabbed again and dragged past each other.
#pragma once

#include <cstdint>

namespace uimodel {

// A selection longer than this plays on its own; a shorter one (a click
// selects one frame) plays the whole recording.
inline constexpr uint32_t kMinPlayableSelectionFrames = 101;

class WaveSelection {
public:
    enum class Edge { None, Left, Right };

    bool Shown() const { return m_shown; }
    uint32_t Start() const { return m_start; }
    uint32_t End() const { return m_end; }
    uint32_t Frames() const { return m_shown ? m_end - m_start + 1 : 0; }
    bool Contains(uint32_t frame) const { return m_shown && m_start <= frame && frame <= m_end; }

    // A press that starts a new selection at `frame` (one frame, not shown
    // until the mouse moves).
    void Begin(uint32_t frame);
    // The edge within `grabPx` of x, given the pixel columns of the two
    // edges; the start edge wins when both are near. Grabbing makes the other
    // edge the anchor.
    Edge Grab(int x, int startX, int endX, int grabPx);
    // The moving edge is now at `frame`; passing the anchor swaps the edges.
    void DragTo(uint32_t frame);
    Edge Moving() const { return m_moving; }
    // Forgets everything (a new or closed recording).
    void Clear();
    // Keeps the selection inside a recording of `frames` frames; an empty
    // recording has none.
    void ClampTo(uint32_t frames);

private:
    uint32_t m_start = 0;
    uint32_t m_end = 0;
    uint32_t m_anchor = 0;
    bool m_shown = false;
    Edge m_moving = Edge::None;
};

}  // namespace uimodel
