// Playback through the view's commands, heard through SDL's disk driver: the
// file it writes holds exactly what a listener would have heard.
#include <wx/frame.h>
#include <wx/panel.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "CWaveControl.h"
#include "GuiTest.h"
#include "ViewPlayback.h"
#include "WaveTestRecording.h"
#include "WxIds.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"

namespace {

using namespace std::chrono_literals;
using guitest::Pump;
using guitest::PumpUntil;
using testsupport::ScopedEnv;

// Samples with no zero in them, so the silence around what was played can be
// told apart from the recording.
std::vector<int16_t> Ramp(uint32_t frames, int channels) {
    std::vector<int16_t> samples(size_t{frames} * channels);
    for (uint32_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            const int value = 1 + static_cast<int>((f * 13 + c * 7000) % 20000);
            samples[size_t{f} * channels + c] = static_cast<int16_t>(c == 0 ? value : -value);
        }
    }
    return samples;
}

std::vector<int16_t> Frames(const std::vector<int16_t>& samples, int channels, uint32_t first,
                            uint32_t count) {
    return std::vector<int16_t>(samples.begin() + ptrdiff_t{first} * channels,
                                samples.begin() + ptrdiff_t{first + count} * channels);
}

// Where two sample sequences part, for failure messages.
std::string FirstDifference(const std::vector<int16_t>& heard,
                            const std::vector<int16_t>& expected) {
    const auto parted = std::mismatch(heard.begin(), heard.end(), expected.begin(), expected.end());
    const auto at = parted.first - heard.begin();
    const auto zeros =
        std::find_if(parted.first, heard.end(), [](int16_t s) { return s != 0; }) - parted.first;
    return "heard " + std::to_string(heard.size()) + " samples, expected " +
           std::to_string(expected.size()) + "; they part at sample " + std::to_string(at) +
           ", where " + std::to_string(zeros) + " silent samples follow";
}

class PlaybackTest : public guitest::GuiTest {
protected:
    PlaybackTest()
        : m_driver("SDL_AUDIODRIVER", "disk"),
          m_file("SDL_DISKAUDIOFILE", m_heard.File("heard.raw")),
          // Real time: a faster device would leave a busy test machine too
          // little time to hand over the next block.
          m_delay("SDL_DISKAUDIODELAY", std::nullopt) {
        m_frame = new wxFrame(nullptr, wxID_ANY, "playback", wxPoint(20, 20), wxSize(700, 360));
        m_view = new wxPanel(m_frame);
        m_control = new CWaveControl(m_view, wxID_ANY);
        m_control->SetSize(0, 0, 680, 300);
        m_playback = std::make_unique<ViewPlayback>(*m_view, *m_control, [] { return true; });
        // Never shown: painting would only slow down the hand-over of blocks
        // on a busy X server, and nothing here looks at pixels.
        Pump(50ms);
    }
    ~PlaybackTest() override {
        m_playback->StopPlayback();
        m_playback.reset();
        m_control->ReleaseRecording();
        m_frame->Destroy();
        Pump(20ms);
    }

    void Show(const std::vector<int16_t>& samples, int channels) {
        m_recording.Show(*m_control, samples, channels, "play.wav");
    }

    void Command(uint32_t id) {
        wxCommandEvent event(wxEVT_MENU, ui::WxId(id));
        m_view->GetEventHandler()->ProcessEvent(event);
    }

    bool Enabled(uint32_t id) {
        wxUpdateUIEvent event(ui::WxId(id));
        m_view->GetEventHandler()->ProcessEvent(event);
        return event.GetEnabled();
    }

    // Pumps until playback is over, then closes the output so that the disk
    // driver has written everything.
    void PlayToTheEnd() {
        ASSERT_TRUE(PumpUntil([&] { return !m_playback->IsPlaying(); }, 30000ms));
        Pump(100ms);
        m_control->Output().Close();
    }

