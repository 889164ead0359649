#include "CPersistentFrame.h"

#include <wx/display.h>

#include <vector>

namespace {

// Work areas, not whole screens: a window fitted into them keeps its title
// bar clear of panels.
std::vector<uimodel::PlacementRect> WorkAreas() {
    std::vector<uimodel::PlacementRect> rects;
    for (unsigned i = 0; i < wxDisplay::GetCount(); ++i) {
        const wxRect r = wxDisplay(i).GetClientArea();
        rects.push_back({r.x, r.y, r.x + r.width, r.y + r.height});
    }
    return rects;
}

}  // namespace

CPersistentFrame::CPersistentFrame(const wxString& title)
    : wxFrame(nullptr, wxID_ANY, title,
              wxPoint(uimodel::kDefaultRect.left, uimodel::kDefaultRect.top),
              wxSize(static_cast<int>(uimodel::kDefaultRect.Width()),
                     static_cast<int>(uimodel::kDefaultRect.Height()))) {
    Bind(wxEVT_SIZE, &CPersistentFrame::OnSizeOrMove, this);
    Bind(wxEVT_MOVE, &CPersistentFrame::OnSizeOrMove, this);
}

bool CPersistentFrame::Show(bool show) {
    if (!show || !m_bFirstTime) {
        return wxFrame::Show(show);
    }
    m_bFirstTime = false;
    const uimodel::Placement placement = uimodel::LoadPlacement(WorkAreas());
    m_normalRect = placement.normal;
    SetSize(placement.normal.left, placement.normal.top, static_cast<int>(placement.normal.Width()),
            static_cast<int>(placement.normal.Height()));
    if (placement.max) {
        Maximize(true);
        m_bWasMaximized = true;
    }
    const bool shown = wxFrame::Show(true);
    if (placement.icon) {
        Iconize(true);
    }
    return shown;
}

void CPersistentFrame::OnSizeOrMove(wxEvent& event) {
    event.Skip();
    if (IsIconized()) {
        return;
    }
    m_bWasMaximized = IsMaximized();
    if (!m_bWasMaximized && !m_bFirstTime) {
        RememberNormalRect();
    }
}

void CPersistentFrame::RememberNormalRect() {
    const wxRect r = GetRect();
    if (r.width > 0 && r.height > 0) {
        m_normalRect = {r.x, r.y, r.x + r.width, r.y + r.height};
    }
}

void CPersistentFrame::SavePlacement() {
    if (m_bPlacementSaved || m_bFirstTime) {
        return;
    }
    m_bPlacementSaved = true;
    uimodel::ShowState state = uimodel::ShowState::Normal;
    if (IsIconized()) {
        state = uimodel::ShowState::Minimized;
    } else if (IsMaximized()) {
        state = uimodel::ShowState::Maximized;
    } else {
        RememberNormalRect();
    }
    uimodel::SavePlacement(uimodel::PlacementToStore(m_normalRect, state, m_bWasMaximized));
}

bool CPersistentFrame::Destroy() {
    SavePlacement();
    return wxFrame::Destroy();
}
