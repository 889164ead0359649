#include "installer/CommandFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "SetupTestSupport.h"
#include "installer/Probes.h"
#include "testsupport/ScopedEnv.h"

namespace installer {
namespace {

using ::testing::ElementsAre;
using testsupport::ScopedEnv;

TEST(ExtractCommandPathTest, FindsTheProgramOrPackageWithoutReadingPastTheLine) {
    struct Case {
        const char* line;
        std::optional<std::string> path;
    };
    const Case cases[] = {
        {"msiexec /qb /i \"legacy/Legacy Tools.msi\" /quiet", "legacy/Legacy Tools.msi"},
        {"msiexec /i   pkg.msi /qn", "pkg.msi"},
        {"msiexec /i pkg.msi", "pkg.msi"},
        {"msiexec /I pkg.msi", std::nullopt},  // only a lower-case switch names the package
        {"msiexec /qb", std::nullopt},
        {"msiexec /i", std::nullopt},
        {"msiexec /i ", std::nullopt},
        {"msiexec /i \"open.msi", std::nullopt},
        {"msiexec /i \"\"", std::nullopt},
        {"\"dir x/setup.exe\" /q", "dir x/setup.exe"},
        {"\"unterminated /q", std::nullopt},
        {"\"\" /q", std::nullopt},
        {"a.exe /q", "a.exe"},
        {"a.exe  /q", "a.exe"},
        {"sub dir/a.exe /q", "sub dir/a.exe"},
        {"Setup\\bin\\setup.exe /q", "Setup\\bin\\setup.exe"},
        {"bin/run.sh --x", "bin/run.sh --x"},
        {"a.exe", "a.exe"},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto extracted = ExtractCommandPath(c.line);
        ASSERT_EQ(extracted.has_value(), c.path.has_value()) << c.line;
        if (extracted) {
            EXPECT_EQ(extracted->path, *c.path) << c.line;
        }
    }
}

class CommandFileTest : public testing::SetupTest {};

TEST_F(CommandFileTest, TestsTheFileTheLineWouldStart) {
    WriteMediumProgram("dir x/setup.exe");
    WriteMediumProgram("a.exe");
    WriteMediumProgram("Setup/bin/setup.exe");
    WriteMediumProgram("bin/run.sh");
    WriteMediumFile("legacy/Legacy Tools.msi");
    WriteMediumProgram("opt b/tool.sh");
    ScopedEnv place("HUSHDESK_TEST_PLACE", File("opt b"));
    const char* present[] = {
        "\"dir x/setup.exe\" /q",
        "\"dir x\\setup.exe\" /q",
        "a.exe /q",
        "a.exe  /q",
        "a.exe #1",
        "Setup\\bin\\setup.exe /q",
        "bin/run.sh --x 'y z'",
        "msiexec /qb /i \"legacy/Legacy Tools.msi\"",
        "%HUSHDESK_TEST_PLACE%/tool.sh --go",
        "\"%HUSHDESK_TEST_PLACE%/tool.sh\"",
        "sh -c true",  // a bare name is found on PATH, as the launcher finds it
    };
    for (const char* line : present) {
        EXPECT_TRUE(CommandFileExists(line)) << line;
    }
    EXPECT_TRUE(CommandFileExists(File("a.exe")));  // absolute paths are used as they are
    EXPECT_TRUE(m_log.Lines().empty());
}

TEST_F(CommandFileTest, MissingFilesDirectoriesAndUnreadableLinesAreLogged) {
    WriteMediumProgram("bin/run.sh");
    WriteMediumProgram("sub dir/a.exe");
    ASSERT_EQ(mkfifo(File("pipe").c_str(), 0600), 0);
    struct Case {
        const char* line;
        const char* logged;
    };
    const Case cases[] = {
        {"bin/missing.sh --x", "SV: File not found: \"bin/missing.sh\"\n"},
        {"bin /x", "SV: File not found: \"bin\"\n"},  // a directory is not a file
        {"pipe", "SV: File not found: \"pipe\"\n"},
        // Unquoted, the launcher would start "sub".
        {"sub dir/a.exe /q", "SV: File not found: \"sub\"\n"},
        {"msiexec /qb", "SV: File not found: \"msiexec /qb\"\n"},
        {"msiexec /I x.msi", "SV: File not found: \"msiexec /I x.msi\"\n"},
        {"\"bin/run.sh", "SV: File not found: \"\"bin/run.sh\"\n"},
        {"\"\"", "SV: File not found: \"\"\"\"\n"},
        {"run 'open", "SV: File not found: \"run 'open\"\n"},
        {"%HUSHDESK_TEST_UNSET%/run.sh", "SV: File not found: \"%HUSHDESK_TEST_UNSET%/run.sh\"\n"},
    };
    ScopedEnv unset("HUSHDESK_TEST_UNSET", std::nullopt);
    for (const Case& c : cases) {
        m_log.Clear();
        EXPECT_FALSE(CommandFileExists(c.line)) << c.line;
        EXPECT_THAT(m_log.Lines(), ElementsAre(c.logged)) << c.line;
    }
}

// A row shown as present must start: a document (every file on a FAT stick
// is executable) or a file without the execute bit does not.
TEST_F(CommandFileTest, OnlyProgramsThatWouldStartArePresent) {
    WriteMediumFile("setup.exe", "MZ\x90");  // a Windows program
    WriteMediumFile("notes.txt", "touch x\n");
    WriteMediumFile("plain.sh", "#!/bin/sh\n");
    std::filesystem::permissions(File("setup.exe"), std::filesystem::perms(0755));
    std::filesystem::permissions(File("notes.txt"), std::filesystem::perms(0755));
    for (const char* line : {"setup.exe /q", "notes.txt", "plain.sh"}) {
        m_log.Clear();
        EXPECT_FALSE(CommandFileExists(line)) << line;
        EXPECT_EQ(m_log.Lines().size(), 1u) << line;
    }
}

TEST_F(CommandFileTest, CheckFilesPresentTestsTheLinesThatWouldRunInOrder) {
    WriteMediumProgram("bin/a.sh");
    WriteMediumProgram("bin/b.sh");
    SetupItem item;
    item.CheckCommandLine = kCheckAndShow;
    item.CommandLine = "bin/a.sh";
    item.commands.push_back({});  // an empty line is not tested
    item.commands.back().NotInstalledCommand = "bin/b.sh";
    item.commands.back().InstalledCommand = "bin/never.sh";  // installed lines are never tested
    item.shellExecutes.push_back({"docs\\guide.pdf", ""});
    item.shellExecutes.push_back({"docs/other.pdf", ""});

    CheckFilesPresent(item);
    EXPECT_FALSE(item.filesPresent);
    EXPECT_THAT(m_log.Lines(), ElementsAre("SV: File not found: \"docs/guide.pdf\"\n"));

    m_log.Clear();
    WriteMediumFile("docs/guide.pdf");
    CheckFilesPresent(item);
    EXPECT_FALSE(item.filesPresent);
    EXPECT_THAT(m_log.Lines(), ElementsAre("SV: File not found: \"docs/other.pdf\"\n"));

    // The X64 line runs here, so it is the one tested; the first missing file
    // stops the test.
    m_log.Clear();
    item.CommandLineX64 = "bin/a64.sh";
    item.hasCommandLineX64 = true;
    CheckFilesPresent(item);
    EXPECT_EQ(item.filesPresent, !IsRunningOn64Bit());
    if (IsRunningOn64Bit()) {
        EXPECT_THAT(m_log.Lines(), ElementsAre("SV: File not found: \"bin/a64.sh\"\n"));
    }

    m_log.Clear();
    item.CheckCommandLine = kCheckCommandLineOff;
    CheckFilesPresent(item);
    EXPECT_TRUE(item.filesPresent);
    EXPECT_TRUE(m_log.Lines().empty());
}

// Lines and paths were once cut at 1023 characters, testing a prefix of the
// path (maybe another file). No limit applies.
TEST_F(CommandFileTest, LongLinesAndPathsAreTestedWhole) {
    std::string path;
    for (int i = 0; i < 6; ++i) {
        path += std::string(200, static_cast<char>('a' + i)) + "/";
    }
    path += "setup.sh";
    ASSERT_GT(path.size(), 1023u);
    WriteMediumProgram(path);
    const std::string arguments = " --option " + std::string(1500, 'x');
    EXPECT_TRUE(CommandFileExists(path + arguments));
    EXPECT_TRUE(CommandFileExists("\"" + path + "\"" + arguments));
    EXPECT_TRUE(m_log.Lines().empty());

    // A prefix of 1023 characters that exists does not count.
    WriteMediumProgram(path.substr(0, 1023));
    const std::string longer = path.substr(0, 1023) + "tail";
    EXPECT_FALSE(CommandFileExists(longer));
    EXPECT_THAT(m_log.Lines(), ElementsAre("SV: File not found: \"" + longer + "\"\n"));
}

}  // namespace
}  // namespace installer