    // What was heard, from the first to the last sound.
    std::vector<int16_t> Heard(int channels) {
        const std::vector<uint8_t> bytes = testsupport::ReadBytes(m_heard.File("heard.raw"));
        std::vector<int16_t> all(bytes.size() / 2);
        std::memcpy(all.data(), bytes.data(), all.size() * 2);
        const auto first = std::find_if(all.begin(), all.end(), [](int16_t s) { return s != 0; });
        if (first == all.end()) {
            return {};
        }
        const auto last = std::find_if(all.rbegin(), all.rend(), [](int16_t s) { return s != 0; });
        const auto from = (first - all.begin()) / channels * channels;
        const auto to = ((last.base() - all.begin()) + channels - 1) / channels * channels;
        return std::vector<int16_t>(all.begin() + from, all.begin() + to);
    }

    testsupport::TempFolder m_heard;
    ScopedEnv m_driver;
    ScopedEnv m_file;
    ScopedEnv m_delay;
    guitest::WaveTestRecording m_recording;
    wxFrame* m_frame = nullptr;
    wxPanel* m_view = nullptr;
    CWaveControl* m_control = nullptr;
    std::unique_ptr<ViewPlayback> m_playback;
};

TEST_F(PlaybackTest, MemoryModePlaysTheWholeRecordingOnce) {
    const auto recording = Ramp(12000, 1);
    Show(recording, 1);
    ASSERT_FALSE(m_recording.File().IsMapped());
    EXPECT_TRUE(Enabled(res::ID_PLAY));
    EXPECT_FALSE(Enabled(res::ID_STOP));
    Command(res::ID_PLAY);
    EXPECT_TRUE(m_playback->IsPlaying());
    EXPECT_FALSE(Enabled(res::ID_PLAY));
    EXPECT_TRUE(Enabled(res::ID_PAUSE));
    // The cursor follows what is heard.
    EXPECT_TRUE(PumpUntil([&] { return m_control->CursorFrame() > 0; }, 2000ms));
    PlayToTheEnd();
    EXPECT_TRUE(Enabled(res::ID_PLAY));
    EXPECT_EQ(Heard(1), recording);
}

TEST_F(PlaybackTest, SelectionOfMoreThanAHundredFramesPlaysAlone) {
    const auto recording = Ramp(8000, 2);
    Show(recording, 2);
    auto& selection = m_control->Selection();
    selection.Begin(3000);
    selection.DragTo(3100);  // 101 frames
    Command(res::ID_PLAY);
    PlayToTheEnd();
    EXPECT_EQ(Heard(2), Frames(recording, 2, 3000, 101));
}

TEST_F(PlaybackTest, SelectionOfAHundredFramesPlaysEverything) {
    const auto recording = Ramp(6000, 1);
    Show(recording, 1);
    auto& selection = m_control->Selection();
    selection.Begin(3000);
    selection.DragTo(3099);  // 100 frames
    Command(res::ID_PLAY);
    PlayToTheEnd();
    EXPECT_EQ(Heard(1), recording);
}

TEST_F(PlaybackTest, MappedModeStreamsEveryFrameOnceWithoutGaps) {
    // Blocks of two seconds: a hand-over later than that would leave a gap.
    ScopedEnv budget("HUSHDESK_MEMORY_BUDGET", "4096");
    const auto recording = Ramp(2 * 32000 + 777, 2);
    Show(recording, 2);
    ASSERT_TRUE(m_recording.File().IsMapped());
    m_playback->SetBlockFrames(32000);
    Command(res::ID_PLAY);
    EXPECT_TRUE(m_playback->IsPlaying());
    PlayToTheEnd();
    EXPECT_EQ(m_playback->StreamState(), uimodel::BlockStream::State::Idle);
    const auto heard = Heard(2);
    EXPECT_TRUE(heard == recording) << FirstDifference(heard, recording);
}

