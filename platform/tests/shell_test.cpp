#include "platform/Shell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/Scripts.h"
#include "testsupport/TempFolder.h"

namespace platform {
namespace {

using testsupport::ReadText;
using testsupport::ScopedEnv;
using testsupport::TempFolder;
using testsupport::WriteScript;
using testsupport::WriteText;

// What a detached program wrote, waiting up to 5 s for it.
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

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A stand-in for the desktop's opener, first on PATH.
        WriteScript(m_folder.File("fake-bin/xdg-open"),
                    "printf '%s|' \"$@\" > \"$OPENED\"; echo >> \"$OPENED\"\n");
        m_path.emplace("PATH", m_folder.File("fake-bin") + ":" + std::getenv("PATH"));
        m_opened.emplace("OPENED", m_folder.File("opened"));
        std::filesystem::create_directories(m_folder.File("medium/docs"));
        std::filesystem::current_path(m_folder.File("medium"));
    }

    TempFolder m_folder;
    std::optional<ScopedEnv> m_path;
    std::optional<ScopedEnv> m_opened;
};

TEST_F(ShellTest, DocumentsOpenWithTheDesktopOpenerByAbsolutePath) {
    WriteText(m_folder.File("medium/docs/README.html"), "<p>notes</p>");
    EXPECT_TRUE(ShellOpen("docs\\README.html", "--ignored"));
    EXPECT_EQ(AwaitMarker(m_folder.File("opened")),
              m_folder.File("medium/docs/README.html") + "|\n");
}

TEST_F(ShellTest, AddressesGoToTheOpenerAsTheyAre) {
    EXPECT_TRUE(IsAddress("https://example.org/a b"));
    EXPECT_TRUE(IsAddress("mailto:support@example.org"));
    EXPECT_FALSE(IsAddress("docs/guide.pdf"));
    EXPECT_FALSE(IsAddress("C:\\docs\\guide.pdf"));
    EXPECT_TRUE(ShellOpen("https://example.org/?q=1", ""));
    EXPECT_EQ(AwaitMarker(m_folder.File("opened")), "https://example.org/?q=1|\n");
}

TEST_F(ShellTest, ProgramsRunDirectlyWithTheirParameters) {
    WriteScript(m_folder.File("medium/tool.sh"),
                "printf '%s|' \"$@\" > \"$OPENED.tool\"; echo >> \"$OPENED.tool\"\n");
    EXPECT_TRUE(ShellOpen("tool.sh", "--mode \"two words\""));
    EXPECT_EQ(AwaitMarker(m_folder.File("opened.tool")), "--mode|two words|\n");
    EXPECT_FALSE(std::filesystem::exists(m_folder.File("opened")));
}

// On FAT/exFAT sticks and CDs every file has the execute bit: documents are
// still documents, and a file without "#!" is never given to a shell.
TEST_F(ShellTest, ExecutableDocumentsAreOpenedNotRun) {
    const std::string notes = m_folder.File("medium/Release notes");
    WriteText(notes, "touch \"$OPENED.ran\"\n");
    const std::string readme = m_folder.File("medium/README.html");
    WriteText(readme, "<p>notes</p>");
    ASSERT_EQ(chmod(notes.c_str(), 0755), 0);
    ASSERT_EQ(chmod(readme.c_str(), 0755), 0);

    EXPECT_TRUE(ShellOpen("Release notes", "--x"));
    EXPECT_EQ(AwaitMarker(m_folder.File("opened")), notes + "|\n");
    std::filesystem::remove(m_folder.File("opened"));
    EXPECT_TRUE(ShellOpen("README.html", ""));
    EXPECT_EQ(AwaitMarker(m_folder.File("opened")), readme + "|\n");
    usleep(100000);
    EXPECT_FALSE(std::filesystem::exists(m_folder.File("opened.ran")));
}

TEST_F(ShellTest, MissingFilesOpenNothing) {
    EXPECT_FALSE(ShellOpen("docs/missing.pdf", ""));
    EXPECT_FALSE(ShellOpen("", ""));
    usleep(200000);
    EXPECT_FALSE(std::filesystem::exists(m_folder.File("opened")));
}

}  // namespace
}  // namespace platform
