// The document's commands under Xvfb: opening recordings of every accepted
// format and refusing others, cleaning with the progress dialog (finished,
// cancelled, failed), the mapped working copy's lifetime, Save Cleaned As,
// the question before a cleaned result is discarded, and dropped files.
#include <sys/resource.h>
#include <sys/stat.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/gauge.h>
#include <wx/modalhook.h>
#include <wx/radiobut.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "CMainFrame.h"
#include "CProgressDlg.h"
#include "CQuellixApp.h"
#include "CQuellixDoc.h"
#include "CQuellixView.h"
#include "GuiTest.h"
#include "PipelineTestSupport.h"
#include "UiText.h"
#include "WxIds.h"
#include "pipeline/SettingsStore.h"
#include "platform/Registry.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "uimodel/FileInformation.h"

namespace {

namespace fs = std::filesystem;
using guitest::Pump;
using guitest::PumpUntil;
using testsupport::ScopedEnv;

void SendCommand(wxWindow& frame, uint32_t command) {
    wxCommandEvent event(wxEVT_MENU, ui::WxId(command));
    event.SetEventObject(&frame);
    frame.GetEventHandler()->ProcessEvent(event);
}

// Counts the progress dialogs that open, and lets them run.
class ProgressDialogSpy : public wxModalDialogHook {
public:
    ProgressDialogSpy() { Register(); }
    ~ProgressDialogSpy() override { Unregister(); }
    int Enter(wxDialog* dialog) override {
        if (dynamic_cast<CProgressDlg*>(dialog) != nullptr) {
            ++opened;
        }
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {}
    int opened = 0;
};

// A tone over noise, so that cleaning visibly changes it.
std::vector<int16_t> NoisyTone(uint32_t frames, int rate, int channels, uint32_t seed) {
    std::vector<std::vector<int16_t>> channelSamples;
    for (int c = 0; c < channels; ++c) {
        std::vector<int16_t> tone = testsupport::Tone(frames, 440.0 + 220 * c, rate, 5000.0);
        const std::vector<int16_t> noise = testsupport::Noise(frames, seed + c, 1500);
        for (uint32_t i = 0; i < frames; ++i) {
            tone[i] = static_cast<int16_t>(tone[i] + noise[i]);
        }
        channelSamples.push_back(tone);
    }
    return channels == 2 ? testsupport::Interleave(channelSamples[0], channelSamples[1])
                         : channelSamples[0];
}

class SlowEngine final : public IVelquor {
public:
    explicit SlowEngine(IVelquor* engine) : m_engine(engine) {}
    int32_t Init(int32_t rate) override { return m_engine->Init(rate); }
    int32_t Process(const int16_t* input, int16_t* output, int32_t count) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return m_engine->Process(input, output, count);
    }
    void Release() override {
        m_engine->Release();
        delete this;
    }
    int32_t GetNoiseSuppression() override { return m_engine->GetNoiseSuppression(); }
    int32_t GetGainMaxDb() override { return m_engine->GetGainMaxDb(); }
    int32_t GetSpectrumCorrection() override { return m_engine->GetSpectrumCorrection(); }
    int32_t GetWhiteNoise() override { return m_engine->GetWhiteNoise(); }
    int32_t GetToneCleaning() override { return m_engine->GetToneCleaning(); }
    int32_t SetNoiseSuppression(int32_t on) override { return m_engine->SetNoiseSuppression(on); }
    int32_t SetGainMaxDb(int32_t db) override { return m_engine->SetGainMaxDb(db); }
    int32_t SetSpectrumCorrection(int32_t on) override {
        return m_engine->SetSpectrumCorrection(on);
    }
    int32_t SetWhiteNoise(int32_t on) override { return m_engine->SetWhiteNoise(on); }
    int32_t SetToneCleaning(int32_t on) override { return m_engine->SetToneCleaning(on); }

private:
    ~SlowEngine() = default;
    IVelquor* m_engine;
};

class DocumentTest : public guitest::GuiTest {
protected:
    CMainFrame& Start() {
        CMainFrame& frame = StartProgram();
        m_frame = &frame;
        return frame;
    }
    CQuellixDoc& Doc() { return *App().GetDocument(); }
    CQuellixView& View() { return *m_frame->GetView(); }
    std::string Pane(int index) {
        m_frame->RefreshFromDocument();
        return m_frame->GetStatusBar()->GetStatusText(index).utf8_string();
    }

