#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "PipelineTestSupport.h"
#include "pipeline/SoundFile.h"
#include "pipeline/WorkingCopyLock.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

void MakeOld(const std::string& path) {
    const timespec times[2] = {{0, UTIME_OMIT}, {time(nullptr) - 3600, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

class WorkingCopyLockTest : public ::testing::Test {
protected:
    TempFolder folder;
    ScopedEnv tmpdir{"TMPDIR", folder.Path()};
    ScopedEnv budget{"HUSHDESK_MEMORY_BUDGET", "16"};  // mapped mode: a working copy
};

TEST_F(WorkingCopyLockTest, CopiesOfDeadRunsGoThoseInUseAndOtherFilesStay) {
    const std::string recording = folder.File("talk.wav");
    ASSERT_TRUE(WritePcmWav(recording, 8000, 1, Noise(4000, 5, 100)));
    CSoundFile live;
    ASSERT_EQ(live.Open(recording, nullptr, nullptr), SoundFileResult::Ok);
    const std::string inUse = live.WorkingCopyPath();
    ASSERT_FALSE(inUse.empty());
    MakeOld(inUse);

    // A run killed hard: its copy stays behind, unlocked.
    std::string left;
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CSoundFile file;
        if (file.Open(recording, nullptr, nullptr) == SoundFileResult::Ok) {
            const std::string path = file.WorkingCopyPath();
            [[maybe_unused]] auto n = write(pipeFds[1], path.c_str(), path.size());
        }
        raise(SIGKILL);
    }
    close(pipeFds[1]);
    char buffer[4096] = {};
    ASSERT_GT(read(pipeFds[0], buffer, sizeof buffer - 1), 0);
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    left = buffer;
    ASSERT_TRUE(fs::exists(left));
    MakeOld(left);

    // Files that only look alike: young, not a WAV, another name.
    const std::string young = folder.File("_teYOUNG1.tmp");
    fs::copy_file(left, young);
    const std::string notWav = folder.File("_teNOTWAV.tmp");
    std::ofstream(notWav) << "not a recording at all";
    MakeOld(notWav);
    const std::string otherName = folder.File("_teLONGER1.tmp.bak");
    fs::copy_file(left, otherName);
    MakeOld(otherName);

    EXPECT_EQ(RemoveStaleWorkingCopies(folder.Path()), 1);
    EXPECT_FALSE(fs::exists(left));
    EXPECT_TRUE(fs::exists(inUse));
    EXPECT_TRUE(fs::exists(young));
    EXPECT_TRUE(fs::exists(notWav));
    EXPECT_TRUE(fs::exists(otherName));
    // The live copy still works.
    EXPECT_EQ(live.GetSample(0, 10), Noise(4000, 5, 100)[10]);
    EXPECT_EQ(RemoveStaleWorkingCopies(folder.Path() + "/missing"), 0);
}

}  // namespace
