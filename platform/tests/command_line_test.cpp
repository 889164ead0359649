#include "platform/CommandLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/EnvironmentReferences.h"
#include "testsupport/ScopedEnv.h"

namespace platform {
namespace {

using ::testing::ElementsAre;
using testsupport::ScopedEnv;

TEST(EnvironmentReferencesTest, ExpandsDefinedNamesAndKeepsEverythingElse) {
    ScopedEnv dir("HUSHDESK_TEST_DIR", "/opt/a b");
    ScopedEnv pct("HUSHDESK_TEST_PCT", "%HUSHDESK_TEST_DIR%");
    ScopedEnv undefined("HUSHDESK_TEST_UNDEFINED", std::nullopt);
    const std::pair<const char*, const char*> cases[] = {
        {"%HUSHDESK_TEST_DIR%/setup", "/opt/a b/setup"},
        {"%hushdesk_test_dir%", "/opt/a b"},  // media write %Temp%, %windir%
        {"%HUSHDESK_TEST_UNDEFINED%", "%HUSHDESK_TEST_UNDEFINED%"},
        {"%HUSHDESK_TEST_UNDEFINED%HUSHDESK_TEST_DIR%",
         "%HUSHDESK_TEST_UNDEFINED%HUSHDESK_TEST_DIR%"},
        {"100%", "100%"},
        {"%%HUSHDESK_TEST_DIR%", "%/opt/a b"},
        {"%%", "%%"},
        {"%HUSHDESK_TEST_PCT%", "%HUSHDESK_TEST_DIR%"},  // values are not expanded again
        {"", ""},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ExpandEnvironmentReferences(text), expected) << text;
    }
}

TEST(CommandLineTest, SplitsLikeAShellAndExpandsEachWordAfterwards) {
    ScopedEnv dir("HUSHDESK_TEST_DIR", "/opt/a b; rm -rf \"x\"");
    EXPECT_THAT(*CommandLineArguments("bin/install.sh %HUSHDESK_TEST_DIR% '--name=x y'"),
                ElementsAre("bin/install.sh", "/opt/a b; rm -rf \"x\"", "--name=x y"));
    EXPECT_FALSE(SplitCommandLine("run \"unterminated"));
    EXPECT_FALSE(SplitCommandLine("   "));
    EXPECT_FALSE(SplitCommandLine(std::string_view("a\0b", 3)));
}

// Windows lines have no comments and use backslashes as path separators.
TEST(CommandLineTest, HashIsOrdinaryAndBackslashesEscapeOnlyBeforeAQuote) {
    EXPECT_THAT(*SplitCommandLine("setup.sh #1 --tag=#x"),
                ElementsAre("setup.sh", "#1", "--tag=#x"));
    EXPECT_THAT(*SplitCommandLine("# install"), ElementsAre("#", "install"));
    EXPECT_THAT(*SplitCommandLine("Setup\\bin\\setup.exe /q C:\\"),
                ElementsAre("Setup\\bin\\setup.exe", "/q", "C:\\"));
    EXPECT_THAT(*SplitCommandLine("\"C:\\Program Files\\Kestrova\\\\\" /d"),
                ElementsAre("C:\\Program Files\\Kestrova\\", "/d"));
    EXPECT_THAT(*SplitCommandLine("a\\\"b \"c\\\\\\\"d\""), ElementsAre("a\"b", "c\\\"d"));
    EXPECT_THAT(*SplitCommandLine("\"\" x\ty\nz"), ElementsAre("", "x", "y", "z"));
    EXPECT_THAT(*SplitCommandLine("'it''s' \"a 'b'\""), ElementsAre("its", "a 'b'"));
    EXPECT_FALSE(SplitCommandLine("run 'open"));
}

}  // namespace
}  // namespace platform
