#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <sstream>

#include "KestrovaReg.h"
#include "platform/InstallerState.h"
#include "platform/Registry.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace kestrovareg {
namespace {

using platform::RegRoot;

constexpr char kProductKey[] =
    "SOFTWARE\\Kestrova\\Installer\\Products\\{6F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F9}";

class KestrovaRegTest : public ::testing::Test {
protected:
    struct Result {
        int status;
        std::string out;
        std::string err;
    };
    Result RunTool(const std::vector<std::string>& args) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = kestrovareg::Run(args, out, err);
        return {status, out.str(), err.str()};
    }

    testsupport::TempFolder m_folder;
    testsupport::ScopedEnv m_dir{"KESTROVA_REGISTRY_DIR", m_folder.Path()};
};

TEST_F(KestrovaRegTest, SetValuesAreWhatTheInstallerStateQueriesRead) {
    EXPECT_EQ(RunTool({"set", "HKLM", kProductKey, "State", "dword:5"}).status, kExitOk);
    EXPECT_EQ(RunTool({"set", "HKEY_LOCAL_MACHINE", std::string(kProductKey) + "\\Features",
                       "Engine", "dword:0x3"})
                  .status,
              kExitOk);
    EXPECT_EQ(platform::QueryProductState("{6F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F9}"), 5);
    EXPECT_EQ(platform::QueryFeatureState("{6F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F9}", "Engine"), 3);

    EXPECT_EQ(RunTool({"set", "HKCR", ".pdf", "@", "sz:reader \"%1\" — ok"}).status, kExitOk);
    EXPECT_EQ(platform::RegReadString(RegRoot::ClassesRoot, ".pdf", ""), "reader \"%1\" — ok");

    const Result one = RunTool({"get", "HKLM", kProductKey, "state"});
    EXPECT_EQ(one.status, kExitOk);
    EXPECT_EQ(one.out, "5\n");
    EXPECT_EQ(RunTool({"get", "HKCR", ".pdf", "@"}).out, "reader \"%1\" — ok\n");
    ASSERT_EQ(RunTool({"set", "HKCU", "A", "Text", "sz:"}).status, kExitOk);
    ASSERT_EQ(RunTool({"set", "HKCU", "A", "Number", "dword:4294967295"}).status, kExitOk);
    EXPECT_EQ(RunTool({"get", "HKCU", "A"}).out, "Text=sz:\nNumber=dword:4294967295\n");
}

TEST_F(KestrovaRegTest, DeleteRemovesAValueOrAWholeKey) {
    ASSERT_EQ(RunTool({"set", "HKLM", kProductKey, "State", "dword:5"}).status, kExitOk);
    ASSERT_EQ(
        RunTool({"set", "HKLM", std::string(kProductKey) + "\\Features", "E", "dword:3"}).status,
        kExitOk);
    EXPECT_EQ(RunTool({"delete", "HKLM", kProductKey, "State"}).status, kExitOk);
    EXPECT_EQ(RunTool({"get", "HKLM", kProductKey, "State"}).status, kExitNotFound);
    EXPECT_EQ(RunTool({"delete", "HKLM", kProductKey, "State"}).status, kExitNotFound);
    EXPECT_EQ(RunTool({"delete", "HKLM", "SOFTWARE\\Kestrova\\Installer"}).status, kExitOk);
    EXPECT_FALSE(platform::RegKeyExists(RegRoot::LocalMachine, kProductKey));
    EXPECT_EQ(RunTool({"get", "HKLM", kProductKey}).status, kExitNotFound);
}

TEST_F(KestrovaRegTest, WrongCommandLinesChangeNothingAndSayWhy) {
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"put", "HKLM", "K", "N", "dword:1"},
        {"set", "HKXX", "K", "N", "dword:1"},
        {"set", "HKLM", "K", "N"},
        {"set", "HKLM", "K", "N", "dword:4294967296"},
        {"set", "HKLM", "K", "N", "dword:-1"},
        {"set", "HKLM", "K", "N", "dword:"},
        {"set", "HKLM", "K", "N", "text"},
        {"set", "HKLM", "K", "N", "sz:two\nlines"},
        {"set", "HKLM", "K\\\\Sub", "N", "dword:1"},
        {"delete", "HKLM", ""},
        {"get", "HKLM", "K", "N", "extra"},
    };
    for (const auto& args : wrong) {
        const Result result = RunTool(args);
        EXPECT_EQ(result.status, kExitUsage) << (args.empty() ? "" : args[0]);
        EXPECT_NE(result.err.find("kestrova-reg: "), std::string::npos);
    }
    EXPECT_TRUE(m_folder.List().empty());
    const Result help = RunTool({"--help"});
    EXPECT_EQ(help.status, kExitOk);
    EXPECT_EQ(help.out.rfind("Usage: kestrova-reg get", 0), 0u);
}

TEST_F(KestrovaRegTest, AFileThatCannotBeReplacedFailsWithItsOwnStatus) {
    platform::SetRegWriteFaultForTesting(
        [](RegRoot, std::string_view, std::string_view) { return true; });
    const Result result = RunTool({"set", "HKLM", "K", "N", "dword:1"});
    platform::SetRegWriteFaultForTesting({});
    EXPECT_EQ(result.status, kExitFailed);
    EXPECT_NE(result.err.find(m_folder.Path()), std::string::npos);
}

TEST_F(KestrovaRegTest, TheProgramWritesWhereTheEnvironmentSays) {
    const std::string command = std::string(KESTROVA_REG_PROGRAM) +
                                " set HKLM 'SOFTWARE\\Kestrova\\Installer' Version sz:5.0 && " +
                                KESTROVA_REG_PROGRAM +
                                " get HKLM 'SOFTWARE\\Kestrova\\Installer' Version";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[64] = {};
    const size_t got = fread(buffer, 1, sizeof buffer - 1, pipe);
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(std::string(buffer, got), "5.0\n");
    EXPECT_NE(
        testsupport::ReadText(m_folder.File("HKEY_LOCAL_MACHINE.reg")).find("\"Version\"=\"5.0\""),
        std::string::npos);
}

}  // namespace
}  // namespace kestrovareg
