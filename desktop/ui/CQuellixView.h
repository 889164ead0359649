// The program's one view, the frame's client window: the read-only
// file-information box above the waveform area, with a 5-pixel separator
// below each, laid out in pixels whenever the view is resized.
//
// The waveform area is the waveform control (id 1000), reached through the
// members of the "waveform" section below, which the document uses to hand
// over a freshly built display and to release it. Playback (the Play menu,
// the zoom commands, Space) is ViewPlayback's, bound on the view.
//
// Commands and update-UI events reach the view first (see CMainFrame.h); the
// view enables the document's Open, Close, Perform and Save Cleaned As
// commands. A WAV file dropped anywhere on the view is opened as File > Open
// opens it, and closing the frame asks before a cleaned result is lost.
#pragma once

#include <wx/font.h>
#include <wx/panel.h>

#include <memory>
#include <string>
#include <vector>

#include "uimodel/WaveformDisplay.h"

class CQuellixDoc;
class CWaveControl;
class ViewPlayback;
class wxCloseEvent;
class wxTextCtrl;
class wxUpdateUIEvent;

class CQuellixView : public wxPanel {
public:
    // Layout, in pixels.
    static constexpr int kInfoHeightPx = 68;
    static constexpr int kSeparatorPx = 5;
    static constexpr int kMinLayoutPx = 150;  // smaller sizes keep the last layout
    static constexpr int kInfoFontPx = 15;

    CQuellixView(wxWindow* parent, CQuellixDoc& document);
    ~CQuellixView() override;

    // Called once by the frame after the interface language is applied.
    virtual void OnInitialUpdate();

    CQuellixDoc& GetDocument() const { return m_document; }

    // The information box's text ("\r\n" line breaks, as the document builds it).
    void SetFileInformation(const std::string& text);
    void ClearFileInformation();
    wxTextCtrl& InfoBox() const { return *m_info; }

    // ---- waveform --------------------------------------------------------
    // Shows `display` (moved in; the strips keep pointing into its summary)
    // for the document's recording, with the whole recording visible.
    void SetWaveform(WaveformDisplay display);
    // Drops the strips and the summary (and whatever the control derived from
    // them, the selection included). Nothing is drawn from the recording
    // afterwards.
    void ReleaseWaveform();
    const WaveformDisplay& Waveform() const;
    bool HasStrips() const;
    bool HasChannel1Strip() const;
    bool IsPlaying() const;
    bool IsPaused() const;
    // Stops playback for good before the samples it reads are freed or
    // replaced.
    void StopPlayback();
    // The window in the waveform area.
    wxWindow& WaveArea() const;
    CWaveControl& WaveControl() const { return *m_wave; }
    ViewPlayback& Playback() const { return *m_playback; }
    // What a drop of `files` does (the drop targets call it; so do tests):
    // opens the first file, once the drop itself has ended.
    void DropFiles(const std::vector<std::string>& files);

private:
    void LayOut(int width, int height);
    void OnSize(wxSizeEvent& event);
    void OnUpdateOpen(wxUpdateUIEvent& event);
    void OnUpdateClose(wxUpdateUIEvent& event);
    void OnUpdatePerform(wxUpdateUIEvent& event);
    void OnUpdateSaveCleaned(wxUpdateUIEvent& event);
    void OnFrameClose(wxCloseEvent& event);

    CQuellixDoc& m_document;
    wxFont m_font;
    wxTextCtrl* m_info = nullptr;
    wxWindow* m_separatorTop = nullptr;     // 1017
    wxWindow* m_separatorBottom = nullptr;  // 1019
    CWaveControl* m_wave = nullptr;         // 1000
    std::unique_ptr<ViewPlayback> m_playback;
};