    std::string Write(const std::string& name, int format, int rate, int channels,
                      uint32_t frames) {
        const std::string path = m_data.File(name);
        EXPECT_TRUE(testsupport::WriteWav(path, format, rate, channels,
                                          NoisyTone(frames, rate, channels, 7)));
        return path;
    }

    // The recording's samples as the document holds them now.
    std::vector<int16_t> DocumentSamples() {
        CSoundFile& file = Doc().SoundFile();
        std::vector<int16_t> samples;
        for (uint32_t f = 0; f < file.Frames(); ++f) {
            for (uint32_t c = 0; c < file.Channels(); ++c) {
                samples.push_back(file.GetSample(static_cast<int32_t>(c), f));
            }
        }
        return samples;
    }

    // What hushdesk-clean writes for `input` with the same (default) settings,
    // or with `options` added.
    std::string BatchClean(const std::string& input, const std::string& options = {}) {
        const std::string output = input + ".batch.wav";
        const std::string command = std::string("'") + HUSHDESK_CLEAN_PATH + "' -q -f " + options +
                                    " '" + input + "' '" + output + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return output;
    }

    enum class CancelBy { Button, Escape, CloseBox };

    // Cancels the next progress dialog once its bar has moved, noting what it
    // showed and saving a screenshot.
    void CancelNextProgressDialog(const std::string& screenshot = {},
                                  CancelBy by = CancelBy::Button) {
        m_caption.clear();
        m_button.clear();
        guitest::WhenModalDialogOpens([this, screenshot, by](wxDialog& dialog) {
            auto& progress = dynamic_cast<CProgressDlg&>(dialog);
            EXPECT_TRUE(PumpUntil([&] { return progress.Bar().GetValue() > 0; }));
            m_caption = dialog.GetTitle().utf8_string();
            m_button = progress.CancelButton().GetLabel().utf8_string();
            if (!screenshot.empty()) {
                EXPECT_TRUE(guitest::SaveScreenshot(dialog, screenshot));
            }
            if (by == CancelBy::Escape) {
                wxKeyEvent key(wxEVT_CHAR_HOOK);
                key.m_keyCode = WXK_ESCAPE;
                dialog.GetEventHandler()->ProcessEvent(key);
            } else if (by == CancelBy::CloseBox) {
                EXPECT_FALSE(dialog.Close());  // vetoed: it closes once the job has ended
            } else {
                guitest::PressButton(dialog, progress.CancelButton().GetId());
            }
        });
    }

    // The real engine, slowed down so that a cleaning is still running when
    // a test acts on its dialog.
    void UseSlowEngine() {
        Doc().createEngine = [] { return new SlowEngine(CreateVelquor()); };
    }

