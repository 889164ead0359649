#include "ViewPlayback.h"

#include <wx/window.h>

#include <algorithm>

#include "CWaveControl.h"
#include "MessageBox.h"
#include "WxIds.h"
#include "pipeline/Segmentation.h"
#include "pipeline/SoundFile.h"
#include "platform/MessageTarget.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "uimodel/WaveSelection.h"

namespace {

wxDEFINE_EVENT(EVT_OUTPUT_MESSAGE, wxThreadEvent);

constexpr uint32_t kBitsPerSample = 16;
// The sound output's buffer length in milliseconds (the value the output's
// fields have always carried).
constexpr uint32_t kOutputLatencyMs = 32;

}  // namespace

// The view as the audio thread sees it: each post becomes an event in the
// view's queue.
class ViewPlayback::Target : public platform::MessageTarget {
public:
    explicit Target(wxEvtHandler& view) : m_view(view) {}
    void Post(uint32_t id, uintptr_t wParam, intptr_t lParam) override {
        auto* event = new wxThreadEvent(EVT_OUTPUT_MESSAGE);
        event->SetPayload(platform::Message{id, wParam, lParam});
        wxQueueEvent(&m_view, event);
    }

private:
    wxEvtHandler& m_view;
};

ViewPlayback::ViewPlayback(wxWindow& view, CWaveControl& control, std::function<bool()> english)
    : m_view(view),
      m_control(control),
      m_english(std::move(english)),
      m_target(std::make_unique<Target>(view)),
      m_playFollowTimer(&view, static_cast<int>(res::TIMER_PLAY_FOLLOW)) {
    auto command = [&](uint32_t id, void (ViewPlayback::*handler)()) {
        view.Bind(
            wxEVT_MENU, [this, handler](wxCommandEvent&) { (this->*handler)(); }, ui::WxId(id));
    };
    command(res::ID_PLAY, &ViewPlayback::Play);
    command(res::ID_PAUSE, &ViewPlayback::Pause);
    command(res::ID_PLAY_FROM_CURSOR, &ViewPlayback::PlayFromCursor);
    command(res::ID_STOP, &ViewPlayback::Stop);
    view.Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { m_control.ZoomIn(); }, ui::WxId(res::ID_ZOOM_IN));
    view.Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { m_control.ZoomOut(); }, ui::WxId(res::ID_ZOOM_OUT));

    auto enable = [&](uint32_t id, std::function<bool()> condition) {
        view.Bind(
            wxEVT_UPDATE_UI,
            [condition = std::move(condition)](wxUpdateUIEvent& event) {
                event.Enable(condition());
            },
            ui::WxId(id));
    };
    enable(res::ID_PLAY, [this] { return CanPlay(); });
    enable(res::ID_PAUSE, [this] { return IsPlaying() || IsPaused(); });
    enable(res::ID_STOP, [this] { return IsPlaying() || IsPaused(); });
    enable(res::ID_PLAY_FROM_CURSOR, [this] { return CanPlayFromCursor(); });
    enable(res::ID_ZOOM_IN, [this] { return CanZoom(); });
    enable(res::ID_ZOOM_OUT, [this] { return CanZoom(); });

    view.Bind(EVT_OUTPUT_MESSAGE, &ViewPlayback::OnOutputMessage, this);
    view.Bind(wxEVT_CHAR_HOOK, &ViewPlayback::OnCharHook, this);
    view.Bind(wxEVT_TIMER, &ViewPlayback::OnPlayFollowTimer, this,
              static_cast<int>(res::TIMER_PLAY_FOLLOW));
    m_playFollowTimer.Start(kPlayFollowMs);
}

ViewPlayback::~ViewPlayback() {
    m_playFollowTimer.Stop();
    StopPlayback();
    // The output would keep posting to our target: the device goes now, not
    // when the control is destroyed after us.
    m_control.Output().Close();
    m_control.Output().m_pNotifyTarget = nullptr;
}

bool ViewPlayback::IsPlaying() const {
    return m_control.Output().IsPlaying() != 0;
}

bool ViewPlayback::IsPaused() const {
    return m_control.m_bPaused;
}

bool ViewPlayback::CanPlay() const {
    return m_control.HasStrips() && m_control.Window().total > 0 && !IsPlaying();
}

bool ViewPlayback::CanPlayFromCursor() const {
    return m_control.HasChannel0() && m_control.Window().total > 0 && !IsPlaying() && !IsPaused();
}

bool ViewPlayback::CanZoom() const {
    return m_control.HasStrips() && m_control.Window().total > 0;
}

void ViewPlayback::Play() {
    if (!CanPlay() || m_control.SoundFile() == nullptr) {
        return;
    }
    const uint32_t total = m_control.Window().total;
    const uimodel::WaveSelection& selection = m_control.Selection();
    if (selection.Frames() < uimodel::kMinPlayableSelectionFrames) {
        StartPlayback(0, total, false);
    } else if (m_control.SoundFile()->IsMapped()) {
        StartPlayback(m_control.CursorFrame(), total, false);
    } else {
        StartPlayback(selection.Start(), std::min(selection.End() + 1, total), true);
    }
}

void ViewPlayback::PlayFromCursor() {
    if (!CanPlayFromCursor() || m_control.SoundFile() == nullptr) {
        return;
    }
    StartPlayback(m_control.CursorFrame(), m_control.Window().total, false);
}

