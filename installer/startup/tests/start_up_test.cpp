#include "installer/StartUp.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "installer/Log.h"
#include "installer/WorkingDirectory.h"
#include "platform/Registry.h"
#include "platform/ShowMessage.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace installer {
namespace {

using platform::RegRoot;
using testsupport::ScopedEnv;
using testsupport::TempFolder;
using testsupport::WriteText;

constexpr char kCode[] = "{6F1B2C3D-0000-4A5B-8C9D-00000000000B}";

class RecordingLauncher : public Launcher {
public:
    void LaunchProcess(const std::string& commandLine, LaunchWindow* window,
                       const std::string& workingDirectory) override {
        calls.push_back("run " + commandLine + " @" + workingDirectory +
                        (window != nullptr ? " hidden" : ""));
    }
    void ShellExec(const std::string& file, const std::string&) override {
        calls.push_back("open " + file);
    }
    void OpenPdfWithReader(const std::string& file) override { calls.push_back("pdf " + file); }
    std::vector<std::string> calls;
};

class ScriptedWindows : public StartUpWindows {
public:
    std::optional<LanguageSelection> SelectLanguage() override { return selection; }
    void RunInstallerPage(Config config, int languageId) override {
        pageShown = true;
        pageItems = config.mainItems.size();
        pageLanguage = languageId;
    }
    std::optional<LanguageSelection> selection;
    bool pageShown = false;
    size_t pageItems = 0;
    int pageLanguage = 0;
};

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::current_path(m_folder.Path());
        SetLogSinkForTesting([this](const std::string& line) { log += line; });
    }
    void TearDown() override { SetLogSinkForTesting({}); }

    void SetWindows(const std::string& version, const std::string& servicePack) {
        const char* key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
        platform::RegWriteString(RegRoot::LocalMachine, key, "CurrentVersion", version);
        platform::RegWriteString(RegRoot::LocalMachine, key, "CSDVersion", servicePack);
    }

    int Run(const std::string& xml, int languageId = 1033) {
        WriteText(m_folder.File("1033.xml"), "<AutoRun>" + xml + "</AutoRun>");
        windows.selection = LanguageSelection{languageId, "1033.xml"};
        return RunStartUp(windows, launcher);
    }

    TempFolder m_folder;
    ScopedEnv m_registry{"KESTROVA_REGISTRY_DIR", m_folder.Path()};
    ScopedEnv m_temp{"TEMP", std::nullopt};
    ScopedEnv m_tmp{"TMP", std::nullopt};
    ScopedEnv m_allUsers{"ALLUSERSPROFILE", std::nullopt};
    platform::MessageRecorder messages;
    RecordingLauncher launcher;
    ScriptedWindows windows;
    std::string log;
};

TEST_F(StartUpTest, TheVersionGateComparesVersionsAndServicePacksNaturally) {
    Config config;
    EXPECT_FALSE(VersionGateMessage(config));
    config.WindowsMinVersion = "5.1";
    config.WindowsMessage = "Too old";
    SetWindows("5.0", "Service Pack 4");
    EXPECT_EQ(VersionGateMessage(config), "Too old");
    SetWindows("6.0", "");
    EXPECT_FALSE(VersionGateMessage(config));
    SetWindows("10.0", "");
    EXPECT_FALSE(VersionGateMessage(config));

    config.WindowsMinVersion.clear();
    config.windowsRules = {{"5.0", "Service Pack 4", "Needs SP4"}, {"5.1", "Service Pack 2", "XP"}};
    SetWindows("5.0", "Service Pack 3");
    EXPECT_EQ(VersionGateMessage(config), "Needs SP4");
    SetWindows("5.0", "Service Pack 10");
    EXPECT_FALSE(VersionGateMessage(config));
    SetWindows("5.01", "");
    EXPECT_FALSE(VersionGateMessage(config));  // a rule holds for exactly its version
}

TEST_F(StartUpTest, AGateRefusalShowsTheMediumsMessageAndEnds) {
    SetWindows("5.0", "");
    EXPECT_EQ(Run(R"(<Windows MinVersion="5.1" Message="Windows XP or later is required"/>
                     <Item Action="A"/><Item Action="B"/>)"),
              0);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].text, "Windows XP or later is required");
    EXPECT_EQ(messages.Messages()[0].caption, "Error");
    EXPECT_EQ(messages.Messages()[0].flags, platform::kMbIconError);
    EXPECT_FALSE(windows.pageShown);
    EXPECT_TRUE(launcher.calls.empty());
}

