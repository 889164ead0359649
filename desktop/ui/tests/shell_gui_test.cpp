// The program's shell under Xvfb: start-up in both languages, the language
// commands, the settings dialog, the About box, window placement.
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/uiaction.h>

#include <atomic>
#include <thread>

#include "CMainFrame.h"
#include "CQuellixApp.h"
#include "CQuellixDoc.h"
#include "CQuellixView.h"
#include "GuiTest.h"
#include "MessageBox.h"
#include "PipelineTestSupport.h"
#include "UiText.h"
#include "WxIds.h"
#include "pipeline/SettingsStore.h"
#include "platform/Registry.h"
#include "platform/ShowMessage.h"
#include "resources/resource.h"
#include "testsupport/Files.h"
#include "uimodel/WindowPlacement.h"

namespace {

using guitest::Pump;
using namespace std::chrono_literals;
using platform::RegRoot;

std::string MenuLabel(wxMenuBar& bar, uint32_t command) {
    return bar.GetLabel(ui::WxId(command)).utf8_string();
}

bool IsChecked(wxMenuBar& bar, uint32_t command) {
    return bar.IsChecked(ui::WxId(command));
}

void SendCommand(wxWindow& frame, uint32_t command) {
    wxCommandEvent event(wxEVT_MENU, ui::WxId(command));
    event.SetEventObject(&frame);
    frame.GetEventHandler()->ProcessEvent(event);
}

class ShellTest : public guitest::GuiTest {};

TEST_F(ShellTest, StartsInEnglishWhenNothingIsStored) {
    CMainFrame& frame = StartProgram();
    wxMenuBar& bar = *frame.GetMenuBar();
    EXPECT_EQ(bar.GetMenuLabel(0).utf8_string(), "&File");
    EXPECT_EQ(bar.GetMenuLabel(2).utf8_string(), "&Noise-Clean");
    EXPECT_EQ(MenuLabel(bar, res::ID_FILE_OPEN), "&Open...\tCtrl+O");
    // The stored caption's misspelt shortcut never reaches wx.
    EXPECT_EQ(MenuLabel(bar, res::ID_FILE_CLOSE), "Clo&se\tCtrl+W");
    EXPECT_EQ(MenuLabel(bar, res::ID_LANGUAGE_ENGLISH), "Английский (English)");
    wxMenuItem* language = bar.GetMenu(3)->FindItemByPosition(2);
    EXPECT_EQ(language->GetItemLabel().utf8_string(), "Language of Interface");
    EXPECT_TRUE(IsChecked(bar, res::ID_LANGUAGE_ENGLISH));
    EXPECT_FALSE(IsChecked(bar, res::ID_LANGUAGE_RUSSIAN));
    EXPECT_EQ(frame.GetTitle().utf8_string(), "Hushdesk");
    EXPECT_EQ(frame.GetStatusBar()->GetStatusText(0).utf8_string(), "Noise Supression  ON.");
    EXPECT_EQ(frame.GetToolBar()->GetToolShortHelp(ui::WxId(res::ID_STOP)).utf8_string(), "Stop");
    EXPECT_TRUE(guitest::SaveScreenshot(frame, "main-frame-english"));
}

TEST_F(ShellTest, StartsInRussianWhenStoredSo) {
    ASSERT_TRUE(SaveLanguage(false));
    CMainFrame& frame = StartProgram();
    wxMenuBar& bar = *frame.GetMenuBar();
    EXPECT_EQ(bar.GetMenuLabel(0).utf8_string(), "&Файл");
    EXPECT_EQ(MenuLabel(bar, res::ID_NOISE_SETTINGS),
              "&Настройки подсистемы шумоочистки...\tCtrl+T");
    EXPECT_TRUE(IsChecked(bar, res::ID_LANGUAGE_RUSSIAN));
    EXPECT_FALSE(IsChecked(bar, res::ID_LANGUAGE_ENGLISH));
    EXPECT_EQ(frame.GetStatusBar()->GetStatusText(2).utf8_string(), "Коррекция спектра  ОТКЛ.");
    EXPECT_EQ(frame.GetToolBar()->GetToolShortHelp(ui::WxId(res::ID_STOP)).utf8_string(),
              "Останов");
    EXPECT_TRUE(guitest::SaveScreenshot(frame, "main-frame-russian"));
}

TEST_F(ShellTest, LanguageChangeAsksAndAppliesToPanesButNotMenus) {
    CMainFrame& frame = StartProgram();
    CQuellixDoc& doc = frame.GetDocument();

    // The language already stored: no question.
    SendCommand(frame, res::ID_LANGUAGE_ENGLISH);
    EXPECT_TRUE(m_boxes.Boxes().empty());

    m_boxes.SetAnswer(wxID_CANCEL);
    SendCommand(frame, res::ID_LANGUAGE_RUSSIAN);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].caption, "Hushdesk");
    EXPECT_EQ(m_boxes.Boxes()[0].text,
              "Выбранный язык (Русский) будет принят после перезагрузки программы. Применить "
              "выбранный язык?\r\nThe selected language (Russian) will be applied on application "
              "restart. Apply the selected language?");
    EXPECT_EQ(doc.m_bEnglish, 1);
    EXPECT_FALSE(platform::RegReadDword(RegRoot::CurrentUser, kSettingsKeyPath, "EnglishGUI"));

    m_boxes.SetAnswer(wxID_OK);
    SendCommand(frame, res::ID_LANGUAGE_RUSSIAN);
    EXPECT_EQ(doc.m_bEnglish, 0);
    EXPECT_EQ(platform::RegReadDword(RegRoot::CurrentUser, kSettingsKeyPath, "EnglishGUI"), 0u);
    Pump();
    wxMenuBar& bar = *frame.GetMenuBar();
    EXPECT_EQ(bar.GetMenuLabel(0).utf8_string(), "&File");
    EXPECT_TRUE(IsChecked(bar, res::ID_LANGUAGE_ENGLISH));
    EXPECT_EQ(frame.GetStatusBar()->GetStatusText(7).utf8_string(), "Проходов шумоочистки:  0");
    EXPECT_EQ(frame.GetToolBar()->GetToolShortHelp(ui::WxId(res::ID_FILE_OPEN)).utf8_string(),
              "Открыть звуковой файл (*.wav)");
}

