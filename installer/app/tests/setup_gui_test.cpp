// Setup's windows under Xvfb: the installer page in a real web view, clicks
// that run real scripts, the language dialog, and the setup program itself.
#include <sys/wait.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/stattext.h>
#include <wx/uiaction.h>
#include <wx/webview.h>

#include <filesystem>
#include <memory>

#include "AboutDlg.h"
#include "LangSelectionDlg.h"
#include "SVDlg.h"
#include "SetupGuiTest.h"
#include "installer/PageSize.h"
#include "platform/Process.h"
#include "resource.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"

namespace setuptest {
namespace {

using installer::Config;
using installer::CSVDlg;
using testsupport::ReadText;
using testsupport::ScopedEnv;

// An install script that records, as a real installer would, that "A" is
// installed (an uninstall entry in the local-machine registry), and where it ran.
constexpr char kInstallA[] =
    "reg=\"$KESTROVA_REGISTRY_DIR/HKEY_LOCAL_MACHINE.reg\"\n"
    "[ -s \"$reg\" ] || printf 'Windows Registry Editor Version 5.00\\n' > \"$reg\"\n"
    "printf '\\n[HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\"
    "Uninstall\\\\A]\\n\"UninstallString\"=\"remove-a\"\\n' >> \"$reg\"\n"
    "pwd > ran-in\n"
    // What the X server says of Setup's window while this installer runs
    // (polled: Setup hides it right after starting the installer).
    "for i in $(seq 100); do\n"
    "  state=$(xwininfo -name 'Hushdesk 1.0 Setup' | grep 'Map State')\n"
    "  case \"$state\" in *IsUnMapped*) break;; esac\n"
    "  sleep 0.2\n"
    "done\n"
    "echo \"$state\" > window-while-running\n";

TEST_F(SetupPageTest, MainPageShowsNumberedRowsAndAClickRunsTheItemsInstaller) {
    WriteScript(Medium("bin/install-a.sh"), kInstallA);
    std::filesystem::create_directory(Medium("work"));
    WriteConfig("1033.xml", R"(
        <Item Action="A" Title="Hushdesk" ProductRegistryString="A" CommandLine="bin/install-a.sh"
              SetCurrentDirectory="work" NotInstalledDescription="The desktop program"
              InstalledDescription="Installed"/>
        <Item Action="Guide" Type="pdf" Title="User guide" InstalledDescription="PDF"/>
        <Item Action="Notes" Type="blue" Title="Release notes" NotInstalledDescription="What is new"/>
        <Item Action="Clean" Title="hushdesk-clean" NotInstalledDescription="Batch cleaning">
          <Depends Item="A"/></Item>
        <MainDialog Title="Hushdesk 1.0 Setup" Company="Kestrova" ReadmeLabel="Read me"
                    ReadmeHref="README.html" ExitLabel="Exit"/>)");
    CSVDlg& dialog = ShowPage("1033.xml");

    EXPECT_EQ(Marks(),
              "DigitRed:A:1|DisablePdfBlue:Guide:PDF|DigitBlue:Notes:2|DisabledDigit:Clean:3");
    EXPECT_EQ(dialog.GetTitle(), "Hushdesk 1.0 Setup");
    const wxRect area = wxDisplay(0u).GetClientArea();
    const installer::PixelSize expected =
        installer::ClampToWorkArea(480, 4 * 65 + 148, area.width, area.height);
    EXPECT_EQ(dialog.GetSize(), wxSize(expected.width, expected.height));
    EXPECT_TRUE(SaveScreenshot(dialog, "setup-main-page"));

    Click("A");
    EXPECT_TRUE(PumpUntil([&] { return Marks().find("DigitGreen:A:1") != std::string::npos; }));
    EXPECT_EQ(Marks(),
              "DigitGreen:A:1|DisablePdfBlue:Guide:PDF|DigitBlue:Notes:2|DigitRed:Clean:3");
    EXPECT_EQ(ReadText(Medium("work/ran-in")), Medium("work") + "\n");
    EXPECT_NE(ReadText(Medium("work/window-while-running")).find("IsUnMapped"), std::string::npos)
        << ReadText(Medium("work/window-while-running"));
    EXPECT_TRUE(dialog.IsShown()) << "back after the installer";
    EXPECT_NE(m_log.find("SV: LaunchProcess(\"bin/install-a.sh\", \"" + Medium("work") + "\")"),
              std::string::npos);
    EXPECT_TRUE(SaveScreenshot(dialog, "setup-main-page-after-install"));
}

TEST_F(SetupPageTest, ClicksOnDisabledRowsDoNothingAndNavigationIsRefused) {
    WriteScript(Medium("bin/never.sh"), "touch ran\n");
    WriteConfig("1033.xml", R"(
        <Item Action="Off" Title="Off" CommandLine="bin/never.sh"><Depends Item="Nowhere"/></Item>
        <Item Action="Link" Title="Link"
              NotInstalledDescription="See &lt;a id='away' href='https://example.org/'&gt;here&lt;/a&gt;"/>
        <MainDialog Title="T" Company="C"/>)");
    CSVDlg& dialog = ShowPage("1033.xml");
    const uint64_t generation = dialog.Page().Generation();

    Click("Off");
    Click("away");
    dialog.RunPageScript("window.location.href = 'file:///etc/hostname'");
    Pump(1000ms);

    EXPECT_FALSE(std::filesystem::exists(Medium("ran")));
    EXPECT_EQ(dialog.Page().Generation(), generation);
    EXPECT_EQ(Marks(), "DisabledDigit:Off:1|DigitRed:Link:2");
}

TEST_F(SetupPageTest, PrerequisitesPageInstallsAndComesBackWithTheAfterAttemptText) {
    WriteScript(Medium("bin/runtime.sh"), "touch runtime-ran\n");
    WriteConfig("1033.xml", R"(
        <Prerequisites Title="Components first" Description="Setup needs these components:"
                       InstallLabel="Install missing components"
                       NotInstalledDescription="These components are still missing:">
          <Item Action="Runtime" Title="Kestrova runtime" CommandLine="bin/runtime.sh"/>
          <Item Action="Kit" Title="Sound kit"/>
        </Prerequisites>
        <Item Action="A"/><Item Action="B"/>
        <MainDialog Title="Hushdesk 1.0 Setup" Company="Kestrova" ExitLabel="Exit"/>)");
    CSVDlg& dialog = ShowPage("1033.xml");
    EXPECT_EQ(Marks(), "MarkRed:Runtime:»|MarkRed:Kit:»");
    EXPECT_EQ(dialog.GetSize().y, std::min(2 * 34 + 247, wxDisplay(0u).GetClientArea().height));
    EXPECT_TRUE(SaveScreenshot(dialog, "setup-prerequisites-page"));

    Click("PreInstall");
    EXPECT_TRUE(PumpUntil([&] {
        return PageValue(*dialog.WebView(),
                         "document.querySelector('div.PlainText').textContent") ==
               "These components are still missing:";
    }));
    EXPECT_TRUE(std::filesystem::exists(Medium("runtime-ran")));
    EXPECT_EQ(dialog.GetSize().y,
              std::min(10 + 2 * 34 + 247, wxDisplay(0u).GetClientArea().height));
    EXPECT_TRUE(SaveScreenshot(dialog, "setup-prerequisites-after-attempt"));
}

TEST_F(SetupPageTest, BlockingPageAndRightToLeftPages) {
    WriteConfig("1033.xml", R"(
        <Prerequisites><Item Action="Kit" Message="Install the sound kit from its own disk first."/>
        </Prerequisites><Item Action="A"/><Item Action="B"/>
        <MainDialog Title="Hushdesk 1.0 Setup" Company="Kestrova" ExitLabel="Exit"/>)");
    CSVDlg& blocking = ShowPage("1033.xml");
    EXPECT_EQ(Marks(), "MarkRed2:Kit:!");
    EXPECT_TRUE(SaveScreenshot(blocking, "setup-blocking-page"));
    ClosePage();

    WriteConfig("1025.xml", R"(
        <Item Action="A" Title="هشدسك" NotInstalledDescription="البرنامج"/>
        <Item Action="B" Title="أداة التنظيف" NotInstalledDescription="تنظيف دفعي"/>
        <MainDialog Title="إعداد" Company="Kestrova" ExitLabel="خروج"/>)");
    CSVDlg& arabic = ShowPage("1025.xml", installer::kRightToLeftLanguageId);
    EXPECT_EQ(arabic.GetLayoutDirection(), wxLayout_RightToLeft);
    EXPECT_EQ(PageValue(*arabic.WebView(),
                        "getComputedStyle(document.querySelector('div.table_rtl')).direction"),
              "rtl");
    EXPECT_EQ(Marks(), "DigitRed:A:1|DigitRed:B:2");
    EXPECT_TRUE(SaveScreenshot(arabic, "setup-main-page-rtl"));
}

TEST_F(SetupPageTest, TheExitLinkEndsTheModalPageWithCancel) {
    WriteConfig("1033.xml", R"(<Item Action="A"/><Item Action="B"/>
        <MainDialog Title="T" Company="C" ExitLabel="Exit"/>)");
    CSVDlg dialog(nullptr, Config("1033.xml"), 1033, m_launcher);
    // Clicks the exit link as soon as the page has it (scripts run before the
    // template has loaded would be lost with the page they ran in).
    WhenTrue([&] { return dialog.IsFirstPageShown(); },
             [&] {
                 dialog.RunPageScript(
                     "(function click() { var exit = document.getElementById('Cancel');"
                     " if (exit) { exit.click(); } else { setTimeout(click, 50); } })()");
             });
    EXPECT_EQ(dialog.ShowModal(), wxID_CANCEL);
    dialog.SettleScripts();
}

// The modal About box, when one is open.
installer::CAboutDlg* OpenAboutBox() {
    for (wxWindow* window : wxTopLevelWindows) {
        if (auto* about = dynamic_cast<installer::CAboutDlg*>(window);
            about != nullptr && about->IsModal()) {
            return about;
        }
    }
    return nullptr;
}

// F1 opens the About box (GTK windows have no window menu to hold it) and
// Esc leaves the page as its exit link does; both as real key presses.
TEST_F(SetupGuiTest, F1ShowsTheAboutBoxAndEscClosesThePageWithCancel) {
    WriteConfig("1033.xml", R"(<Item Action="A"/><Item Action="B"/>
        <MainDialog Title="T" Company="C" ExitLabel="Exit"/>)");
    installer::SystemLauncher launcher;
    CSVDlg dialog(nullptr, Config("1033.xml"), 1033, launcher);
    wxUIActionSimulator keys;
    const auto pressOverPage = [&](int key) {
        // Keys reach a window under Xvfb only while the pointer is over it.
        keys.MouseMove(dialog.GetScreenRect().GetPosition() + wxPoint(60, 60));
        dialog.Raise();
        keys.Char(key);
    };
    // Watchers still waiting when the test ends must not touch its locals.
    const auto ended = std::make_shared<bool>(false);
    std::string aboutTitle;
    bool aboutHasVersion = false;
    WhenTrue([ended, &dialog] { return !*ended && dialog.IsFirstPageShown(); },
             [&] { pressOverPage(WXK_F1); });
    WhenTrue([ended] { return !*ended && OpenAboutBox() != nullptr; },
             [&, ended] {
                 installer::CAboutDlg& about = *OpenAboutBox();
                 aboutTitle = about.GetTitle().utf8_string();
                 for (wxWindow* child : about.GetChildren()) {
                     auto* text = dynamic_cast<wxStaticText*>(child);
                     aboutHasVersion |=
                         text != nullptr && text->GetLabel() == "Setvane Version 1.0";
                 }
                 EXPECT_TRUE(SaveScreenshot(about, "setup-about-box"));
                 about.EndModal(wxID_OK);
                 WhenTrue([ended] { return !*ended && OpenAboutBox() == nullptr; },
                          [&] { pressOverPage(WXK_ESCAPE); });
             });
    // Ends a run whose keys went nowhere, so that it fails instead of hanging.
    const auto giveUp = std::chrono::steady_clock::now() + 60s;
    WhenTrue([ended, giveUp] { return *ended || std::chrono::steady_clock::now() > giveUp; },
             [&, ended] {
                 if (*ended) {
                     return;
                 }
                 if (auto* about = OpenAboutBox()) {
                     about->EndModal(wxID_OK);
                 }
                 dialog.EndModal(wxID_ABORT);
             });

    EXPECT_EQ(dialog.ShowModal(), wxID_CANCEL);
    *ended = true;
    EXPECT_EQ(aboutTitle, "About Setvane");
    EXPECT_TRUE(aboutHasVersion);
    dialog.SettleScripts();
}

class LanguageDialogTest : public SetupGuiTest {
protected:
    void WriteLanguage(const std::string& name, const std::string& attributes) {
        WriteConfig(name, "<LangSelectionDlg " + attributes + "/><Item Action=\"A\"/>");
    }
};

TEST_F(LanguageDialogTest, TheUsersLanguageIsPreselectedAndGivesTheTexts) {
    ScopedEnv lang("LANG", "ru_RU.UTF-8");
    ScopedEnv all("LC_ALL", std::nullopt);
    ScopedEnv messages("LC_MESSAGES", std::nullopt);
    WriteLanguage("1033.xml",
                  R"(ID="1033" Default="1" Name="English" HeaderName="Installation language"
                     Label="Choose the language:" BtnOk="OK" BtnCancel="Cancel")");
    WriteLanguage("1049.xml",
                  R"(ID="1049" Name="Русский" HeaderName="Язык установки"
                     Label="Выберите язык:" BtnOk="Далее" BtnCancel="Отмена")");
    WhenModalDialogOpens([&](wxDialog& dialog) {
        auto& languages = dynamic_cast<installer::CLangSelectionDlg&>(dialog);
        EXPECT_EQ(dialog.GetTitle().utf8_string(), "Язык установки");
        EXPECT_EQ(languages.Prompt()->GetLabel().utf8_string(), "Выберите язык:");
        EXPECT_EQ(dialog.FindWindow(wxID_OK)->GetLabel().utf8_string(), "Далее");
        EXPECT_EQ(languages.List()->GetStringSelection().utf8_string(), "Русский");
        EXPECT_EQ(languages.List()->GetString(0), "English");
        EXPECT_TRUE(dialog.FindWindow(wxID_OK)->IsEnabled());
        EXPECT_TRUE(SaveScreenshot(dialog, "setup-language-dialog"));
        dialog.EndModal(wxID_OK);
    });
    const auto selection = installer::RunLanguageSelection(nullptr);
    ASSERT_TRUE(selection);
    EXPECT_EQ(selection->languageId, 1049);
    EXPECT_EQ(selection->configFile, "1049.xml");
    EXPECT_NE(m_log.find("CLangSelectionDlg::OnInitDialog() - finished\n\n"), std::string::npos);
}

TEST_F(LanguageDialogTest, WithoutADefaultOkWaitsForAChoice) {
    ScopedEnv lang("LC_ALL", "de_DE.UTF-8");
    WriteLanguage("1033.xml", R"(ID="1033" Name="English")");
    WriteLanguage("1049.xml", R"(ID="1049" Name="Русский")");
    WhenModalDialogOpens([&](wxDialog& dialog) {
        auto& languages = dynamic_cast<installer::CLangSelectionDlg&>(dialog);
        EXPECT_EQ(dialog.GetTitle(), "Installation language selection");
        EXPECT_EQ(languages.Prompt()->GetLabel(), "Select language from list:");
        EXPECT_EQ(languages.List()->GetSelection(), wxNOT_FOUND);
        EXPECT_FALSE(dialog.FindWindow(wxID_OK)->IsEnabled());
        EXPECT_TRUE(SaveScreenshot(dialog, "setup-language-dialog-no-default"));
        languages.List()->SetSelection(1);
        wxCommandEvent select(wxEVT_CHOICE, installer::res::kIdcLanguageList);
        select.SetEventObject(languages.List());
        select.SetInt(1);
        languages.List()->GetEventHandler()->ProcessEvent(select);
        EXPECT_TRUE(dialog.FindWindow(wxID_OK)->IsEnabled());
        dialog.EndModal(wxID_OK);
    });
    const auto selection = installer::RunLanguageSelection(nullptr);
    ASSERT_TRUE(selection);
    EXPECT_EQ(selection->languageId, 1049);
    EXPECT_EQ(m_log.find("OnInitDialog() - finished"), std::string::npos);
}

TEST_F(SetupGuiTest, TheProgramRunsASingleItemMediumWithoutAWindowAndExitsWithZero) {
    WriteScript(Medium("bin/only.sh"), "printf '%s|' \"$@\" > \"$MARKER\"\n");
    WriteConfig("1033.xml", R"(<LangSelectionDlg ID="1033" Name="English"/>
        <Item Action="Only" CommandLine="bin/only.sh %ONLY_ARG%"/>)");
    ScopedEnv marker("MARKER", Medium("marker"));
    ScopedEnv argument("ONLY_ARG", "two words");
    std::filesystem::current_path("/");

    const auto child = platform::StartProcess({SETUP_PROGRAM, m_medium.Path()}, "");
    ASSERT_TRUE(child);
    const int status = platform::WaitForExit(*child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadText(Medium("marker")), "two words|");

    const auto missing = platform::StartProcess({SETUP_PROGRAM, Medium("no-such-medium")}, "");
    ASSERT_TRUE(missing);
    const int refused = platform::WaitForExit(*missing);
    EXPECT_EQ(WEXITSTATUS(refused), 2);
}

}  // namespace
}  // namespace setuptest
