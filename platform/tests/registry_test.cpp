#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using testsupport::ReadText;
using testsupport::ScopedEnv;
using testsupport::SortedEntries;
using testsupport::TempFolder;
using testsupport::WriteText;

constexpr char kSettingsKey[] = "SOFTWARE\\Kestrova\\Hushdesk\\Settings";

class RegistryTest : public ::testing::Test {
protected:
    TempFolder m_folder;
    ScopedEnv m_dir{"KESTROVA_REGISTRY_DIR", m_folder.Path()};
};

TEST_F(RegistryTest, ValuesRoundTripThroughTheFileInExportFormat) {
    ASSERT_EQ(RegWriteDword(RegRoot::CurrentUser, kSettingsKey, "GainMaxDB", 18), RegStatus::Ok);
    ASSERT_EQ(RegWriteString(RegRoot::CurrentUser, "Software\\Kestrova\\Hushdesk\\Recent File List",
                             "File1", "C:\\rec \"one\".wav"),
              RegStatus::Ok);
    ASSERT_EQ(RegWriteString(RegRoot::CurrentUser, kSettingsKey, "", "default"), RegStatus::Ok);

    EXPECT_EQ(ReadText(m_folder.Path() + "/HKEY_CURRENT_USER.reg"),
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_CURRENT_USER\\SOFTWARE]\n"
              "\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Kestrova]\n"
              "\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Kestrova\\Hushdesk]\n"
              "\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Kestrova\\Hushdesk\\Settings]\n"
              "\"GainMaxDB\"=dword:00000012\n"
              "@=\"default\"\n"
              "\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Kestrova\\Hushdesk\\Recent File List]\n"
              "\"File1\"=\"C:\\\\rec \\\"one\\\".wav\"\n"
              "\n");
    EXPECT_EQ(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "GainMaxDB"), 18u);
    EXPECT_EQ(RegReadString(RegRoot::CurrentUser, "Software\\Kestrova\\Hushdesk\\Recent File List",
                            "File1"),
              "C:\\rec \"one\".wav");
    EXPECT_EQ(RegReadString(RegRoot::CurrentUser, kSettingsKey, ""), "default");
}

TEST_F(RegistryTest, NamesMatchWithoutCaseAndKeepTheirFirstCase) {
    ASSERT_EQ(RegWriteDword(RegRoot::CurrentUser, kSettingsKey, "BuffSize", 256), RegStatus::Ok);
    ASSERT_EQ(RegWriteDword(RegRoot::CurrentUser, "software\\KESTROVA\\hushdesk\\settings",
                            "BUFFSIZE", 512),
              RegStatus::Ok);

    EXPECT_EQ(
        RegReadDword(RegRoot::CurrentUser, "Software\\kestrova\\Hushdesk\\Settings", "buffsize"),
        512u);
    const auto values = RegEnumValues(RegRoot::CurrentUser, kSettingsKey);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].name, "BuffSize");
    EXPECT_EQ(RegEnumKeys(RegRoot::CurrentUser, "SOFTWARE\\Kestrova\\Hushdesk"),
              std::vector<std::string>{"Settings"});
}

TEST_F(RegistryTest, TypesAreKeptApartAndValuesCanBeDeleted) {
    ASSERT_EQ(RegWriteString(RegRoot::CurrentUser, kSettingsKey, "Tone", "1"), RegStatus::Ok);
    EXPECT_FALSE(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "Tone"));
    ASSERT_EQ(RegWriteDword(RegRoot::CurrentUser, kSettingsKey, "Tone", 1), RegStatus::Ok);
    EXPECT_FALSE(RegReadString(RegRoot::CurrentUser, kSettingsKey, "Tone"));
    EXPECT_EQ(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "Tone"), 1u);

    EXPECT_EQ(RegDeleteValue(RegRoot::CurrentUser, kSettingsKey, "TONE"), RegStatus::Ok);
    EXPECT_FALSE(RegQueryValue(RegRoot::CurrentUser, kSettingsKey, "Tone"));
    EXPECT_EQ(RegDeleteValue(RegRoot::CurrentUser, kSettingsKey, "Tone"), RegStatus::NotFound);
    EXPECT_TRUE(RegKeyExists(RegRoot::CurrentUser, kSettingsKey));
}

