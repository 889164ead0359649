// Setup on a copy of samples/setup-medium with the medium's own scripts, the
// way a user tries it: the missing prerequisite goes in, Hushdesk is
// installed from this build into a private prefix (cmake --install) and
// recorded with kestrova-reg, hushdesk-clean becomes available, the guide and
// the release notes open, and Hushdesk is removed again.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "SVDlg.h"
#include "SetupGuiTest.h"
#include "installer/PageBuilder.h"
#include "installer/StartUp.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"

namespace setuptest {
namespace {

using testsupport::ReadText;
using testsupport::ScopedEnv;
using testsupport::TempFolder;

// Installing copies the whole build's programs; give it time on a busy machine.
constexpr auto kInstallTimeout = 180000ms;

std::string PathWithFirst(const std::string& folder) {
    const char* path = std::getenv("PATH");
    return folder + ":" + KESTROVA_REG_FOLDER + ":" + (path != nullptr ? path : "/usr/bin:/bin");
}

class SampleMediumTest : public SetupPageTest {
protected:
    SampleMediumTest() {
        std::filesystem::copy(SAMPLE_MEDIUM, m_medium.Path(),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
        std::filesystem::copy(Medium("seed"), m_registry.Path());
        // The desktop's openers, as stand-ins that write down what they were
        // given: xdg-open for the release notes, and a PDF reader registered
        // for ".pdf" for the guide.
        WriteScript(m_desktop.File("xdg-open"),
                    "printf '%s\\n' \"$@\" >> '" + m_desktop.File("opened") + "'\n");
        WriteScript(m_desktop.File("reader"),
                    "printf 'reader %s\\n' \"$@\" >> '" + m_desktop.File("opened") + "'\n");
        testsupport::WriteText(m_registry.File("HKEY_CLASSES_ROOT.reg"),
                               "Windows Registry Editor Version 5.00\n\n"
                               "[HKEY_CLASSES_ROOT\\.pdf]\n@=\"Reader.Document\"\n\n"
                               "[HKEY_CLASSES_ROOT\\Reader.Document\\Shell\\Open\\Command]\n"
                               "@=\"\\\"" +
                                   m_desktop.File("reader") + "\\\" \\\"%1\\\"\"\n");
    }

    std::string Opened() const { return ReadText(m_desktop.File("opened")); }

    TempFolder m_prefix;
    TempFolder m_desktop;
    ScopedEnv m_buildEnv{"HUSHDESK_BUILD_DIR", BUILD_FOLDER};
    ScopedEnv m_prefixEnv{"HUSHDESK_PREFIX", m_prefix.Path()};
    ScopedEnv m_pathEnv{"PATH", PathWithFirst(m_desktop.Path())};
};

TEST_F(SampleMediumTest, InstallsHushdeskFromTheBuildOpensTheDocumentsAndRemovesIt) {
    installer::CSVDlg& dialog = ShowPage("1033.xml");
    // The runtime is seeded as installed and dropped; the sound kit is missing.
    EXPECT_EQ(Marks(), "MarkRed:SoundKit:»");

    Click("PreInstall");
    ASSERT_TRUE(PumpUntil([&] { return Marks().find(":Hushdesk:1") != std::string::npos; },
                          kInstallTimeout))
        << Marks();
    EXPECT_EQ(Marks(),
              "DigitRed:Hushdesk:1|DisabledDigit:HushdeskClean:2|PdfBlue:Guide:PDF|"
              "DigitBlue:Notes:3|DisabledDigit:Extras:4|DigitRed:Portable:5");
    EXPECT_TRUE(SaveScreenshot(dialog, "setup-sample-medium"));

    Click("Hushdesk");
    ASSERT_TRUE(
        PumpUntil([&] { return Marks().find("DigitGreen:Hushdesk:1") != std::string::npos; },
                  kInstallTimeout))
        << Marks();
    EXPECT_EQ(Marks(),
              "DigitGreen:Hushdesk:1|DigitRed:HushdeskClean:2|PdfBlue:Guide:PDF|"
              "DigitBlue:Notes:3|DisabledDigit:Extras:4|DisabledDigit:Portable:5");
    EXPECT_TRUE(dialog.IsShown()) << "the page comes back after the installer";
    EXPECT_TRUE(SaveScreenshot(dialog, "setup-sample-medium-installed"));

    // The installed program starts from the prefix, with the engine library
    // found beside it rather than in the build.
    const std::string clean = m_prefix.File("bin/hushdesk-clean");
    ASSERT_TRUE(std::filesystem::exists(clean));
    const auto help = platform::StartProcess({clean, "--help"}, "");
    ASSERT_TRUE(help);
    const int helpStatus = platform::WaitForExit(*help);
    EXPECT_TRUE(WIFEXITED(helpStatus) && WEXITSTATUS(helpStatus) == 0) << helpStatus;

    Click("HushdeskClean");
    ASSERT_TRUE(
        PumpUntil([&] { return Marks().find("DigitGreen:HushdeskClean:2") != std::string::npos; },
                  kInstallTimeout))
        << Marks();

    Click("Guide");  // the "PDF" mark itself opens nothing
    // Each item click rebuilds the page; a click on the page it replaced is
    // dropped, so the next click waits for the new one.
    const uint64_t generation = dialog.Page().Generation();
    ClickTitle("Guide");
    ASSERT_TRUE(PumpUntil([&] { return dialog.Page().Generation() > generation; }));
    ClickTitle("Notes");
    const std::string guide = "reader " + Medium("docs/hushdesk-guide.pdf") + "\n";
    const std::string notes = Medium("README.html") + "\n";
    EXPECT_TRUE(PumpUntil([&] {
        const std::string opened = Opened();
        return opened.find(guide) != std::string::npos && opened.find(notes) != std::string::npos;
    })) << Opened();
    const std::string opened = Opened();
    EXPECT_EQ(opened.find(guide), opened.rfind(guide)) << "opened once, by the title only";

    m_messages.QueueAnswer(platform::kIdYes);
    Click("Hushdesk");
    ASSERT_TRUE(PumpUntil([&] { return Marks().find("DigitRed:Hushdesk:1") != std::string::npos; },
                          kInstallTimeout))
        << Marks();
    ASSERT_FALSE(m_messages.Messages().empty());
    EXPECT_EQ(m_messages.Messages().back().text, "Hushdesk is already installed. Remove it?");
    // Removing Hushdesk takes hushdesk-clean with it; the rows say so.
    EXPECT_EQ(Marks(),
              "DigitRed:Hushdesk:1|DisabledDigit:HushdeskClean:2|PdfBlue:Guide:PDF|"
              "DigitBlue:Notes:3|DisabledDigit:Extras:4|DigitRed:Portable:5");
    EXPECT_FALSE(platform::RegKeyExists(
        platform::RegRoot::LocalMachine,
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\HushdeskClean"));
    EXPECT_FALSE(std::filesystem::exists(clean));
    EXPECT_FALSE(std::filesystem::exists(m_prefix.File("bin/setup")));
}

// The fuller medium (full/): built-in probe keys drop three prerequisites;
// the item runs its X64 line in its working folder, then its Command and
// IntelliCommand lines; a hidden and an alternatively installed product; the
// PDF reader from the seeded registry; the Arabic page right to left and the
// Russian file in windows-1251. Then the single-item medium (single/).
class FullerSampleMediumTest : public SampleMediumTest {
protected:
    FullerSampleMediumTest() {
        // Its own seed, in place of the main medium's.
        for (const char* name : {"HKEY_LOCAL_MACHINE.reg", "HKEY_CLASSES_ROOT.reg"}) {
            std::filesystem::copy_file(Medium(std::string("full/seed/") + name),
                                       m_registry.File(name),
                                       std::filesystem::copy_options::overwrite_existing);
        }
        std::filesystem::current_path(Medium("full"));
    }
    std::string Notes() const { return ReadText(m_prefix.File("setup-notes.txt")); }
};

TEST_F(FullerSampleMediumTest, WalksEveryKindOfEntryAndTheSingleItemMedium) {
    EXPECT_EQ(installer::VersionGateMessage(installer::Config("1033.xml")), std::nullopt);
    installer::CSVDlg& dialog = ShowPage("1033.xml");
    EXPECT_EQ(Marks(), "MarkRed:DirectX:»");
    Click("PreInstall");
    ASSERT_TRUE(PumpUntil([&] { return Marks().find(":Tools:1") != std::string::npos; }))
        << Marks();
    EXPECT_EQ(Marks(), "DigitRed:Tools:1|DigitGreen:Player:2|PdfBlue:Guide:PDF");
    EXPECT_TRUE(SaveScreenshot(dialog, "setup-fuller-medium"));

    Click("Tools");
    ASSERT_TRUE(PumpUntil([&] { return Marks().find("DigitGreen:Tools:1") != std::string::npos; }))
        << Marks();
    EXPECT_EQ(Notes(), "install x64 in " + Medium("full/work") + "\ncommand\nintelli-installed\n");

    const uint64_t generation = dialog.Page().Generation();
    ClickTitle("Guide");
    ASSERT_TRUE(PumpUntil([&] { return dialog.Page().Generation() > generation; }));
    EXPECT_TRUE(PumpUntil([&] {
        return Opened() == Medium("full/../docs/hushdesk-guide.pdf") + "\n";
    })) << Opened();
    ClosePage();

    installer::CSVDlg& arabic = ShowPage("1025.xml", installer::kRightToLeftLanguageId);
    EXPECT_EQ(Marks(), "DigitGreen:Tools:1|DigitGreen:Player:2|PdfBlue:Guide:PDF");
    EXPECT_EQ(
        PageValue(*arabic.WebView(), "String(document.querySelectorAll('div.table_rtl').length)"),
        "1");
    EXPECT_EQ(arabic.GetTitle(), wxString::FromUTF8("إعداد أدوات Hushdesk"));
    EXPECT_TRUE(SaveScreenshot(arabic, "setup-fuller-medium-arabic"));
    ClosePage();
    EXPECT_EQ(installer::Config("1049.xml").Title, "Установка инструментов Hushdesk");

    const auto single = platform::StartProcess({SETUP_PROGRAM, Medium("single")}, "");
    ASSERT_TRUE(single);
    const int status = platform::WaitForExit(*single);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_NE(Notes().find("single item installed\n"), std::string::npos) << Notes();
}

}  // namespace
}  // namespace setuptest
