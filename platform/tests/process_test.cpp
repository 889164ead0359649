#include "platform/Process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "testsupport/Files.h"
#include "testsupport/Scripts.h"
#include "testsupport/TempFolder.h"

namespace platform {
namespace {

using testsupport::ReadText;
using testsupport::TempFolder;
using testsupport::WriteScript;
using testsupport::WriteText;

int RunAndWait(const std::vector<std::string>& argv, const std::string& workingDirectory) {
    std::string error;
    const auto child = StartProcess(argv, workingDirectory, &error);
    EXPECT_TRUE(child.has_value()) << error;
    return child ? WaitForExit(*child) : -1;
}

// The medium's relative program paths are found from Setup's own directory,
// while the program runs in its item's working directory; the wait lasts until
// the program has ended.
TEST(ProcessTest, RunsInTheWorkingDirectoryFromSetupsDirectoryAndWaitsForTheEnd) {
    TempFolder medium;
    WriteScript(medium.File("bin/install.sh"),
                "sleep 0.3\nprintf '%s|' \"$(pwd)\" \"$@\" > \"$MARKER\"\n");
    std::filesystem::create_directories(medium.File("work"));
    std::filesystem::current_path(medium.Path());
    setenv("MARKER", medium.File("marker").c_str(), 1);

    const int status = RunAndWait({"bin/install.sh", "one", "two words"}, medium.File("work"));

    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(ReadText(medium.File("marker")),
              std::filesystem::canonical(medium.File("work")).string() + "|one|two words|");
}

TEST(ProcessTest, BareNamesAreTakenFromTheCurrentDirectoryFirstThenFromPath) {
    TempFolder medium;
    WriteScript(medium.File("setup-helper"), "echo local > \"$MARKER\"\n");
    std::filesystem::current_path(medium.Path());
    setenv("MARKER", medium.File("marker").c_str(), 1);

    EXPECT_EQ(ResolveProgram("setup-helper"), medium.File("setup-helper"));
    EXPECT_EQ(ResolveProgram("sh"), "sh");
    EXPECT_EQ(ResolveProgram("/bin/sh"), "/bin/sh");
    EXPECT_EQ(ResolveProgram("sub/tool"), medium.File("sub/tool"));

    RunAndWait({"setup-helper"}, "");
    EXPECT_EQ(ReadText(medium.File("marker")), "local\n");
    RunAndWait({"sh", "-c", "echo path > \"$MARKER\""}, "");
    EXPECT_EQ(ReadText(medium.File("marker")), "path\n");
}

TEST(ProcessTest, TheChildInheritsNoDescriptorsBeyondTheStandardStreams) {
    TempFolder folder;
    const std::string secret = folder.File("open-in-setup");
    WriteText(secret, "x");
    const int fd = open(secret.c_str(), O_RDONLY);  // deliberately without O_CLOEXEC
    ASSERT_GE(fd, 3);
    WriteScript(folder.File("list-fds.sh"),
                "for f in /proc/$$/fd/*; do readlink \"$f\"; done > \"$1\"\n");

    RunAndWait({folder.File("list-fds.sh"), folder.File("fds")}, "");
    close(fd);

    const std::string listing = ReadText(folder.File("fds"));
    EXPECT_FALSE(listing.empty());
    EXPECT_EQ(listing.find(secret), std::string::npos) << listing;
}

TEST(ProcessTest, ProgramsThatCannotStartAreReportedAndNothingRuns) {
    TempFolder folder;
    WriteText(folder.File("not-executable.sh"), "#!/bin/sh\ntouch \"$0.ran\"\n");
    WriteScript(folder.File("ok.sh"), "touch \"$0.ran\"\n");
    std::string error;
    EXPECT_FALSE(StartProcess({folder.File("missing.sh")}, "", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(StartProcess({folder.File("not-executable.sh")}, "", &error));
    EXPECT_FALSE(StartProcess({folder.File("ok.sh")}, folder.File("no-such-dir"), &error));
    EXPECT_FALSE(StartProcess({}, "", &error));
    EXPECT_FALSE(std::filesystem::exists(folder.File("not-executable.sh.ran")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("ok.sh.ran")));
}

// GLib hands an executable without an ELF or "#!" header to /bin/sh: a
// release-notes file on a FAT stick would be run line by line.
TEST(ProcessTest, OnlyElfFilesAndScriptsWithAnInterpreterLineStart) {
    TempFolder folder;
    const std::string notes = folder.File("release notes.txt");
    WriteText(notes, "touch \"" + folder.File("notes.ran") + "\"\n");
    ASSERT_EQ(chmod(notes.c_str(), 0755), 0);
    WriteScript(folder.File("script.sh"), "touch \"$0.ran\"\n");
    const std::string copiedElf = folder.File("true-copy");
    std::filesystem::copy_file("/bin/true", copiedElf);
    WriteText(folder.File("empty"), "");
    ASSERT_EQ(chmod(folder.File("empty").c_str(), 0755), 0);

    EXPECT_FALSE(IsProgramFile(notes));
    EXPECT_FALSE(IsProgramFile(folder.File("empty")));
    EXPECT_FALSE(IsProgramFile(folder.Path()));
    EXPECT_FALSE(IsProgramFile(folder.File("missing")));
    EXPECT_TRUE(IsProgramFile(folder.File("script.sh")));
    EXPECT_TRUE(IsProgramFile(copiedElf));

    std::string error;
    EXPECT_FALSE(StartProcess({notes}, "", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(StartDetached({notes}, ""));
    EXPECT_FALSE(StartProcess({folder.File("empty")}, ""));
    const auto child = StartProcess({folder.File("script.sh")}, "");
    ASSERT_TRUE(child);
    WaitForExit(*child);
    EXPECT_TRUE(std::filesystem::exists(folder.File("script.sh.ran")));
    usleep(100000);
    EXPECT_FALSE(std::filesystem::exists(folder.File("notes.ran")));
}

TEST(ProcessTest, DetachedProgramsRunWithoutLeavingAChildToReap) {
    TempFolder folder;
    WriteScript(folder.File("detached.sh"), "echo \"$1\" > \"$2\"\n");
    ASSERT_TRUE(StartDetached({folder.File("detached.sh"), "done", folder.File("marker")}, ""));
    for (int i = 0; i < 500 && ReadText(folder.File("marker")).empty(); ++i) {
        usleep(10000);
    }
    EXPECT_EQ(ReadText(folder.File("marker")), "done\n");
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    EXPECT_FALSE(StartDetached({folder.File("missing")}, ""));
}

}  // namespace
}  // namespace platform