TEST_F(RegistryTest, KeysAreCreatedEnumeratedAndDeletedWithTheirSubkeys) {
    ASSERT_EQ(RegCreateKey(RegRoot::LocalMachine, "SOFTWARE\\Kestrova\\Installer\\Products\\{A}"),
              RegStatus::Ok);
    ASSERT_EQ(RegWriteDword(RegRoot::LocalMachine,
                            "SOFTWARE\\Kestrova\\Installer\\Products\\{B}\\Features", "Main", 3),
              RegStatus::Ok);
    EXPECT_EQ(RegEnumKeys(RegRoot::LocalMachine, "SOFTWARE\\Kestrova\\Installer\\Products"),
              (std::vector<std::string>{"{A}", "{B}"}));

    EXPECT_EQ(RegDeleteKey(RegRoot::LocalMachine, "software\\kestrova\\installer\\products\\{b}"),
              RegStatus::Ok);
    EXPECT_FALSE(RegKeyExists(RegRoot::LocalMachine,
                              "SOFTWARE\\Kestrova\\Installer\\Products\\{B}\\Features"));
    EXPECT_EQ(RegEnumKeys(RegRoot::LocalMachine, "SOFTWARE\\Kestrova\\Installer\\Products"),
              std::vector<std::string>{"{A}"});
    EXPECT_EQ(RegDeleteKey(RegRoot::LocalMachine, "SOFTWARE\\Nothing"), RegStatus::NotFound);
    // Each root is its own file.
    EXPECT_FALSE(RegKeyExists(RegRoot::CurrentUser, "SOFTWARE\\Kestrova"));
    EXPECT_FALSE(fs::exists(m_folder.Path() + "/HKEY_CURRENT_USER.reg"));
}

TEST_F(RegistryTest, NamesTheFileFormatCannotHoldAreRefused) {
    EXPECT_EQ(RegWriteDword(RegRoot::CurrentUser, "A\\\\B", "x", 1), RegStatus::BadName);
    EXPECT_EQ(RegWriteDword(RegRoot::CurrentUser, "\\A", "x", 1), RegStatus::BadName);
    EXPECT_EQ(RegWriteDword(RegRoot::CurrentUser, "A", "two\nlines", 1), RegStatus::BadName);
    EXPECT_EQ(RegWriteString(RegRoot::CurrentUser, "A", "x", "two\nlines"), RegStatus::BadName);
    EXPECT_EQ(RegDeleteKey(RegRoot::CurrentUser, ""), RegStatus::BadName);
    EXPECT_FALSE(fs::exists(m_folder.Path() + "/HKEY_CURRENT_USER.reg"));
}

TEST_F(RegistryTest, ReadingNeverCreatesAnything) {
    const std::string absent = m_folder.Path() + "/machine";
    ScopedEnv dir("KESTROVA_REGISTRY_DIR", absent);
    EXPECT_FALSE(RegKeyExists(RegRoot::LocalMachine, "SOFTWARE"));
    EXPECT_FALSE(RegReadDword(RegRoot::LocalMachine, "SOFTWARE\\Kestrova", "State"));
    EXPECT_TRUE(RegEnumKeys(RegRoot::ClassesRoot, "").empty());
    EXPECT_FALSE(fs::exists(absent));

    fs::create_directory(absent);
    const std::string file = absent + "/HKEY_LOCAL_MACHINE.reg";
    WriteText(file, "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n");
    chmod(file.c_str(), 0444);
    EXPECT_TRUE(RegKeyExists(RegRoot::LocalMachine, "SOFTWARE"));
    EXPECT_EQ(SortedEntries(absent), std::vector<std::string>{"HKEY_LOCAL_MACHINE.reg"});
}