TEST_F(ShellTest, SettingsDialogShowsMapsAndSaves) {
    platform::RegWriteDword(RegRoot::CurrentUser, kSettingsKeyPath, "GainMaxDB", 7);
    platform::RegWriteDword(RegRoot::CurrentUser, kSettingsKeyPath, "BuffSize", 300);
    CMainFrame& frame = StartProgram();

    std::string gainShown, bufferShown;
    guitest::WhenModalDialogOpens([&](wxDialog& dialog) {
        auto* gain = wxStaticCast(dialog.FindWindow(res::IDC_GAIN_MAX), wxChoice);
        auto* buffer = wxStaticCast(dialog.FindWindow(res::IDC_BUFF_SIZE), wxChoice);
        gainShown = gain->GetStringSelection().utf8_string();
        bufferShown = buffer->GetStringSelection().utf8_string();
        EXPECT_EQ(dialog.GetTitle().utf8_string(), "Settings for Noise Cleaning subsystem");
        EXPECT_TRUE(guitest::SaveScreenshot(dialog, "settings-dialog-english"));
        gain->SetSelection(1);
        wxStaticCast(dialog.FindWindow(res::IDC_TONE), wxCheckBox)->SetValue(true);
        wxStaticCast(dialog.FindWindow(res::IDC_ENABLE_RECLEANING), wxRadioButton)->SetValue(true);
        guitest::PressButton(dialog, wxID_OK);
    });
    SendCommand(frame, res::ID_NOISE_SETTINGS);

    EXPECT_EQ(gainShown, "18");
    EXPECT_EQ(bufferShown, "1024");
    EXPECT_EQ(platform::RegReadDword(RegRoot::CurrentUser, kSettingsKeyPath, "GainMaxDB"), 6u);
    EXPECT_EQ(platform::RegReadDword(RegRoot::CurrentUser, kSettingsKeyPath, "BuffSize"), 1024u);
    EXPECT_EQ(platform::RegReadDword(RegRoot::CurrentUser, kSettingsKeyPath, "Tone"), 1u);
    EXPECT_EQ(platform::RegReadDword(RegRoot::CurrentUser, kSettingsKeyPath, "AfterNC"), 1u);
    EXPECT_FALSE(platform::RegReadDword(RegRoot::CurrentUser, kSettingsKeyPath, "SpeechMode"));
    Pump();
    EXPECT_EQ(frame.GetStatusBar()->GetStatusText(4).utf8_string(), "Gain Max (dB)  6");
    EXPECT_EQ(frame.GetStatusBar()->GetStatusText(6).utf8_string(), "Enable Recleaning");
}