void ViewPlayback::Pause() {
    CSoundOutputMME& output = m_control.Output();
    if (m_control.m_bPaused) {
        output.Continue();
        m_control.m_bPaused = false;
    } else if (output.IsPlaying() != 0) {
        output.Pause();
        m_control.m_bPaused = true;
    }
}

void ViewPlayback::Stop() {
    if (IsPlaying() || IsPaused()) {
        StopPlayback();
    }
}

void ViewPlayback::TogglePlay() {
    if (IsPlaying() || IsPaused()) {
        Pause();
    } else {
        Play();
    }
}

void ViewPlayback::StopPlayback() {
    m_control.Output().Reset();
    m_control.m_bPaused = false;
    m_stream.Stop();
}

bool ViewPlayback::OpenOutput() {
    const CSoundFile& file = *m_control.SoundFile();
    CSoundOutputMME& output = m_control.Output();
    output.m_nSampleRate = file.SampleRate();
    output.m_nFormat = file.Channels() | (kBitsPerSample << 16);
    output.m_nLatencyMs = kOutputLatencyMs;
    output.m_pNotifyTarget = m_target.get();
    output.m_nNextBlockMessage = res::WM_PLAY_NEXT_BLOCK;
    output.m_nEndMessage = res::WM_PLAY_FINISHED;
    std::fill(std::begin(output.m_nReserved), std::end(output.m_nReserved), 0u);
    output.m_nFlags = 0;
    if (output.Open(0, 0, 0) == kEchoraOk) {
        return true;
    }
    // Without a sound device the program goes on; it says so once.
    if (!m_bNoDeviceShown) {
        m_bNoDeviceShown = true;
        const bool english = m_english ? m_english() : true;
        ui::ShowMessageBox(wxString::FromUTF8(res::LoadPair(res::IDS_NO_AUDIO_DEVICE, english)),
                           wxString::FromUTF8(res::LoadText(res::IDS_APP_TITLE)),
                           wxOK | wxICON_WARNING, &m_view);
    }
    return false;
}

void ViewPlayback::StartPlayback(uint32_t start, uint32_t end, bool selection) {
    CSoundOutputMME& output = m_control.Output();
    if (m_control.m_bPaused) {
        if (!selection) {
            output.Continue();
            m_control.m_bPaused = false;
            return;
        }
        // A selection starts afresh: the paused playback ends first.
        StopPlayback();
    }
    if (output.IsPlaying() != 0) {
        return;
    }
    CSoundFile& file = *m_control.SoundFile();
    const uint32_t total = file.Frames();
    end = std::min(end, total);
    if (start >= end) {
        return;  // nothing left to play (a cursor at the very end)
    }
    StopPlayback();
    if (!OpenOutput()) {
        return;
    }
    const uint32_t channels = file.Channels();
    if (!file.IsMapped()) {
        const int16_t* samples = file.GetSampleBuffer();
        if (samples == nullptr) {
            return;
        }
        m_control.m_nPlayStartFrame = start;
        HandOver(samples + uint64_t{start} * channels, end - start, 1);
        return;
    }
    auto reader = [&file](int16_t* destination, uint32_t first, uint32_t count) {
        return file.ReadFrames(destination, first, count, false);
    };
    const auto block = m_stream.Start(start, total, channels, reader);
    if (!block) {
        return;
    }
    m_control.m_nPlayStartFrame = block->firstFrame;
    HandOver(block->samples, block->frames, 1);
}

bool ViewPlayback::HandOver(const int16_t* samples, uint32_t frames, uint32_t first) {
    if (m_control.Output().Play(samples, frames, first) == kEchoraOk) {
        return true;
    }
    // Nothing would ever end this playback: stop it and say so, once.
    StopPlayback();
    const bool english = m_english ? m_english() : true;
    ui::ShowMessageBox(wxString::FromUTF8(res::LoadPair(res::IDS_PLAYBACK_REFUSED, english)),
                       wxString::FromUTF8(res::LoadText(res::IDS_APP_TITLE)), wxOK | wxICON_ERROR,
                       &m_view);
    return false;
}

void ViewPlayback::OnOutputMessage(wxThreadEvent& event) {
    const auto message = event.GetPayload<platform::Message>();
    // A message of a playback that has been stopped or replaced since.
    if (message.wParam != m_control.Output().Serial()) {
        return;
    }
    if (message.id == res::WM_PLAY_NEXT_BLOCK) {
        OnNextBlock();
    } else if (message.id == res::WM_PLAY_FINISHED) {
        OnPlayedOut();
    }
}

void ViewPlayback::OnNextBlock() {
    if (m_control.SoundFile() == nullptr || !m_control.SoundFile()->IsMapped()) {
        return;
    }
    if (const auto block = m_stream.Next()) {
        m_control.m_nPlayStartFrame = block->firstFrame;
        HandOver(block->samples, block->frames, 0);
    }
}

void ViewPlayback::OnPlayedOut() {
    if (m_control.SoundFile() != nullptr && m_control.SoundFile()->IsMapped() &&
        !m_stream.Ended()) {
        return;  // more blocks are on their way
    }
    StopPlayback();
}

void ViewPlayback::OnPlayFollowTimer(wxTimerEvent&) {
    m_control.FollowPlayback();
}

void ViewPlayback::OnCharHook(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_SPACE && !event.HasAnyModifiers()) {
        TogglePlay();
        return;
    }
    event.Skip();
}