TEST_F(RegistryTest, CorruptFileReadsEmptyAndIsKeptAsideOnTheNextWrite) {
    const std::string file = m_folder.Path() + "/HKEY_CURRENT_USER.reg";
    const std::string garbage = "this is not a registry file\n[HKEY_CURRENT_USER\\SOFTWARE]\n";
    WriteText(file, garbage);

    EXPECT_FALSE(RegKeyExists(RegRoot::CurrentUser, "SOFTWARE"));
    EXPECT_EQ(ReadText(file), garbage);  // reading leaves it alone

    ASSERT_EQ(RegWriteDword(RegRoot::CurrentUser, kSettingsKey, "Tone", 1), RegStatus::Ok);
    EXPECT_EQ(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "Tone"), 1u);
    std::string aside;
    for (const std::string& name : m_folder.List()) {
        if (name.rfind("HKEY_CURRENT_USER.reg.corrupt-", 0) == 0) {
            aside = name;
        }
    }
    ASSERT_FALSE(aside.empty());
    EXPECT_EQ(ReadText(m_folder.Path() + "/" + aside), garbage);
}

TEST_F(RegistryTest, ABadLineIsSkippedWithAWarningAndTheRestIsKept) {
    const std::string file = m_folder.Path() + "/HKEY_CURRENT_USER.reg";
    const std::string text =
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\Kestrova\\Hushdesk\\Settings]\n"
        "\"Tone\"=dword:00000001\n"
        "\"Spectrum\"=dword:zz\x01\n"
        "\"GainMaxDB\"=dword:0000000c\n";
    WriteText(file, text);
    chmod(file.c_str(), 0640);

    testing::internal::CaptureStderr();
    EXPECT_EQ(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "Tone"), 1u);
    EXPECT_EQ(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "GainMaxDB"), 12u);
    EXPECT_FALSE(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "Spectrum"));
    const std::string warning = testing::internal::GetCapturedStderr();
    EXPECT_NE(warning.find(file + " line 5 "), std::string::npos) << warning;
    EXPECT_NE(warning.find("\"Spectrum\"=dword:zz\\x01"), std::string::npos) << warning;
    EXPECT_EQ(ReadText(file), text);  // reading leaves it alone

    // A write keeps the original aside and stores what could be read.
    ASSERT_EQ(RegWriteDword(RegRoot::CurrentUser, kSettingsKey, "Spectrum", 0), RegStatus::Ok);
    EXPECT_EQ(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "Tone"), 1u);
    EXPECT_EQ(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "GainMaxDB"), 12u);
    EXPECT_EQ(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "Spectrum"), 0u);
    struct stat info {};
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    std::string aside;
    for (const std::string& name : m_folder.List()) {
        if (name.rfind("HKEY_CURRENT_USER.reg.corrupt-", 0) == 0) {
            aside = name;
        }
    }
    ASSERT_FALSE(aside.empty());
    EXPECT_EQ(ReadText(m_folder.Path() + "/" + aside), text);
}

TEST_F(RegistryTest, EveryChangeToTheFileIsSeenByTheNextRead) {
    // Reads of an unchanged file share one parse; a change of any kind is
    // read again.
    const std::string file = m_folder.Path() + "/HKEY_CURRENT_USER.reg";
    const std::string header =
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\Kestrova\\Hushdesk\\Settings]\n";
    WriteText(file, header + "\"Tone\"=dword:00000001\n");
    EXPECT_EQ(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "Tone"), 1u);
    EXPECT_EQ(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "Tone"), 1u);

    ASSERT_EQ(RegWriteDword(RegRoot::CurrentUser, kSettingsKey, "Tone", 2), RegStatus::Ok);
    EXPECT_EQ(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "Tone"), 2u);

    WriteText(file, header + "\"Tone\"=dword:00000003\n\"Spectrum\"=dword:00000000\n");
    EXPECT_EQ(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "Tone"), 3u);
    EXPECT_EQ(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "Spectrum"), 0u);

    fs::remove(file);
    EXPECT_FALSE(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "Tone"));
}

TEST_F(RegistryTest, UnreadableFileFailsWritesInsteadOfBeingReplaced) {
    // Tests run as root, where permission bits stop nothing: a folder in the
    // file's place cannot be read by anybody.
    const std::string file = m_folder.Path() + "/HKEY_CURRENT_USER.reg";
    fs::create_directory(file);
    EXPECT_EQ(RegWriteDword(RegRoot::CurrentUser, kSettingsKey, "Tone", 1), RegStatus::WriteFailed);
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_FALSE(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "Tone"));
}