TEST_F(StartUpTest, OneItemWithoutPrerequisitesRunsAtOnceWithoutAPage) {
    EXPECT_EQ(Run(R"(<Item Action="Only" CommandLine="install.sh" InstalledCommandLine="remove.sh"
                           SetCurrentDirectory="work">
                       <Command>after.sh</Command><ShellExecute File="README.html"/></Item>)"),
              0);
    EXPECT_FALSE(windows.pageShown);
    EXPECT_EQ(launcher.calls,
              (std::vector<std::string>{"run install.sh @" + m_folder.Path() + "/work",
                                        "run after.sh @" + m_folder.Path() + "/work"}));
    EXPECT_EQ(log.find("Start to parse xml"), std::string::npos);
}

TEST_F(StartUpTest, TheShortcutAsksFirstForAnInstalledItemAndStillRunsItsInstallLine) {
    platform::RegWriteDword(RegRoot::LocalMachine,
                            std::string("SOFTWARE\\Kestrova\\Installer\\Products\\") + kCode,
                            "State", 5);
    const std::string xml = std::string(R"(<Item Action="Only" ProductCode=")") + kCode +
                            R"(" CommandLine="install.sh" InstalledCommandLine="remove.sh"
                                 InstalledWarning="Already there. Again?"/>)";
    Run(xml);
    EXPECT_TRUE(launcher.calls.empty());
    messages.QueueAnswer(platform::kIdYes);
    Run(xml);
    EXPECT_EQ(launcher.calls, std::vector<std::string>{"run install.sh @"});
    EXPECT_EQ(messages.Messages().size(), 2u);
}

TEST_F(StartUpTest, OtherwiseThePageRunsAndCancelEndsEarly) {
    EXPECT_EQ(Run(R"(<Item Action="A"/><Item Action="B"/>)", 1049), 0);
    EXPECT_TRUE(windows.pageShown);
    EXPECT_EQ(windows.pageItems, 2u);
    EXPECT_EQ(windows.pageLanguage, 1049);
    EXPECT_NE(log.find("langdlg.DoModal() = IDOK\nConfig::Config - started\n"), std::string::npos);
    EXPECT_NE(log.find("Config::Config - finished\nStart to parse xml\n"), std::string::npos);

    log.clear();
    windows = ScriptedWindows{};
    EXPECT_EQ(RunStartUp(windows, launcher), 0);
    EXPECT_FALSE(windows.pageShown);
    EXPECT_EQ(log.find("langdlg"), std::string::npos);
}

TEST_F(StartUpTest, WorkingDirectoriesAreCreatedAndEveryOutcomeIsLogged) {
    ScopedEnv temp("TEMP", m_folder.File("temp"));
    std::filesystem::create_directory(m_folder.File("temp"));
    EnsureWorkingDirectory("TEMP");
    struct stat info {};
    ASSERT_EQ(stat(m_folder.File("temp/Kestrova").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(log, "");

    EnsureWorkingDirectory("TEMP");
    EXPECT_EQ(log, "Directory Kestrova already exists.\n");
    log.clear();
    ScopedEnv missing("TMP", m_folder.File("no/such/folder"));
    EnsureWorkingDirectory("TMP");
    EXPECT_EQ(log, "Cannot create directory Kestrova.\n");
    log.clear();
    EnsureWorkingDirectory("ALLUSERSPROFILE");
    ScopedEnv empty("ALLUSERSPROFILE", "");
    EnsureWorkingDirectory("ALLUSERSPROFILE");
    EXPECT_EQ(log, "Environment variable does not exist.\nEnvironment variable does not exist.\n");
}

// In a shared /tmp another user may have made "Kestrova" first, or left it
// writable for everyone.
TEST_F(StartUpTest, AWorkingFolderThatIsNotPrivateIsReplacedByAPrivateOneBesideIt) {
    ScopedEnv temp("TEMP", m_folder.File("temp"));
    const std::string shared = m_folder.File("temp/Kestrova");
    std::filesystem::create_directories(shared);
    ASSERT_EQ(chmod(shared.c_str(), 0777), 0);
    for (const bool otherOwner : {false, true}) {
        if (otherOwner) {
            ASSERT_EQ(chmod(shared.c_str(), 0700), 0);
            if (geteuid() != 0 || chown(shared.c_str(), 65534, 65534) != 0) {
                continue;  // only root can give a folder away
            }
        }
        log.clear();
        const auto used = EnsureWorkingDirectory("TEMP");
        ASSERT_TRUE(used);
        EXPECT_EQ(used->rfind(shared + "-", 0), 0u) << *used;
        struct stat info {};
        ASSERT_EQ(lstat(used->c_str(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        EXPECT_EQ(log, "Directory Kestrova already exists.\nDirectory " + shared +
                           " is not private to this user; using " + *used + "\n");
    }
    std::filesystem::remove_all(m_folder.File("temp"));
    std::filesystem::create_directories(shared);
    log.clear();
    EXPECT_EQ(EnsureWorkingDirectory("TEMP"), shared);  // a private one is used as it is
    EXPECT_EQ(log, "Directory Kestrova already exists.\n");
}

}  // namespace
}  // namespace installer
