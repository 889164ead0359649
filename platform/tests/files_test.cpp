#include "platform/Files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace platform {
namespace {

using testsupport::ScopedEnv;
using testsupport::TempFolder;

TEST(FilesTest, TempFilesArePrivateUniqueAndNamedLikeWorkingCopies) {
    TempFolder folder;
    ScopedEnv tmpdir("TMPDIR", folder.Path() + "/");
    EXPECT_EQ(TempDirectory(), folder.Path());

    const std::string first = CreateTempFile();
    const std::string second = CreateTempFile();
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);
    for (const std::string& path : {first, second}) {
        const std::string name = std::filesystem::path(path).filename().string();
        EXPECT_EQ(std::filesystem::path(path).parent_path().string(), folder.Path());
        EXPECT_EQ(name.rfind("_te", 0), 0u) << name;
        EXPECT_EQ(name.substr(name.size() - 4), ".tmp") << name;
        struct stat info {};
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        EXPECT_EQ(info.st_size, 0);
    }
}

TEST(FilesTest, SameFileSeesThroughLinksAndSpellings) {
    TempFolder folder;
    const std::string original = folder.Path() + "/talk.wav";
    const std::string other = folder.Path() + "/other.wav";
    std::FILE* file = std::fopen(original.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    file = std::fopen(other.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    std::filesystem::create_hard_link(original, folder.Path() + "/hard.wav");
    std::filesystem::create_symlink(original, folder.Path() + "/soft.wav");

    EXPECT_TRUE(SameFile(original, folder.Path() + "/hard.wav"));
    EXPECT_TRUE(SameFile(original, folder.Path() + "/soft.wav"));
    EXPECT_TRUE(SameFile(original, folder.Path() + "/./talk.wav"));
    EXPECT_FALSE(SameFile(original, other));
    EXPECT_FALSE(SameFile(original, folder.Path() + "/missing.wav"));
    EXPECT_FALSE(SameFile("", ""));
}

TEST(FilesTest, TempFileInAMissingFolderIsEmptyName) {
    TempFolder folder;
    ScopedEnv tmpdir("TMPDIR", folder.Path() + "/missing");
    EXPECT_EQ(CreateTempFile(), "");
}

TEST(FilesTest, TempDirectoryDefaultsToTmp) {
    ScopedEnv tmpdir("TMPDIR", std::nullopt);
    EXPECT_EQ(TempDirectory(), "/tmp");
}

TEST(FilesTest, FreeSpaceCanBeInjectedAndOtherwiseIsMeasured) {
    TempFolder folder;
    SetFreeSpaceOverride(1744830463);
    EXPECT_EQ(FreeSpaceBytes(folder.Path()), 1744830463u);
    SetFreeSpaceOverride(std::nullopt);
    EXPECT_TRUE(FreeSpaceBytes(folder.Path()).has_value());
    EXPECT_FALSE(FreeSpaceBytes(folder.Path() + "/missing").has_value());
}

TEST(FilesTest, MemoryBudgetFollowsTheEnvironmentElseAQuarterCappedAt2GiB) {
    uint64_t measured = 0;
    {
        ScopedEnv budget("HUSHDESK_MEMORY_BUDGET", std::nullopt);
        measured = MemoryBudgetBytes();
    }
    EXPECT_GT(measured, 0u);
    EXPECT_LE(measured, uint64_t{2} << 30);
    {
        ScopedEnv budget("HUSHDESK_MEMORY_BUDGET", "65536");
        EXPECT_EQ(MemoryBudgetBytes(), 65536u);
    }
    for (const char* unusable : {"", "64k", "-5", "lots"}) {
        ScopedEnv budget("HUSHDESK_MEMORY_BUDGET", unusable);
        EXPECT_EQ(MemoryBudgetBytes(), measured) << unusable;
    }
}

}  // namespace
}  // namespace platform
