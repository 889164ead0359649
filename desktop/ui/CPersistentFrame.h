// A frame that remembers its place between runs: the normal rectangle and
// whether it was maximised or minimised, under the profile key
// "Window size" (uimodel/WindowPlacement.h). The placement is applied when
// the frame is first shown and stored when it is destroyed.
#pragma once

#include <wx/frame.h>

#include "uimodel/WindowPlacement.h"

class CPersistentFrame : public wxFrame {
public:
    CPersistentFrame(const wxString& title);

    bool Show(bool show = true) override;
    bool Destroy() override;

    // The rectangle the window has when neither maximised nor minimised.
    uimodel::PlacementRect NormalRect() const { return m_normalRect; }
    // Stores the placement now (once per run; Destroy does it otherwise).
    void SavePlacement();

private:
    void OnSizeOrMove(wxEvent& event);
    void RememberNormalRect();

    bool m_bFirstTime = true;
    bool m_bPlacementSaved = false;
    bool m_bWasMaximized = false;  // maximised before the latest minimise
    uimodel::PlacementRect m_normalRect = uimodel::kDefaultRect;
};
