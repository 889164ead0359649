// What an interruption's clean-up (RemovePendingFiles, called from the second
// Ctrl-C's signal handler) finds: every temporary file from the moment it
// exists.
#include <gtest/gtest.h>

#include <filesystem>

#include "PipelineTestSupport.h"
#include "pipeline/OutputFile.h"
#include "pipeline/PendingFiles.h"
#include "pipeline/SoundFile.h"
#include "platform/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace {

namespace fs = std::filesystem;

TEST(PendingFiles, WorkingCopyAndTemporaryOutputAreRemovedOnInterruption) {
    testsupport::TempFolder folder;
    testsupport::ScopedEnv tmp("TMPDIR", folder.File("tmp"));
    testsupport::ScopedEnv budget("HUSHDESK_MEMORY_BUDGET", "16");
    fs::create_directory(folder.File("tmp"));
    platform::SetFreeSpaceOverride(uint64_t{1} << 40);
    const std::string in = folder.File("in.wav");
    ASSERT_TRUE(testsupport::WritePcmWav(in, 8000, 1, testsupport::Tone(8000, 440, 8000, 3000)));

    CSoundFile sound;
    // Right after Open, before any loading job has run.
    ASSERT_EQ(sound.Open(in, nullptr, nullptr), SoundFileResult::Ok);
    ASSERT_TRUE(sound.IsMapped());
    ASSERT_TRUE(fs::exists(sound.WorkingCopyPath()));
    OutputFile output(folder.File("out.wav"));
    ASSERT_EQ(output.Create(false), OutputResult::Ok);
    ASSERT_TRUE(fs::exists(output.TempPath()));

    RemovePendingFiles();
    EXPECT_FALSE(fs::exists(sound.WorkingCopyPath()));
    EXPECT_FALSE(fs::exists(output.TempPath()));
    EXPECT_TRUE(fs::exists(in));
    platform::SetFreeSpaceOverride(std::nullopt);
}

}  // namespace