    std::string m_caption;
    std::string m_button;
    testsupport::TempFolder m_data;
    CMainFrame* m_frame = nullptr;
};

TEST_F(DocumentTest, OpensEveryAcceptedFormatWithTitleInformationAndPanes) {
    struct Case {
        const char* name;
        int format;
        int rate;
        int channels;
    };
    const Case cases[] = {
        {"stereo.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 2},
        {"alaw.wav", SF_FORMAT_WAV | SF_FORMAT_ALAW, 8000, 1},
        {"ulaw.wav", SF_FORMAT_WAV | SF_FORMAT_ULAW, 16000, 1},
        {"narrow.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1},
    };
    Start();
    ProgressDialogSpy spy;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write(c.name, c.format, c.rate, c.channels, 150000);
        ASSERT_TRUE(Doc().OpenPath(path));
        EXPECT_EQ(m_frame->GetTitle().utf8_string(), std::string(c.name) + " - Hushdesk");
        wxString expected =
            ui::Wx(uimodel::FileInformationText(path, c.rate, 150000, c.channels, true));
        expected.Replace("\r\n", "\n");
        EXPECT_EQ(View().InfoBox().GetValue(), expected);
        EXPECT_EQ(Pane(7), "Noise-Clean Passed:  0");
        EXPECT_TRUE(View().HasStrips());
        EXPECT_EQ(View().HasChannel1Strip(), c.channels == 2);
        EXPECT_TRUE(Doc().CanPerform());
        EXPECT_TRUE(Doc().CanClose());
        // Nothing cleaned yet: a "cleaned" copy would be the original.
        EXPECT_FALSE(Doc().CanSaveCleaned());
    }
    EXPECT_EQ(spy.opened, 4);
    EXPECT_TRUE(guitest::SaveScreenshot(*m_frame, "document-open-english"));
}

TEST_F(DocumentTest, AForeignRateIsRefusedWithTheFormatBoxAndNothingStaysOpen) {
    Start();
    const std::string good = Write("good.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 1, 16000);
    const std::string music = Write("music.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 4410);
    ASSERT_TRUE(Doc().OpenPath(good));
    for (const bool english : {true, false}) {
        Doc().m_bEnglish = english ? 1 : 0;
        const size_t before = m_boxes.Boxes().size();
        EXPECT_FALSE(Doc().OpenPath(music));
        const auto boxes = m_boxes.Boxes();
        ASSERT_EQ(boxes.size(), before + 1);
        EXPECT_EQ(boxes.back().text,
                  res::LoadText(english ? res::IDS_ERR_FORMAT_EN : res::IDS_ERR_FORMAT_RU));
        EXPECT_EQ(boxes.back().caption, "Hushdesk");
        EXPECT_TRUE(boxes.back().style & wxICON_ERROR);
        EXPECT_TRUE(Doc().m_strPath.empty());
        EXPECT_FALSE(View().HasStrips());
        EXPECT_TRUE(View().InfoBox().GetValue().empty());
        EXPECT_EQ(m_frame->GetTitle().utf8_string(), "Hushdesk");
        EXPECT_FALSE(Doc().CanPerform());
        EXPECT_FALSE(Doc().CanSaveCleaned());
    }
}

TEST_F(DocumentTest, TheSpeechModeCleansAsTheBatchCleanersSpeechMode) {
    platform::RegWriteDword(platform::RegRoot::CurrentUser, kSettingsKeyPath, "SpeechMode", 1);
    Start();
    const std::string path = Write("talk.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 2, 40000);
    ASSERT_TRUE(Doc().OpenPath(path));
    SendCommand(*m_frame, res::ID_NOISE_CLEAN);
    EXPECT_TRUE(Doc().m_settings.speechMode);
    const std::vector<int16_t> cleaned = DocumentSamples();
    EXPECT_EQ(cleaned, testsupport::ReadAllSamples(BatchClean(path, "--estimator speech")));
    EXPECT_NE(cleaned, testsupport::ReadAllSamples(BatchClean(path)));
}

TEST_F(DocumentTest, MissingFilesAndPipesGetTheUnreadableBoxWithoutHanging) {
    Start();
    const std::string pipe = m_data.File("pipe.wav");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    for (const bool english : {true, false}) {
        Doc().m_bEnglish = english ? 1 : 0;
        for (const std::string& path : {m_data.File("missing.wav"), pipe}) {
            SCOPED_TRACE(path);
            const size_t before = m_boxes.Boxes().size();
            EXPECT_FALSE(Doc().OpenPath(path));
            const auto boxes = m_boxes.Boxes();
            ASSERT_EQ(boxes.size(), before + 1);
            EXPECT_EQ(boxes.back().text, res::LoadPair(res::kTextUnreadable, english));
            EXPECT_NE(boxes.back().text, res::LoadText(res::IDS_ERR_FORMAT_EN));
            EXPECT_TRUE(Doc().m_strPath.empty());
            EXPECT_FALSE(View().HasStrips());
        }
    }
}

TEST_F(DocumentTest, CleaningGivesTheBatchCleanersSamplesAndFollowsAfterNc) {
    Start();
    ProgressDialogSpy spy;
    const std::string path = Write("speech.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 2, 48000);
    ASSERT_TRUE(Doc().OpenPath(path));
    const std::vector<int16_t> original = DocumentSamples();
    SendCommand(*m_frame, res::ID_NOISE_CLEAN);
    EXPECT_EQ(spy.opened, 2);  // loading, cleaning

    const std::vector<int16_t> cleaned = DocumentSamples();
    EXPECT_NE(cleaned, original);
    EXPECT_EQ(cleaned, testsupport::ReadAllSamples(BatchClean(path)));
    EXPECT_EQ(Doc().m_nCleanPasses, 1u);
    EXPECT_EQ(Pane(7), "Noise-Clean Passed:  1");
    EXPECT_TRUE(View().HasStrips());
    EXPECT_EQ(m_frame->GetTitle().utf8_string(), "speech.wav - Hushdesk");

    // AfterNC 0: a second pass is refused, also when the command arrives
    // without the update handlers (a stale toolbar click, Ctrl+E).
    EXPECT_FALSE(Doc().CanPerform());
    SendCommand(*m_frame, res::ID_NOISE_CLEAN);
    EXPECT_EQ(spy.opened, 2);
    EXPECT_EQ(DocumentSamples(), cleaned);

    // Settings with "Enable Recleaning" allow it again.
    guitest::WhenModalDialogOpens([](wxDialog& dialog) {
        auto* enable =
            dynamic_cast<wxRadioButton*>(dialog.FindWindow(ui::WxId(res::IDC_ENABLE_RECLEANING)));
        ASSERT_NE(enable, nullptr);
        enable->SetValue(true);
        guitest::PressButton(dialog, wxID_OK);
    });
    SendCommand(*m_frame, res::ID_NOISE_SETTINGS);
    EXPECT_EQ(Doc().m_settings.afterNc, 1);
    EXPECT_TRUE(Doc().CanPerform());
    SendCommand(*m_frame, res::ID_NOISE_CLEAN);
    EXPECT_EQ(spy.opened, 3);
    EXPECT_EQ(Doc().m_nCleanPasses, 2u);
    EXPECT_TRUE(Doc().CanPerform());
}

TEST_F(DocumentTest, SaveCleanedAsWritesTheBatchCleanersFileAndRefusesTheOpenedOne) {
    Start();
    for (const int format : {SF_FORMAT_PCM_16, SF_FORMAT_ALAW, SF_FORMAT_ULAW}) {
        SCOPED_TRACE(format);
        const std::string path =
            Write("in" + std::to_string(format) + ".wav", SF_FORMAT_WAV | format, 8000, 1, 20000);
        const std::vector<uint8_t> originalBytes = testsupport::ReadBytes(path);
        ASSERT_TRUE(Doc().OpenPath(path));
        SendCommand(*m_frame, res::ID_NOISE_CLEAN);
        ASSERT_TRUE(Doc().m_bUnsavedResult);

        // The opened recording, by its name and through a hard link, is refused.
        const std::string link = path + ".link.wav";
        fs::create_hard_link(path, link);
        for (const std::string& target : {path, link}) {
            const size_t before = m_boxes.Boxes().size();
            EXPECT_FALSE(Doc().SaveCleanedTo(target));
            ASSERT_EQ(m_boxes.Boxes().size(), before + 1);
            EXPECT_EQ(m_boxes.Boxes().back().text, res::LoadPair(res::kTextSaveSameFile, true));
        }
        EXPECT_EQ(testsupport::ReadBytes(path), originalBytes);
        EXPECT_TRUE(Doc().m_bUnsavedResult);

        // A folder that does not exist: the box names the target and the reason.
        const std::string nowhere = m_data.File("missing/out.wav");
        EXPECT_FALSE(Doc().SaveCleanedTo(nowhere));
        const std::string failure = m_boxes.Boxes().back().text;
        EXPECT_EQ(failure.rfind("The cleaned recording could not be saved to\n" + nowhere, 0), 0u)
            << failure;
        EXPECT_GT(failure.size(), 46 + nowhere.size() + 2);
        EXPECT_FALSE(fs::exists(m_data.File("missing")));

        const std::string saved = m_data.File("saved" + std::to_string(format) + ".wav");
        Doc().chooseFile = [&](bool save) { return save ? saved : std::string(); };
        SendCommand(*m_frame, res::ID_FILE_SAVE_CLEANED);
        Doc().chooseFile = nullptr;
        ASSERT_TRUE(fs::exists(saved));
        EXPECT_FALSE(Doc().m_bUnsavedResult);
        SF_INFO savedInfo{};
        SF_INFO batchInfo{};
        const std::vector<int16_t> savedSamples = testsupport::ReadAllSamples(saved, &savedInfo);
        const std::vector<int16_t> batchSamples =
            testsupport::ReadAllSamples(BatchClean(path), &batchInfo);
        EXPECT_EQ(savedSamples, batchSamples);
        EXPECT_EQ(savedInfo.format, batchInfo.format);
        EXPECT_EQ(savedInfo.samplerate, batchInfo.samplerate);
        EXPECT_EQ(savedInfo.channels, batchInfo.channels);
        EXPECT_EQ(savedInfo.format, SF_FORMAT_WAV | format);
        EXPECT_EQ(testsupport::ReadBytes(path), originalBytes);
        // Nothing but the saved file appeared beside it.
        for (const auto& entry : fs::directory_iterator(m_data.Path())) {
            EXPECT_EQ(entry.path().filename().string().find(".hushdesk-"), std::string::npos);
        }
    }
}

TEST_F(DocumentTest, SavingRunsAsAJobThatStopsPlaybackAndCanBeCancelled) {
    Start();
    const std::string path = Write("talk.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 2, 64000);
    {
        // Mapped: the save reads the recording block by block under the lock.
        ScopedEnv budget("HUSHDESK_MEMORY_BUDGET", "16");
        ASSERT_TRUE(Doc().OpenPath(path));
    }
    ASSERT_TRUE(Doc().IsMappedMode());
    EXPECT_FALSE(Doc().CanSaveCleaned());
    SendCommand(*m_frame, res::ID_NOISE_CLEAN);
    EXPECT_TRUE(Doc().CanSaveCleaned());
    const std::vector<int16_t> cleaned = DocumentSamples();

    // Playing: the save stops it first. A name without extension gets ".wav".
    SendCommand(*m_frame, res::ID_PLAY);
    ASSERT_TRUE(View().IsPlaying());
    ProgressDialogSpy spy;
    std::string caption;
    // Held until the dialog has been looked at: the job waits at its first
    // block, so the dialog cannot close before the watcher sees it.
    std::unique_lock firstSave(Doc().Sync().JobLock);
    guitest::WhenModalDialogOpens([&](wxDialog& dialog) {
        EXPECT_FALSE(View().IsPlaying());
        EXPECT_TRUE(PumpUntil([&] { return !dialog.GetTitle().empty(); }));
        caption = dialog.GetTitle().utf8_string();
        firstSave.unlock();
    });
    Doc().chooseFile = [&](bool save) { return save ? m_data.File("plain") : std::string(); };
    SendCommand(*m_frame, res::ID_FILE_SAVE_CLEANED);
    EXPECT_EQ(spy.opened, 1);
    EXPECT_EQ(caption, "Saving...");
    EXPECT_FALSE(fs::exists(m_data.File("plain")));
    EXPECT_EQ(testsupport::ReadAllSamples(m_data.File("plain.wav")), cleaned);
    EXPECT_FALSE(Doc().m_bUnsavedResult);

    // Cancel: the existing target stays as it was and no temporary file stays.
    Doc().m_bCleanAllowed = true;  // a second pass (AfterNC is 0)
    SendCommand(*m_frame, res::ID_NOISE_CLEAN);
    ASSERT_TRUE(Doc().m_bUnsavedResult);
    const std::string target = m_data.File("target.wav");
    { std::ofstream(target) << "keep me"; }
    Doc().m_bEnglish = 0;
    std::unique_lock held(Doc().Sync().JobLock);  // the job waits at its first block
    guitest::WhenModalDialogOpens([&](wxDialog& dialog) {
        EXPECT_TRUE(PumpUntil([&] { return !dialog.GetTitle().empty(); }));
        caption = dialog.GetTitle().utf8_string();
        guitest::PressButton(dialog, dynamic_cast<CProgressDlg&>(dialog).CancelButton().GetId());
        held.unlock();
    });
    const size_t boxes = m_boxes.Boxes().size();
    EXPECT_FALSE(Doc().SaveCleanedTo(target));
    EXPECT_EQ(caption, "Сохранение...");
    EXPECT_EQ(m_boxes.Boxes().size(), boxes);  // a cancel is no failure
    EXPECT_EQ(testsupport::ReadBytes(target),
              std::vector<uint8_t>({'k', 'e', 'e', 'p', ' ', 'm', 'e'}));
    for (const auto& entry : fs::directory_iterator(m_data.Path())) {
        EXPECT_EQ(entry.path().filename().string().find(".hushdesk-"), std::string::npos);
    }
    EXPECT_TRUE(Doc().m_bUnsavedResult);
    Doc().chooseFile = nullptr;
    m_boxes.SetAnswer(wxID_NO);
}

TEST_F(DocumentTest, AFileSizeLimitFailsTheSaveWithItsBoxAndKeepsTheResult) {
    Start();
    const std::string path = Write("talk.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 1, 64000);
    ASSERT_TRUE(Doc().OpenPath(path));
    SendCommand(*m_frame, res::ID_NOISE_CLEAN);
    // What the program sets up at start: the write fails with EFBIG instead.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = 16 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const std::string target = m_data.File("out.wav");
    const bool saved = Doc().SaveCleanedTo(target);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(saved);
    ASSERT_FALSE(m_boxes.Boxes().empty());
    EXPECT_EQ(m_boxes.Boxes().back().text.rfind("The cleaned recording could not be saved to", 0),
              0u);
    EXPECT_NE(m_boxes.Boxes().back().text.find(std::strerror(EFBIG)), std::string::npos)
        << m_boxes.Boxes().back().text;
    EXPECT_FALSE(fs::exists(target));
    for (const auto& entry : fs::directory_iterator(m_data.Path())) {
        EXPECT_EQ(entry.path().filename().string().find(".hushdesk-"), std::string::npos);
    }
    EXPECT_TRUE(Doc().m_bUnsavedResult);
    m_boxes.SetAnswer(wxID_NO);
}

TEST_F(DocumentTest, AnUnsavedResultIsOnlyDiscardedAfterTheQuestion) {
    Start();
    const std::string path = Write("talk.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1, 16000);
    const std::string other = Write("other.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1, 8000);
    ASSERT_TRUE(Doc().OpenPath(path));
    // Nothing cleaned yet: no question.
    SendCommand(*m_frame, res::ID_FILE_CLOSE);
    EXPECT_TRUE(m_boxes.Boxes().empty());
    EXPECT_TRUE(Doc().m_strPath.empty());

    ASSERT_TRUE(Doc().OpenPath(path));
    SendCommand(*m_frame, res::ID_NOISE_CLEAN);
    const std::vector<int16_t> cleaned = DocumentSamples();

    // Cancel keeps everything: Close, Open, Exit.
    m_boxes.SetAnswer(wxID_CANCEL);
    SendCommand(*m_frame, res::ID_FILE_CLOSE);
    EXPECT_FALSE(Doc().OpenPath(other));
    EXPECT_FALSE(m_frame->Close(false));
    ASSERT_EQ(m_boxes.Boxes().size(), 3u);
    for (const auto& box : m_boxes.Boxes()) {
        EXPECT_EQ(box.text, res::LoadPair(res::kTextAskSaveCleaned, true));
        EXPECT_TRUE(box.style & wxYES_NO);
        EXPECT_TRUE(box.style & wxCANCEL);
    }
    EXPECT_EQ(Doc().m_strPath, path);
    EXPECT_EQ(DocumentSamples(), cleaned);
    EXPECT_TRUE(View().HasStrips());

    // Yes saves first, then goes on.
    const std::string saved = m_data.File("talk-cleaned.wav");
    Doc().chooseFile = [&](bool save) { return save ? saved : std::string(); };
    m_boxes.SetAnswer(wxID_YES);
    ASSERT_TRUE(Doc().OpenPath(other));
    EXPECT_EQ(testsupport::ReadAllSamples(saved), cleaned);
    EXPECT_EQ(Doc().m_strPath, other);

    // No discards without saving; no question once nothing is unsaved.
    SendCommand(*m_frame, res::ID_NOISE_CLEAN);
    m_boxes.SetAnswer(wxID_NO);
    const size_t before = m_boxes.Boxes().size();
    SendCommand(*m_frame, res::ID_FILE_CLOSE);
    EXPECT_EQ(m_boxes.Boxes().size(), before + 1);
    EXPECT_TRUE(Doc().m_strPath.empty());
    EXPECT_EQ(m_frame->GetTitle().utf8_string(), "Hushdesk");
}

TEST_F(DocumentTest, CancelStopsTheCleaningAndLeavesTheRestUntouched) {
    Start();
    ProgressDialogSpy spy;
    const std::string path =
        Write("long.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 1, 16000 * 120);
    UseSlowEngine();
    for (const bool english : {true, false}) {
        SCOPED_TRACE(english);
        Doc().m_bEnglish = english ? 1 : 0;
        ASSERT_TRUE(Doc().OpenPath(path));
        const std::vector<int16_t> original = DocumentSamples();
        // The button in English, Esc in Russian.
        CancelNextProgressDialog(english ? "progress-english" : "progress-russian",
                                 english ? CancelBy::Button : CancelBy::Escape);
        SendCommand(*m_frame, res::ID_NOISE_CLEAN);
        const std::vector<int16_t> after = DocumentSamples();
        ASSERT_EQ(after.size(), original.size());
        EXPECT_NE(after, original);  // the first chunks are cleaned
        // ...and the last minute is not.
        const size_t tail = 16000 * 60;
        EXPECT_TRUE(std::equal(after.end() - tail, after.end(), original.end() - tail));
        EXPECT_EQ(m_caption,
                  english ? "Current File - Noise Cleaning" : "Шумоочистка текущего файла");
        EXPECT_EQ(m_button, english ? "Cancel" : "Отмена");
        // A cancelled pass counts.
        EXPECT_EQ(Doc().m_nCleanPasses, 1u);
        EXPECT_FALSE(Doc().CanPerform());
        EXPECT_TRUE(View().HasStrips());
        m_boxes.SetAnswer(wxID_NO);
    }
    EXPECT_EQ(spy.opened, 4);
}

TEST_F(DocumentTest, AFailedCleaningSaysSoAndNeitherCountsNorBlocks) {
    Start();
    const std::string path = Write("talk.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 1, 16000);
    ASSERT_TRUE(Doc().OpenPath(path));
    const std::vector<int16_t> original = DocumentSamples();
    testsupport::FakeEngine::Log log;
    testsupport::FakeEngine::Script script;
    script.initResult = -2;  // out of memory in Init
    Doc().createEngine = [&] { return new testsupport::FakeEngine(log, script); };
    SendCommand(*m_frame, res::ID_NOISE_CLEAN);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, res::LoadPair(res::kTextCleaningFailed, true));
    EXPECT_TRUE(m_boxes.Boxes()[0].style & wxICON_ERROR);
    EXPECT_EQ(Doc().m_nCleanPasses, 0u);
    EXPECT_TRUE(Doc().CanPerform());
    EXPECT_EQ(DocumentSamples(), original);
    EXPECT_EQ(log.created, log.released);
    // Nothing was changed, so nothing waits to be saved.
    EXPECT_FALSE(Doc().m_bUnsavedResult);

    Doc().createEngine = nullptr;
    SendCommand(*m_frame, res::ID_NOISE_CLEAN);
    EXPECT_EQ(Doc().m_nCleanPasses, 1u);
    EXPECT_EQ(m_boxes.Boxes().size(), 1u);
}

TEST_F(DocumentTest, AFailedRedrawAfterAPassKeepsThePictureCountsAndSaysSo) {
    Start();
    const std::string path = Write("talk.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 2, 32000);
    ASSERT_TRUE(Doc().OpenPath(path));
    const std::vector<int16_t> original = DocumentSamples();
    int failures = 0;
    for (const bool outOfMemory : {false, true}) {
        SCOPED_TRACE(outOfMemory);
        Doc().rebuildDisplay = [outOfMemory](WaveformDisplay&) -> SoundFileResult {
            if (outOfMemory) {
                throw std::bad_alloc();
            }
            return SoundFileResult::OpenError;
        };
        const int32_t columns = View().Waveform().summary.columnCount;
        SendCommand(*m_frame, res::ID_NOISE_CLEAN);
        ++failures;
        ASSERT_EQ(m_boxes.Boxes().size(), static_cast<size_t>(failures));
        EXPECT_EQ(m_boxes.Boxes().back().text, res::LoadPair(res::kTextRedrawFailed, true));
        // The pass ran and counts; the previous picture and every command stay.
        EXPECT_NE(DocumentSamples(), original);
        EXPECT_EQ(Pane(7), "Noise-Clean Passed:  " + std::to_string(failures));
        EXPECT_TRUE(View().HasStrips());
        EXPECT_EQ(View().Waveform().summary.columnCount, columns);
        EXPECT_TRUE(Doc().CanClose());
        EXPECT_TRUE(Doc().CanSaveCleaned());
        EXPECT_EQ(Doc().CanPerform(), Doc().m_settings.afterNc > 0);
        EXPECT_EQ(m_frame->GetTitle().utf8_string(), "talk.wav - Hushdesk");
        SendCommand(*m_frame, res::ID_PLAY);
        EXPECT_TRUE(View().IsPlaying());
        View().StopPlayback();
        Doc().m_bCleanAllowed = true;
    }
    Doc().rebuildDisplay = nullptr;
    m_boxes.SetAnswer(wxID_NO);
}

TEST_F(DocumentTest, TheWorkingCopyLivesOnlyWhileItsRecordingIsOpen) {
    ScopedEnv budget("HUSHDESK_MEMORY_BUDGET", "1024");
    Start();
    const std::string first = Write("a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 1, 160000);
    const std::string second = Write("b.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 2, 40000);
    ASSERT_TRUE(Doc().OpenPath(first));
    ASSERT_TRUE(Doc().SoundFile().IsMapped());
    const std::string copy1 = Doc().SoundFile().WorkingCopyPath();
    ASSERT_TRUE(fs::exists(copy1));
    EXPECT_EQ(Pane(7), "Noise-Clean Passed:  0.");

    UseSlowEngine();
    CancelNextProgressDialog({}, CancelBy::CloseBox);
    SendCommand(*m_frame, res::ID_NOISE_CLEAN);
    EXPECT_EQ(Pane(7), "Noise-Clean Passed:  1.");
    Doc().createEngine = nullptr;

    // Close (after No to the question) deletes it.
    m_boxes.SetAnswer(wxID_NO);
    SendCommand(*m_frame, res::ID_FILE_CLOSE);
    EXPECT_FALSE(fs::exists(copy1));
    // Only Open starts the count over.
    EXPECT_EQ(Pane(7), "Noise-Clean Passed:  1");

    // So does the next Open, a failed load, and the end of the program.
    ASSERT_TRUE(Doc().OpenPath(first));
    const std::string copy2 = Doc().SoundFile().WorkingCopyPath();
    ASSERT_TRUE(Doc().OpenPath(second));
    EXPECT_FALSE(fs::exists(copy2));
    const std::string copy3 = Doc().SoundFile().WorkingCopyPath();
    ASSERT_TRUE(fs::exists(copy3));
    const std::string music = Write("m.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 4410);
    EXPECT_FALSE(Doc().OpenPath(music));
    EXPECT_FALSE(fs::exists(copy3));
    EXPECT_TRUE(Doc().SoundFile().WorkingCopyPath().empty());

    ASSERT_TRUE(Doc().OpenPath(second));
    const std::string copy4 = Doc().SoundFile().WorkingCopyPath();
    ASSERT_TRUE(fs::exists(copy4));
    StopProgram();
    EXPECT_FALSE(fs::exists(copy4));
}

TEST_F(DocumentTest, ADroppedFileOpensAsFileOpenOpensIt) {
    Start();
    const std::string path = Write("dropped.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1, 8000);
    View().DropFiles({path, m_data.File("ignored.wav")});
    ASSERT_TRUE(PumpUntil([&] { return Doc().m_strPath == path; }));
    EXPECT_TRUE(View().HasStrips());
    EXPECT_EQ(m_frame->GetTitle().utf8_string(), "dropped.wav - Hushdesk");

    // Dropped while playing a cleaned result: the question, then playback
    // stops and the new file opens.
    SendCommand(*m_frame, res::ID_NOISE_CLEAN);
    SendCommand(*m_frame, res::ID_PLAY);
    ASSERT_TRUE(View().IsPlaying());
    const std::string next = Write("next.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1, 4000);
    m_boxes.SetAnswer(wxID_NO);
    View().DropFiles({next});
    ASSERT_TRUE(PumpUntil([&] { return Doc().m_strPath == next; }));
    EXPECT_FALSE(View().IsPlaying());
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, res::LoadPair(res::kTextAskSaveCleaned, true));
}

}  // namespace
