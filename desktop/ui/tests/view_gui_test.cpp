// The whole program with a recording open: the waveform in the view, the
// playback commands through the frame's menus, Close while paused, and
// screenshots of mono and stereo recordings at several zoom levels.
#include <wx/frame.h>
#include <wx/uiaction.h>

#include <cmath>

#include "CMainFrame.h"
#include "CQuellixApp.h"
#include "CQuellixDoc.h"
#include "CQuellixView.h"
#include "CWaveControl.h"
#include "GuiTest.h"
#include "PipelineTestSupport.h"
#include "ViewPlayback.h"
#include "WxIds.h"
#include "resources/resource.h"

namespace {

using namespace std::chrono_literals;
using guitest::Pump;
using guitest::PumpUntil;

// Speech-like: bursts of two tones that come and go.
std::vector<int16_t> Bursts(uint32_t frames, double hz) {
    std::vector<int16_t> samples(frames);
    for (uint32_t f = 0; f < frames; ++f) {
        const double t = f / 16000.0;
        const double envelope = std::max(0.0, std::sin(t * 2.3)) * (0.6 + 0.4 * std::sin(t * 9.1));
        samples[f] = static_cast<int16_t>(
            14000.0 * envelope *
            (std::sin(2 * M_PI * hz * t) + 0.3 * std::sin(2 * M_PI * 3.1 * hz * t)) / 1.3);
    }
    return samples;
}

class ViewTest : public guitest::GuiTest {
protected:
    ViewTest() {
        m_frame = &StartProgram();
        m_frame->SetSize(wxRect(10, 10, 1000, 600));
        Pump(100ms);
    }
    CQuellixDoc& Doc() { return *App().GetDocument(); }
    CQuellixView& View() { return *m_frame->GetView(); }
    CWaveControl& Wave() { return View().WaveControl(); }

    std::string Write(const std::string& name, const std::vector<int16_t>& samples, int channels) {
        const std::string path = m_data.File(name);
        EXPECT_TRUE(testsupport::WritePcmWav(path, 16000, channels, samples));
        return path;
    }

    void Command(uint32_t id) {
        wxCommandEvent event(wxEVT_MENU, ui::WxId(id));
        m_frame->GetEventHandler()->ProcessEvent(event);
        Pump(20ms);
    }

    bool Enabled(uint32_t id) {
        wxUpdateUIEvent event(ui::WxId(id));
        m_frame->GetEventHandler()->ProcessEvent(event);
        return event.GetEnabled();
    }

    void Screenshots(const std::string& prefix) {
        const uint32_t total = Wave().Window().total;
        Wave().Selection().Begin(total / 3);
        Wave().Selection().DragTo(total / 3 + total / 10);
        Wave().SetCursorFrame(total / 3);
        Wave().Refresh();
        guitest::SaveScreenshot(*m_frame, prefix + "_whole");
        for (int step = 1; step <= 12; ++step) {
            Wave().ZoomIn();
            if (step == 3 || step == 7 || step == 12) {
                Wave().ScrollToFrame(total / 3 - Wave().Window().visible / 4);
                guitest::SaveScreenshot(*m_frame, prefix + "_zoom" + std::to_string(step));
            }
        }
        while (Wave().Window().visible > 40) {
            Wave().ZoomIn();
        }
        guitest::SaveScreenshot(*m_frame, prefix + "_samples");
    }