// The speech-mode check box sits under the four switches, in both languages;
// it is stored only once used.
TEST_F(ShellTest, SettingsDialogKeepSpeechCheckBoxInBothLanguages) {
    struct Case {
        bool english;
        const char* label;
        const char* screenshot;
    };
    const Case cases[] = {
        {true, "Keep speech (adaptive noise estimate)", "settings-dialog-speech-english"},
        {false, "Сохранять речь (адаптивная оценка шума)", "settings-dialog-speech-russian"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(SaveLanguage(c.english));
        CMainFrame& frame = StartProgram();
        bool shownOn = true;
        guitest::WhenModalDialogOpens([&](wxDialog& dialog) {
            auto* box = dynamic_cast<wxCheckBox*>(dialog.FindWindow(res::IDC_SPEECH_MODE));
            ASSERT_NE(box, nullptr);
            const wxWindow* tone = dialog.FindWindow(res::IDC_TONE);
            const wxWindow* buffer = dialog.FindWindow(res::IDC_BUFF_SIZE);
            EXPECT_EQ(box->GetLabel().utf8_string(), c.label);
            EXPECT_EQ(box->GetPosition().x, tone->GetPosition().x);
            EXPECT_GT(box->GetPosition().y, tone->GetRect().GetBottom());
            EXPECT_LT(box->GetRect().GetBottom(), buffer->GetPosition().y);
            // The whole label fits in the dialog.
            EXPECT_LE(box->GetRect().GetRight(), dialog.GetClientSize().x);
            EXPECT_GE(box->GetSize().x, box->GetBestSize().x);
            shownOn = box->GetValue();
            box->SetValue(true);
            EXPECT_TRUE(guitest::SaveScreenshot(dialog, c.screenshot));
            guitest::PressButton(dialog, wxID_OK);
        });
        SendCommand(frame, res::ID_NOISE_SETTINGS);
        EXPECT_FALSE(shownOn);
        EXPECT_EQ(platform::RegReadDword(RegRoot::CurrentUser, kSettingsKeyPath, "SpeechMode"), 1u);
        EXPECT_TRUE(frame.GetDocument().m_settings.speechMode);
        StopProgram();
        platform::RegWriteDword(RegRoot::CurrentUser, kSettingsKeyPath, "SpeechMode", 0);
    }
}

TEST_F(ShellTest, SettingsDialogCancelLeavesTheStoreAsItWas) {
    ASSERT_TRUE(SaveLanguage(false));
    CMainFrame& frame = StartProgram();
    const std::string before =
        testsupport::ReadText(platform::RegistryFilePath(RegRoot::CurrentUser));

    guitest::WhenModalDialogOpens([&](wxDialog& dialog) {
        EXPECT_EQ(dialog.GetTitle().utf8_string(), "Настройки подсистемы шумоочистки");
        EXPECT_TRUE(guitest::SaveScreenshot(dialog, "settings-dialog-russian"));
        wxStaticCast(dialog.FindWindow(res::IDC_GAIN_MAX), wxChoice)->SetSelection(0);
        wxStaticCast(dialog.FindWindow(res::IDC_NOISE_CANCEL), wxCheckBox)->SetValue(false);
        guitest::PressButton(dialog, wxID_CANCEL);
    });
    SendCommand(frame, res::ID_NOISE_SETTINGS);

    EXPECT_EQ(testsupport::ReadText(platform::RegistryFilePath(RegRoot::CurrentUser)), before);
    EXPECT_EQ(frame.GetDocument().m_settings.gainMaxDb, 18u);
    EXPECT_TRUE(frame.GetDocument().m_settings.noiseCancel);
}

TEST_F(ShellTest, AboutBoxShowsVersionInBothLanguages) {
    CMainFrame& frame = StartProgram();
    std::string versionRu, versionEn, title;
    guitest::WhenModalDialogOpens([&](wxDialog& dialog) {
        title = dialog.GetTitle().utf8_string();
        versionRu = dialog.FindWindow(res::IDC_VERSION_RU)->GetLabel().utf8_string();
        versionEn = dialog.FindWindow(res::IDC_VERSION_EN)->GetLabel().utf8_string();
        EXPECT_FALSE(dialog.FindWindow(res::IDC_BUILD_DATE_EN)->GetLabel().empty());
        EXPECT_TRUE(guitest::SaveScreenshot(dialog, "about-box"));
        guitest::PressButton(dialog, wxID_OK);
    });
    SendCommand(frame, res::ID_APP_ABOUT);
    EXPECT_EQ(title, "О Программе - About Hushdesk");
    EXPECT_EQ(versionRu, "1.0.29.55");
    EXPECT_EQ(versionEn, "1.0.29.55");
}

TEST_F(ShellTest, PlacementIsStoredOnCloseAndRestoredOnTheNextStart) {
    CMainFrame& first = StartProgram();
    const wxRect opened = first.GetRect();
    EXPECT_EQ(opened, wxRect(10, 10, 690, 490));
    first.SetSize(100, 50, 800, 600);
    Pump();
    StopProgram();
    EXPECT_EQ(platform::RegReadString(RegRoot::CurrentUser, uimodel::kPlacementKey, "Rect"),
              "0100 0050 0900 0650");
    EXPECT_EQ(platform::RegReadDword(RegRoot::CurrentUser, uimodel::kPlacementKey, "max"), 0u);

    CMainFrame& second = StartProgram();
    EXPECT_EQ(second.GetRect(), wxRect(100, 50, 800, 600));
}

TEST_F(ShellTest, UnreadablePlacementFallsBackToTheDefault) {
    platform::RegWriteString(RegRoot::CurrentUser, uimodel::kPlacementKey, "Rect", "12");
    CMainFrame& frame = StartProgram();
    EXPECT_EQ(frame.GetRect(), wxRect(10, 10, 690, 490));
}

TEST_F(ShellTest, HugeStoredPlacementOpensWithinTheScreenAndIsStoredSo) {
    platform::RegWriteString(RegRoot::CurrentUser, uimodel::kPlacementKey, "Rect",
                             "0000 0000 31999 31999");
    CMainFrame& frame = StartProgram();
    EXPECT_LE(frame.GetRect().width, 1280);
    EXPECT_LE(frame.GetRect().height, 1024);
    StopProgram();
    const auto stored = uimodel::ParseRect(
        platform::RegReadString(RegRoot::CurrentUser, uimodel::kPlacementKey, "Rect").value_or(""));
    ASSERT_TRUE(stored.has_value());
    EXPECT_LE(stored->Width(), 1280);
    EXPECT_LE(stored->Height(), 1024);
}

TEST_F(ShellTest, LanguageChangeRewritesTheFileInformationAtOnce) {
    testsupport::TempFolder recordings;
    const std::string path = recordings.File("interview.wav");
    ASSERT_TRUE(testsupport::WritePcmWav(path, 8000, 1, testsupport::Noise(8000, 3, 2000)));
    CMainFrame& frame = StartProgram({path});
    const wxString english = frame.GetView()->InfoBox().GetValue();
    ASSERT_FALSE(english.empty());
    m_boxes.SetAnswer(wxID_OK);
    SendCommand(frame, res::ID_LANGUAGE_RUSSIAN);
    wxString russian = ui::Wx(frame.GetDocument().FileInformation());
    russian.Replace("\r\n", "\n");
    EXPECT_NE(russian, english);
    EXPECT_EQ(frame.GetView()->InfoBox().GetValue(), russian);
}

TEST_F(ShellTest, CommandLineFileIsOpenedAsFileOpenOpensIt) {
    testsupport::TempFolder recordings;
    const std::string path = recordings.File("interview.wav");
    ASSERT_TRUE(testsupport::WritePcmWav(path, 8000, 1, testsupport::Noise(8000, 3, 2000)));
    CMainFrame& frame = StartProgram({path, "/ignored.wav"});
    EXPECT_EQ(frame.GetDocument().m_strPath, path);
    EXPECT_EQ(frame.GetTitle().utf8_string(), "interview.wav - Hushdesk");
    EXPECT_TRUE(frame.GetView()->HasStrips());
    EXPECT_EQ(frame.GetDocument().SoundFile().Frames(), 8000u);
}

TEST_F(ShellTest, SettingsReevaluateRecleaningOnlyAfterAPass) {
    CMainFrame& frame = StartProgram();
    CQuellixDoc& doc = frame.GetDocument();
    auto saveWithRecleaning = [&](bool enable) {
        guitest::WhenModalDialogOpens([enable](wxDialog& dialog) {
            const uint32_t id = enable ? res::IDC_ENABLE_RECLEANING : res::IDC_DISABLE_RECLEANING;
            wxStaticCast(dialog.FindWindow(id), wxRadioButton)->SetValue(true);
            guitest::PressButton(dialog, wxID_OK);
        });
        SendCommand(frame, res::ID_NOISE_SETTINGS);
    };
    doc.m_bCleanAllowed = true;
    saveWithRecleaning(false);
    EXPECT_TRUE(doc.m_bCleanAllowed) << "no pass yet: the opened recording may still be cleaned";

    doc.m_nCleanPasses = 1;
    saveWithRecleaning(false);
    EXPECT_FALSE(doc.m_bCleanAllowed);
    saveWithRecleaning(true);
    EXPECT_TRUE(doc.m_bCleanAllowed);
    EXPECT_FALSE(doc.m_bModalOpen);
}

TEST_F(ShellTest, CommandsFromTheToolbarReachViewDocumentAndApplication) {
    CMainFrame& frame = StartProgram();
    int viewCalls = 0;
    int documentCalls = 0;
    frame.GetView()->Bind(
        wxEVT_MENU, [&](wxCommandEvent&) { ++viewCalls; }, ui::WxId(res::ID_PLAY));
    frame.GetDocument().Bind(
        wxEVT_MENU, [&](wxCommandEvent&) { ++documentCalls; }, ui::WxId(res::ID_FILE_OPEN));
    wxToolBar& toolbar = *frame.GetToolBar();
    auto click = [&](uint32_t command) {
        wxCommandEvent event(wxEVT_TOOL, ui::WxId(command));
        event.SetEventObject(&toolbar);
        toolbar.GetEventHandler()->ProcessEvent(event);
    };
    click(res::ID_PLAY);
    click(res::ID_FILE_OPEN);
    EXPECT_EQ(viewCalls, 1);
    EXPECT_EQ(documentCalls, 1);

    bool aboutShown = false;
    guitest::WhenModalDialogOpens([&](wxDialog& dialog) {
        aboutShown = dialog.GetId() == static_cast<int>(res::IDD_ABOUTBOX);
        guitest::PressButton(dialog, wxID_OK);
    });
    click(res::ID_APP_ABOUT);
    EXPECT_TRUE(aboutShown);
}

TEST_F(ShellTest, ToolbarAndStatusBarToggleAndStayToggled) {
    CMainFrame& frame = StartProgram();
    SendCommand(frame, res::ID_VIEW_TOOLBAR);
    SendCommand(frame, res::ID_VIEW_STATUS_BAR);
    Pump();
    EXPECT_FALSE(frame.GetToolBar()->IsShown());
    EXPECT_FALSE(frame.GetStatusBar()->IsShown());
    StopProgram();

    CMainFrame& next = StartProgram();
    EXPECT_FALSE(next.GetToolBar()->IsShown());
    EXPECT_FALSE(next.GetStatusBar()->IsShown());
    SendCommand(next, res::ID_VIEW_TOOLBAR);
    EXPECT_TRUE(next.GetToolBar()->IsShown());
}

TEST_F(ShellTest, ExitClosesTheFrameAndStoresItsPlacement) {
    CMainFrame& frame = StartProgram();
    SendCommand(frame, res::ID_APP_EXIT);
    EXPECT_TRUE(guitest::PumpUntil([&] { return App().GetMainFrame() == nullptr; }));
    EXPECT_EQ(platform::RegReadString(RegRoot::CurrentUser, uimodel::kPlacementKey, "Rect"),
              "0010 0010 0700 0500");
}

TEST_F(ShellTest, MessagesFromAWorkerThreadAreQueuedWithoutWaiting) {
    StartProgram();
    std::atomic<bool> returned = false;
    std::thread worker([&] {
        platform::ShowMessage("SMCore::ReMapFile - MapViewOfFile error!", "Error",
                              platform::kMbIconError);
        returned = true;
    });
    worker.join();  // would hang if the box waited for the UI thread
    EXPECT_TRUE(returned);
    EXPECT_TRUE(m_boxes.Boxes().empty()) << "shown on the UI thread, not the worker's";
    ASSERT_TRUE(guitest::PumpUntil([&] { return !m_boxes.Boxes().empty(); }));
    EXPECT_EQ(m_boxes.Boxes()[0].text, "SMCore::ReMapFile - MapViewOfFile error!");
    EXPECT_EQ(m_boxes.Boxes()[0].caption, "Error");
    EXPECT_EQ(m_boxes.Boxes()[0].style, wxOK | wxICON_ERROR);
}

TEST_F(ShellTest, TheWaveformHasTheFocusFromTheStartAndOnActivation) {
    CMainFrame& frame = StartProgram();
    wxWindow& wave = frame.GetView()->WaveArea();
    EXPECT_TRUE(guitest::PumpUntil([&] { return wxWindow::FindFocus() == &wave; }));
    frame.GetView()->InfoBox().SetFocus();
    ASSERT_TRUE(guitest::PumpUntil([&] { return wxWindow::FindFocus() != &wave; }));
    wxActivateEvent activate(wxEVT_ACTIVATE, true, frame.GetId());
    activate.SetEventObject(&frame);
    frame.GetEventHandler()->ProcessEvent(activate);
    EXPECT_TRUE(guitest::PumpUntil([&] { return wxWindow::FindFocus() == &wave; }));
}

TEST_F(ShellTest, BoxesRaisedWhileHeldOnTheUiThreadAreShownAfterwards) {
    StartProgram();
    {
        ui::HoldBoxes paintOrLock;
        platform::ShowMessage("SMCore::ReMapFile - MapViewOfFile error!", "Error",
                              platform::kMbIconError);
        EXPECT_TRUE(m_boxes.Boxes().empty()) << "shown inside the paint";
    }
    ASSERT_TRUE(guitest::PumpUntil([&] { return !m_boxes.Boxes().empty(); }));
    EXPECT_EQ(m_boxes.Boxes()[0].text, "SMCore::ReMapFile - MapViewOfFile error!");
    // Outside a held region the box shows at once, as before.
    platform::ShowMessage("now", "Error", platform::kMbIconError);
    EXPECT_EQ(m_boxes.Boxes().size(), 2u);
}

TEST_F(ShellTest, KeysComeFromTheTableNotFromCaptionText) {
    CMainFrame& frame = StartProgram();
    // Close is enabled only with a recording open.
    testsupport::TempFolder recordings;
    const std::string path = recordings.File("talk.wav");
    ASSERT_TRUE(testsupport::WritePcmWav(path, 8000, 1, testsupport::Noise(8000, 3, 2000)));
    ASSERT_TRUE(frame.GetDocument().OpenPath(path));
    int closes = 0;
    frame.GetDocument().Bind(
        wxEVT_MENU, [&](wxCommandEvent&) { ++closes; }, ui::WxId(res::ID_FILE_CLOSE));
    wxUIActionSimulator keys;
    // Keys reach the frame under Xvfb only while the pointer is over it.
    keys.MouseMove(frame.GetScreenRect().GetPosition() + wxPoint(300, 200));
    frame.Raise();
    frame.SetFocus();
    Pump(200ms);
    keys.Char('w');
    Pump(200ms);
    EXPECT_EQ(closes, 0) << "the bare W key must not close the recording";
    keys.Char('w', wxMOD_CONTROL);
    EXPECT_TRUE(guitest::PumpUntil([&] { return closes == 1; }, 2000ms));
}

}  // namespace
