// The program's one view, the frame's client window.
//
// PLACEHOLDER: this minimal panel only holds the place of the real view (the
// file-information box above the waveform control, playback), which replaces
// it. What the rest of the program relies on:
//  - constructed by CMainFrame as its only child window besides the bars;
//  - OnInitialUpdate() is called once, after the frame has applied the
//    interface language and before the frame is shown;
//  - commands and update-UI events reach it first (see CMainFrame.h), so its
//    handlers are plain Binds with ui::WxId(res::ID_...) ids.
#pragma once

#include <wx/panel.h>

class CQuellixDoc;

class CQuellixView : public wxPanel {
public:
    CQuellixView(wxWindow* parent, CQuellixDoc& document);

    virtual void OnInitialUpdate();

    CQuellixDoc& GetDocument() const { return m_document; }

private:
    CQuellixDoc& m_document;
};