    testsupport::TempFolder m_data;
    CMainFrame* m_frame = nullptr;
};

TEST_F(ViewTest, MonoAndStereoRecordingsInTheView) {
    ASSERT_TRUE(Doc().OpenPath(Write("mono.wav", Bursts(16000 * 12, 220), 1)));
    ASSERT_TRUE(View().HasStrips());
    EXPECT_EQ(Wave().BandTop(), 16);
    EXPECT_TRUE(Enabled(res::ID_PLAY));
    EXPECT_TRUE(Enabled(res::ID_ZOOM_IN));
    EXPECT_FALSE(Enabled(res::ID_STOP));
    Screenshots("view_mono");

    const auto left = Bursts(16000 * 8, 180);
    const auto right = Bursts(16000 * 8, 330);
    ASSERT_TRUE(Doc().OpenPath(Write("stereo.wav", testsupport::Interleave(left, right), 2)));
    ASSERT_TRUE(View().HasChannel1Strip());
    // A new recording starts whole, with no selection from the last one.
    EXPECT_FALSE(Wave().Selection().Shown());
    EXPECT_EQ(Wave().Window(), uimodel::WholeRecording(16000 * 8));
    Screenshots("view_stereo");
}

TEST_F(ViewTest, PlayPauseStopThroughTheMenus) {
    ASSERT_TRUE(Doc().OpenPath(Write("play.wav", Bursts(16000 * 4, 220), 1)));
    Command(res::ID_PLAY);
    EXPECT_TRUE(View().IsPlaying());
    EXPECT_FALSE(Enabled(res::ID_FILE_OPEN));
    EXPECT_FALSE(Enabled(res::ID_FILE_CLOSE));
    EXPECT_TRUE(PumpUntil([&] { return Wave().CursorFrame() > 0; }, 2000ms));
    Command(res::ID_PAUSE);
    EXPECT_TRUE(View().IsPaused());
    EXPECT_FALSE(Enabled(res::ID_PLAY_FROM_CURSOR));
    Command(res::ID_PAUSE);
    EXPECT_TRUE(View().IsPlaying());
    Command(res::ID_STOP);
    EXPECT_FALSE(View().IsPlaying());
    EXPECT_FALSE(View().IsPaused());
    EXPECT_TRUE(Enabled(res::ID_PLAY_FROM_CURSOR));
}

TEST_F(ViewTest, SpaceKeyPlaysPausesAndContinues) {
    ASSERT_TRUE(Doc().OpenPath(Write("space.wav", Bursts(16000 * 4, 220), 1)));
    wxUIActionSimulator keys;
    // Keys reach the frame under Xvfb only while the pointer is over it.
    keys.MouseMove(m_frame->GetScreenRect().GetPosition() + wxPoint(300, 300));
    m_frame->Raise();
    Wave().SetFocus();
    Pump(200ms);
    keys.Char(WXK_SPACE);
    ASSERT_TRUE(PumpUntil([&] { return View().IsPlaying(); }, 2000ms));
    keys.Char(WXK_SPACE);
    ASSERT_TRUE(PumpUntil([&] { return View().IsPaused(); }, 2000ms));
    EXPECT_FALSE(View().IsPlaying());
    keys.Char(WXK_SPACE);
    EXPECT_TRUE(PumpUntil([&] { return View().IsPlaying(); }, 2000ms));
    Command(res::ID_STOP);
}

TEST_F(ViewTest, CloseWhilePausedStopsThePlaybackFirst) {
    ASSERT_TRUE(Doc().OpenPath(Write("close.wav", Bursts(16000 * 4, 220), 1)));
    Command(res::ID_PLAY);
    Pump(100ms);
    Command(res::ID_PAUSE);
    ASSERT_TRUE(View().IsPaused());
    // Close runs while paused: the output must not read the freed samples.
    Command(res::ID_FILE_CLOSE);
    EXPECT_FALSE(View().HasStrips());
    EXPECT_FALSE(View().IsPaused());
    EXPECT_FALSE(Enabled(res::ID_PLAY));
    Command(res::ID_PLAY);
    Command(res::ID_PAUSE);
    Pump(200ms);
    EXPECT_FALSE(View().IsPlaying());
}

TEST_F(ViewTest, PerformIsRefusedWhilePaused) {
    ASSERT_TRUE(Doc().OpenPath(Write("paused.wav", Bursts(16000 * 4, 220), 1)));
    const int16_t before = Doc().SoundFile().GetSample(0, 16000);
    Command(res::ID_PLAY);
    Command(res::ID_PAUSE);
    ASSERT_TRUE(View().IsPaused());
    EXPECT_FALSE(Enabled(res::ID_NOISE_CLEAN));
    // Sent directly, past the disabled menu item: the command checks again.
    Command(res::ID_NOISE_CLEAN);
    EXPECT_EQ(Doc().m_nCleanPasses, 0u);
    EXPECT_EQ(Doc().SoundFile().GetSample(0, 16000), before);
    EXPECT_TRUE(View().IsPaused());
    Command(res::ID_STOP);
}

TEST_F(ViewTest, PlayingASelectionWhilePausedStartsItAfresh) {
    ASSERT_TRUE(Doc().OpenPath(Write("select.wav", Bursts(16000 * 4, 220), 1)));
    ASSERT_FALSE(Doc().IsMappedMode());
    // Most of the recording, so that it still plays when paused on a busy
    // machine.
    Wave().Selection().Begin(8000);
    Wave().Selection().DragTo(63000);
    Command(res::ID_PLAY);
    ASSERT_TRUE(PumpUntil([&] { return Wave().CursorFrame() > 8000; }, 2000ms));
    Command(res::ID_PAUSE);
    ASSERT_TRUE(View().IsPaused());
    const uint32_t opened = Wave().Output().OpenCount();
    Command(res::ID_PLAY);
    EXPECT_TRUE(View().IsPlaying());
    EXPECT_FALSE(View().IsPaused());
    // The same device, reset and started on the selection again.
    EXPECT_EQ(Wave().Output().OpenCount(), opened);
    EXPECT_GE(Wave().CursorFrame(), 8000u);
    EXPECT_LE(Wave().CursorFrame(), 63000u);
    Command(res::ID_STOP);
}

TEST_F(ViewTest, ExitWhilePlayingOrPausedStopsTheOutputFirst) {
    for (const bool paused : {false, true}) {
        SCOPED_TRACE(paused);
        if (m_frame == nullptr) {
            m_frame = &StartProgram();
        }
        ASSERT_TRUE(Doc().OpenPath(Write("exit.wav", Bursts(16000 * 4, 220), 1)));
        Command(res::ID_PLAY);
        ASSERT_TRUE(PumpUntil([&] { return Wave().CursorFrame() > 0; }, 2000ms));
        if (paused) {
            Command(res::ID_PAUSE);
            ASSERT_TRUE(View().IsPaused());
        }
        // The samples go with the document; the output must be silent first
        // (the address sanitizer sees any read after that).
        StopProgram();
        m_frame = nullptr;
        Pump(200ms);
    }
}

TEST_F(ViewTest, DraggingTheScrollBarThumbScrolls) {
    ASSERT_TRUE(Doc().OpenPath(Write("scroll.wav", Bursts(16000 * 20, 220), 1)));
    for (int i = 0; i < 4; ++i) {
        Wave().ZoomIn();
    }
    Wave().ScrollToFrame(0);
    Pump(100ms);
    ASSERT_TRUE(Wave().ScrollBarShown());
    const wxRect bar = Wave().ScrollBarWindow()->GetScreenRect();
    const int thumb =
        static_cast<int>(int64_t{bar.width} * Wave().Window().visible / Wave().Window().total);
    const wxPoint from(bar.x + thumb / 2, bar.y + bar.height / 2);
    const wxPoint to(bar.x + bar.width / 2, from.y);
    wxUIActionSimulator mouse;
    mouse.MouseMove(from);
    Pump(50ms);
    mouse.MouseDown();
    Pump(50ms);
    for (int step = 1; step <= 4; ++step) {
        mouse.MouseMove(from + (to - from) * step / 4);
        Pump(50ms);
    }
    mouse.MouseUp();
    Pump(100ms);
    const uint32_t total = Wave().Window().total;
    EXPECT_GT(Wave().Window().first, total / 5) << "first " << Wave().Window().first;
    EXPECT_LT(Wave().Window().first, total * 4 / 5);
}

}  // namespace