TEST_F(PlaybackTest, MappedModeSmallBlocksEndingOnABlockBoundary) {
    // Four whole blocks of a quarter second: the last block ends exactly at
    // the end of the recording, and no empty block follows it.
    ScopedEnv budget("HUSHDESK_MEMORY_BUDGET", "4096");
    const auto recording = Ramp(4 * 4096, 1);
    Show(recording, 1);
    ASSERT_TRUE(m_recording.File().IsMapped());
    m_playback->SetBlockFrames(4096);
    Command(res::ID_PLAY);
    EXPECT_TRUE(m_playback->IsPlaying());
    PlayToTheEnd();
    EXPECT_EQ(m_playback->StreamState(), uimodel::BlockStream::State::Idle);
    const auto heard = Heard(1);
    EXPECT_TRUE(heard == recording) << FirstDifference(heard, recording);
}

TEST_F(PlaybackTest, MappedModeSelectionPlaysFromTheCursor) {
    ScopedEnv budget("HUSHDESK_MEMORY_BUDGET", "4096");
    const uint32_t frames = 3 * 4096;
    const auto recording = Ramp(frames, 1);
    Show(recording, 1);
    m_playback->SetBlockFrames(4096);
    m_control->Selection().Begin(100);
    m_control->Selection().DragTo(900);
    m_control->SetCursorFrame(frames - 10);
    Command(res::ID_PLAY);
    PlayToTheEnd();
    EXPECT_EQ(Heard(1), Frames(recording, 1, frames - 10, 10));
}

TEST_F(PlaybackTest, StopEndsStreamingForGood) {
    ScopedEnv budget("HUSHDESK_MEMORY_BUDGET", "4096");
    const auto recording = Ramp(16000 * 2, 1);
    Show(recording, 1);
    m_playback->SetBlockFrames(4096);
    Command(res::ID_PLAY);
    ASSERT_TRUE(PumpUntil([&] { return m_control->CursorFrame() > 4096; }, 5000ms));
    Command(res::ID_STOP);
    EXPECT_FALSE(m_playback->IsPlaying());
    EXPECT_EQ(m_playback->StreamState(), uimodel::BlockStream::State::Idle);
    // Requests already on their way restart nothing.
    Pump(400ms);
    EXPECT_FALSE(m_playback->IsPlaying());
    m_control->Output().Close();
    auto heard = Heard(1);
    heard.erase(std::remove(heard.begin(), heard.end(), 0), heard.end());
    ASSERT_FALSE(heard.empty());
    EXPECT_LT(heard.size(), recording.size());
    EXPECT_TRUE(std::equal(heard.begin(), heard.end(), recording.begin()));
}

TEST_F(PlaybackTest, PauseContinueAndPlayFromCursor) {
    const auto recording = Ramp(16000 * 3 / 2, 1);
    Show(recording, 1);
    EXPECT_FALSE(Enabled(res::ID_PAUSE));
    Command(res::ID_PAUSE);  // nothing to pause
    EXPECT_FALSE(m_playback->IsPaused());
    Command(res::ID_PLAY);
    Pump(100ms);
    ASSERT_TRUE(m_playback->IsPlaying());
    Command(res::ID_PAUSE);
    EXPECT_TRUE(m_playback->IsPaused());
    EXPECT_FALSE(m_playback->IsPlaying());
    EXPECT_FALSE(Enabled(res::ID_PLAY_FROM_CURSOR));
    EXPECT_TRUE(Enabled(res::ID_PLAY));
    Command(res::ID_PLAY);  // continues
    EXPECT_TRUE(m_playback->IsPlaying());
    EXPECT_FALSE(m_playback->IsPaused());
    PlayToTheEnd();
    // Paused silence aside, every frame once, in order.
    std::vector<int16_t> heard = Heard(1);
    heard.erase(std::remove(heard.begin(), heard.end(), 0), heard.end());
    EXPECT_EQ(heard, recording);
}

