#include <gtest/gtest.h>

#include "uimodel/CommandLineFiles.h"

namespace {

using uimodel::CommandLineFiles;
using Words = std::vector<std::string>;

TEST(CommandLineFiles, OptionsAreSkippedAndEverythingAfterTheEndMarkIsAFile) {
    EXPECT_EQ(CommandLineFiles({"a.wav", "b.wav"}), (Words{"a.wav", "b.wav"}));
    EXPECT_EQ(CommandLineFiles({"--sync", "a.wav"}), (Words{"a.wav"}));
    EXPECT_EQ(CommandLineFiles({"--display", ":1", "a.wav", "--name=x"}), (Words{"a.wav"}));
    // A recording whose name starts with "-".
    EXPECT_EQ(CommandLineFiles({"--", "-take 1.wav", "--"}), (Words{"-take 1.wav", "--"}));
    EXPECT_EQ(CommandLineFiles({"-x", "--", "-"}), (Words{"-"}));
    EXPECT_EQ(CommandLineFiles({"", "--"}), (Words{}));
}

TEST(CommandLineFiles, NamesKeepBytesThatAreNotUtf8) {
    const std::string latin1 = "/tmp/r\xe9union.wav";  // é in Latin-1
    EXPECT_EQ(CommandLineFiles({latin1}), (Words{latin1}));
    bool ok = false;
    const Words own = uimodel::OwnCommandLineWords(&ok);
    EXPECT_TRUE(ok);  // this test's own words (gtest options, maybe none)
    for (const std::string& word : own) {
        EXPECT_EQ(word.find('\0'), std::string::npos);
    }
}

}  // namespace
