// Playback in the view: Play (the whole recording, a selection of more than
// 100 frames in memory mode, or from the cursor in mapped mode), Pause and
// Continue, Stop, Play from cursor, the zoom commands, their update handlers,
// and the Space key that toggles play and pause.
//
// A recording in memory plays as one block straight from the sound file's
// samples. A mapped recording streams: blocks of BlockStream's size are read
// and handed over whenever the output asks for the next one (message 1026),
// until the end (message 1025). Messages of a playback that has since been
// stopped are dropped, so a late request never restarts anything.
#pragma once

#include <wx/event.h>
#include <wx/timer.h>

#include <functional>
#include <memory>

#include "uimodel/BlockStream.h"

class CWaveControl;
class wxWindow;

namespace platform {
class MessageTarget;
}

class ViewPlayback {
public:
    // Play follow: every 50 ms the cursor goes to the frame being heard.
    static constexpr int kPlayFollowMs = 50;

    // Binds the commands, update handlers, the Space key, the output's
    // messages and the play-follow timer on `view`, and starts the timer. `english` tells the
    // interface language for the one message it may show (no sound device).
    ViewPlayback(wxWindow& view, CWaveControl& control, std::function<bool()> english);
    ~ViewPlayback();
    ViewPlayback(const ViewPlayback&) = delete;
    ViewPlayback& operator=(const ViewPlayback&) = delete;

    void Play();
    void PlayFromCursor();
    // Pause while playing, Continue while paused.
    void Pause();
    // Stops when playing or paused.
    void Stop();
    // Space: Pause/Continue while playing or paused, otherwise Play.
    void TogglePlay();
    // Stops the output for good and frees the streamed blocks, whatever the
    // state. Everything that frees or replaces the samples calls it first.
    void StopPlayback();

    bool IsPlaying() const;
    bool IsPaused() const;
    bool CanPlay() const;
    bool CanPlayFromCursor() const;
    bool CanZoom() const;

    // Frames per streamed block (tests use small blocks).
    void SetBlockFrames(uint32_t frames) { m_stream.SetBlockFrames(frames); }
    uimodel::BlockStream::State StreamState() const { return m_stream.CurrentState(); }

private:
    class Target;

    // Starts playing [start, end) of the recording; `selection` plays a
    // selection (memory mode only), which never continues a paused output.
    void StartPlayback(uint32_t start, uint32_t end, bool selection);
    bool OpenOutput();
    // Play on the output; a refused block stops playback with a box.
    bool HandOver(const int16_t* samples, uint32_t frames, uint32_t first);
    void OnOutputMessage(wxThreadEvent& event);
    void OnNextBlock();
    void OnPlayedOut();
    void OnCharHook(wxKeyEvent& event);
    void OnPlayFollowTimer(wxTimerEvent& event);

    wxWindow& m_view;
    CWaveControl& m_control;
    std::function<bool()> m_english;
    std::unique_ptr<Target> m_target;
    uimodel::BlockStream m_stream;
    wxTimer m_playFollowTimer;
    bool m_bNoDeviceShown = false;
};