TEST_F(RegistryTest, RegistryFolderThatCannotBeMadeFailsWrites) {
    const std::string blocker = m_folder.Path() + "/blocker";
    WriteText(blocker, "");
    ScopedEnv dir("KESTROVA_REGISTRY_DIR", blocker + "/kestrova");
    EXPECT_EQ(RegWriteDword(RegRoot::CurrentUser, kSettingsKey, "Tone", 1), RegStatus::WriteFailed);
}

TEST_F(RegistryTest, WriteFaultHookFailsOnlyTheChosenValues) {
    SetRegWriteFaultForTesting(
        [](RegRoot, std::string_view, std::string_view name) { return name == "Tone"; });
    EXPECT_EQ(RegWriteDword(RegRoot::CurrentUser, kSettingsKey, "Tone", 1), RegStatus::WriteFailed);
    EXPECT_EQ(RegWriteDword(RegRoot::CurrentUser, kSettingsKey, "Spectrum", 1), RegStatus::Ok);
    SetRegWriteFaultForTesting({});
    EXPECT_FALSE(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "Tone"));
    EXPECT_EQ(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "Spectrum"), 1u);
}

TEST_F(RegistryTest, FilesArePrivateForTheUserAndKeepTheirMode) {
    ASSERT_EQ(RegWriteDword(RegRoot::CurrentUser, kSettingsKey, "Tone", 1), RegStatus::Ok);
    struct stat info {};
    ASSERT_EQ(stat(RegistryFilePath(RegRoot::CurrentUser).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    const std::string machine = RegistryFilePath(RegRoot::LocalMachine);
    ASSERT_EQ(RegCreateKey(RegRoot::LocalMachine, "SOFTWARE"), RegStatus::Ok);
    chmod(machine.c_str(), 0640);
    ASSERT_EQ(RegCreateKey(RegRoot::LocalMachine, "SOFTWARE\\Kestrova"), RegStatus::Ok);
    ASSERT_EQ(stat(machine.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(RegistryTest, WritersInTwoProcessesBothSurvive) {
    constexpr int kWritesPerProcess = 150;
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        children[child] = fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0) {
            bool allOk = true;
            for (int i = 0; i < kWritesPerProcess; ++i) {
                const std::string name = std::string(child == 0 ? "A" : "B") + std::to_string(i);
                allOk &= RegWriteDword(RegRoot::CurrentUser, kSettingsKey, name,
                                       static_cast<uint32_t>(i)) == RegStatus::Ok;
            }
            _exit(allOk ? 0 : 1);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }

    EXPECT_EQ(RegEnumValues(RegRoot::CurrentUser, kSettingsKey).size(), 2u * kWritesPerProcess);
    for (int i = 0; i < kWritesPerProcess; ++i) {
        EXPECT_EQ(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "A" + std::to_string(i)),
                  static_cast<uint32_t>(i));
        EXPECT_EQ(RegReadDword(RegRoot::CurrentUser, kSettingsKey, "B" + std::to_string(i)),
                  static_cast<uint32_t>(i));
    }
    // No temporary files left behind: only the root and its lock file.
    EXPECT_EQ(m_folder.List(),
              (std::vector<std::string>{"HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER.reg.lock"}));
}

TEST(RegistryDirectoryTest, FollowsTheEnvironmentInOrder) {
    ScopedEnv registry("KESTROVA_REGISTRY_DIR", std::nullopt);
    ScopedEnv home("HOME", "/home/someone");
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/etc/cfg");
        EXPECT_EQ(RegistryDirectory(), "/etc/cfg/kestrova");
        ScopedEnv set("KESTROVA_REGISTRY_DIR", "/srv/reg");
        EXPECT_EQ(RegistryFilePath(RegRoot::ClassesRoot), "/srv/reg/HKEY_CLASSES_ROOT.reg");
    }
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(RegistryDirectory(), "/home/someone/.config/kestrova");
}

}  // namespace
}  // namespace platform
