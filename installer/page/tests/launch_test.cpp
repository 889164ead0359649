#include "installer/Launch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "installer/Log.h"
#include "platform/Registry.h"
#include "platform/ShowMessage.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/Scripts.h"
#include "testsupport/TempFolder.h"

namespace installer {
namespace {

using platform::RegRoot;
using testsupport::ReadText;
using testsupport::ScopedEnv;
using testsupport::TempFolder;
using testsupport::WriteScript;
using testsupport::WriteText;

std::string AwaitMarker(const std::string& path) {
    for (int i = 0; i < 500; ++i) {
        const std::string text = ReadText(path);
        if (!text.empty() && text.back() == '\n') {
            return text;
        }
        usleep(10000);
    }
    return ReadText(path);
}

// Notes what the marker file held when the window was hidden and restored.
class WatchingWindow : public LaunchWindow {
public:
    explicit WatchingWindow(std::string marker) : m_marker(std::move(marker)) {}
    void HideForLaunch() override { events.push_back("hide:" + ReadText(m_marker)); }
    void RestoreAfterLaunch() override { events.push_back("restore:" + ReadText(m_marker)); }
    std::vector<std::string> events;

private:
    std::string m_marker;
};

class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_folder.File("medium/work"));
        std::filesystem::current_path(m_folder.File("medium"));
        SetLogSinkForTesting([this](const std::string& line) { log.push_back(line); });
    }
    void TearDown() override { SetLogSinkForTesting({}); }

    std::string Medium(const std::string& name) const { return m_folder.File("medium/" + name); }

    TempFolder m_folder;
    ScopedEnv m_registry{"KESTROVA_REGISTRY_DIR", m_folder.Path()};
    platform::MessageRecorder messages;
    std::vector<std::string> log;
};

TEST_F(LaunchTest, LaunchProcessRunsInTheWorkingDirectoryWithExpandedArgumentsAndWaits) {
    WriteScript(Medium("bin/install.sh"),
                "sleep 0.3\nprintf '%s|' \"$(pwd)\" \"$@\" > \"$MARKER\"\n");
    ScopedEnv marker("MARKER", m_folder.File("marker"));
    ScopedEnv prefix("HUSHDESK_PREFIX", "/opt/my prefix; rm -rf /");
    WatchingWindow window(m_folder.File("marker"));

    LaunchProcess("bin/install.sh %HUSHDESK_PREFIX% \"two words\"", &window, Medium("work"));

    EXPECT_EQ(window.events,
              (std::vector<std::string>{
                  "hide:", "restore:" + Medium("work") + "|/opt/my prefix; rm -rf /|two words|"}));
    EXPECT_EQ(log, (std::vector<std::string>{
                       "SV: LaunchProcess(\"bin/install.sh %HUSHDESK_PREFIX% \"two words\"\", \"" +
                           Medium("work") + "\")\n",
                       "SV: GetCurrentDirectory return = \"" + m_folder.File("medium") + "\"\n"}));
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(LaunchTest, LinesThatCannotStartShowTheBoxWithTheLineAsConfigured) {
    WatchingWindow window(m_folder.File("marker"));
    for (const std::string line :
         {"bin/missing.sh %HOME%", "bin/x.sh \"unterminated", "sh -c true"}) {
        LaunchProcess(line, &window, line == "sh -c true" ? Medium("no-such-folder") : "");
    }
    const auto shown = messages.Messages();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text,
              "Can't execute 'bin/missing.sh %HOME%'. Check that all required files exist.");
    EXPECT_EQ(shown[0].caption, "Setup");
    EXPECT_EQ(shown[0].flags, platform::kMbIconError);
    EXPECT_EQ(shown[1].text,
              "Can't execute 'bin/x.sh \"unterminated'. Check that all required files exist.");
    EXPECT_TRUE(window.events.empty());

    log.clear();
    LaunchProcess("", &window, "");
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(messages.Messages().size(), 3u);
}

// The program is there; its working folder is not: the box names the folder,
// in the installation language.
TEST_F(LaunchTest, AMissingWorkingFolderIsNamedAndExitStatusesAreLogged) {
    WriteScript(Medium("bin/run.sh"), "touch \"$MARKER\"\nexit 3\n");
    ScopedEnv marker("MARKER", m_folder.File("marker"));
    LaunchProcess("bin/run.sh", nullptr, Medium("gone"));
    SetLaunchTextLanguage(1049);
    LaunchProcess("bin/run.sh", nullptr, Medium("gone"));
    SetLaunchTextLanguage(1033);
    const auto shown = messages.Messages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text,
              "Can't start 'bin/run.sh': its working folder does not exist:\n" + Medium("gone"));
    EXPECT_EQ(shown[1].text,
              "Не удаётся запустить 'bin/run.sh': рабочая папка не существует:\n" + Medium("gone"));
    EXPECT_FALSE(std::filesystem::exists(m_folder.File("marker")));

    log.clear();
    LaunchProcess("bin/run.sh", nullptr, Medium("work"));
    EXPECT_TRUE(std::filesystem::exists(m_folder.File("marker")));
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[2], "SV: \"bin/run.sh\" ended with exit status 3\n");
    EXPECT_EQ(messages.Messages().size(), 2u);  // the page's refresh is the only answer
}

TEST_F(LaunchTest, ShellExecLogsAndOpensWithTheDesktop) {
    WriteScript(m_folder.File("fake-bin/xdg-open"), "echo \"$@\" > \"$OPENED\"\n");
    ScopedEnv path("PATH", m_folder.File("fake-bin") + ":" + std::getenv("PATH"));
    ScopedEnv opened("OPENED", m_folder.File("opened"));
    WriteText(Medium("README.html"), "<p>notes</p>");

    ShellExec("README.html", "");

    EXPECT_EQ(AwaitMarker(m_folder.File("opened")), Medium("README.html") + "\n");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "SV: ShellExec(\"README.html\", \"\")\n");
    EXPECT_EQ(log[1].rfind("SV: current directory = \"", 0), 0u);
}

TEST_F(LaunchTest, PdfDocumentsGoToTheRegisteredReaderAsOneAbsolutePath) {
    WriteScript(m_folder.File("reader/read pdf"),
                "printf '%s|' \"$@\" > \"$OPENED\"; echo >> \"$OPENED\"\n");
    ScopedEnv opened("OPENED", m_folder.File("opened"));
    platform::RegWriteString(RegRoot::ClassesRoot, ".pdf", "", "Kestrova.Pdf");
    platform::RegWriteString(RegRoot::ClassesRoot, "Kestrova.Pdf\\Shell\\Open\\Command", "",
                             "\"" + m_folder.File("reader/read pdf") + "\" \"%1\"");
    WriteText(Medium("docs/a \"quoted\" guide.pdf"), "%PDF-1.4");

    OpenPdfWithReader("docs\\a \"quoted\" guide.pdf");

    EXPECT_EQ(AwaitMarker(m_folder.File("opened")), Medium("docs/a \"quoted\" guide.pdf") + "|\n");
}

TEST_F(LaunchTest, ReaderCommandsGiveTheirProgram) {
    EXPECT_EQ(CommandProgram("\"/opt/Reader/reader\" \"%1\""), "/opt/Reader/reader");
    EXPECT_EQ(CommandProgram("reader %1"), "reader");
    EXPECT_EQ(CommandProgram("  \" /opt/r \" %1"), "/opt/r");
    EXPECT_EQ(CommandProgram("reader"), "reader");
    EXPECT_EQ(CommandProgram("\"unterminated"), "unterminated");
    EXPECT_EQ(CommandProgram("   "), "");
}

}  // namespace
}  // namespace installer