TEST_F(PlaybackTest, TheViewFollowsPlaybackOnceTheCursorPassesTheMiddle) {
    Show(Ramp(16000 * 3, 1), 1);
    while (m_control->Window().visible > 4000) {
        m_control->ZoomIn();
    }
    m_control->ScrollToFrame(0);
    Command(res::ID_PLAY);
    // Within the first half nothing scrolls; past it the window moves on.
    ASSERT_TRUE(PumpUntil([&] { return m_control->Window().first > 0; }, 5000ms));
    EXPECT_GT(m_control->CursorFrame(), m_control->Window().visible / 2);
    EXPECT_GE(m_control->CursorFrame(), m_control->Window().first);
    EXPECT_LT(m_control->CursorFrame(), m_control->Window().End());
    m_playback->Stop();
}

TEST_F(PlaybackTest, PlayFromCursorStartsThere) {
    const auto recording = Ramp(9000, 2);
    Show(recording, 2);
    m_control->SetCursorFrame(8000);
    EXPECT_TRUE(Enabled(res::ID_PLAY_FROM_CURSOR));
    Command(res::ID_PLAY_FROM_CURSOR);
    PlayToTheEnd();
    EXPECT_EQ(Heard(2), Frames(recording, 2, 8000, 1000));
}

TEST_F(PlaybackTest, SpaceTogglesPlayAndPause) {
    Show(Ramp(16000 * 2, 1), 1);
    wxKeyEvent space(wxEVT_CHAR_HOOK);
    space.m_keyCode = WXK_SPACE;
    space.SetEventObject(m_control);
    m_control->GetEventHandler()->ProcessEvent(space);
    EXPECT_TRUE(m_playback->IsPlaying());
    m_control->GetEventHandler()->ProcessEvent(space);
    EXPECT_TRUE(m_playback->IsPaused());
    m_control->GetEventHandler()->ProcessEvent(space);
    EXPECT_TRUE(m_playback->IsPlaying());
}

TEST_F(PlaybackTest, ReleasingWhilePausedStopsFirst) {
    Show(Ramp(16000 * 2, 1), 1);
    Command(res::ID_PLAY);
    Pump(50ms);
    Command(res::ID_PAUSE);
    // What Close does: stop the output, then let the samples go.
    m_playback->StopPlayback();
    m_control->ReleaseRecording();
    m_recording.File().Close();
    EXPECT_FALSE(Enabled(res::ID_PLAY));
    EXPECT_FALSE(Enabled(res::ID_PAUSE));
    Command(res::ID_PLAY);
    Command(res::ID_PAUSE);
    Pump(100ms);
    EXPECT_FALSE(m_playback->IsPlaying());
}

TEST_F(PlaybackTest, ARefusedBlockStopsPlaybackWithOneMessage) {
    ScopedEnv budget("HUSHDESK_MEMORY_BUDGET", "4096");
    Show(Ramp(16000 * 2, 1), 1);
    m_playback->SetBlockFrames(4096);
    Command(res::ID_PLAY);
    ASSERT_TRUE(m_playback->IsPlaying());
    // The device goes away under the playback; its next request for a block
    // then finds nobody to take it.
    CSoundOutputMME& output = m_control->Output();
    platform::MessageTarget* target = output.m_pNotifyTarget;
    ASSERT_NE(target, nullptr);
    output.Close();
    target->Post(res::WM_PLAY_NEXT_BLOCK, output.Serial(), 0);
    ASSERT_TRUE(PumpUntil([&] { return !m_boxes.Boxes().empty(); }));
    Pump(100ms);
    EXPECT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, res::LoadPair(res::IDS_PLAYBACK_REFUSED, true));
    EXPECT_FALSE(m_playback->IsPlaying());
    EXPECT_EQ(m_playback->StreamState(), uimodel::BlockStream::State::Idle);
    EXPECT_TRUE(Enabled(res::ID_PLAY));
}

TEST_F(PlaybackTest, WithoutASoundDeviceTheProgramSaysSoOnce) {
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    Show(Ramp(1000, 1), 1);
    Command(res::ID_PLAY);
    Command(res::ID_PLAY);
    EXPECT_FALSE(m_playback->IsPlaying());
    const auto boxes = m_boxes.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, res::LoadPair(res::IDS_NO_AUDIO_DEVICE, true));
}

}  // namespace
