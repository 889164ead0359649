#include "pipeline/SharedMemory.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/Files.h"
#include "platform/ShowMessage.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace {

namespace fs = std::filesystem;

constexpr uint64_t kWindow = CSMCore::kWindowBytes;
constexpr char kCreateFileError[] = "SMCore::PrefetchFileToSharedMemory - CreateFile error!";
constexpr char kCreateMappingError[] =
    "SMCore::PrefetchFileToSharedMemory - CreateFileMapping error!";
constexpr char kReMapError[] = "SMCore::ReMapFile - MapViewOfFile error!";

class SharedMemoryTest : public ::testing::Test {
protected:
    // A sparse file of `bytes` bytes with `marks` written at their offsets.
    std::string MakeFile(const std::string& name, uint64_t bytes,
                         std::initializer_list<std::pair<uint64_t, uint8_t>> marks = {}) {
        const std::string path = m_folder.File(name);
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(ftruncate(fd, static_cast<off_t>(bytes)), 0);
        for (const auto& [offset, byte] : marks) {
            EXPECT_EQ(pwrite(fd, &byte, 1, static_cast<off_t>(offset)), 1);
        }
        close(fd);
        return path;
    }

    static uint8_t ByteOnDisk(const std::string& path, uint64_t offset) {
        const int fd = open(path.c_str(), O_RDONLY);
        uint8_t byte = 0;
        EXPECT_EQ(pread(fd, &byte, 1, static_cast<off_t>(offset)), 1);
        close(fd);
        return byte;
    }

    testsupport::TempFolder m_folder;
};

TEST_F(SharedMemoryTest, FileOfExactlyOneWindowHasNoSecondWindow) {
    const std::string path = MakeFile("one.wav", kWindow, {{kWindow - 1, 0x5A}});
    CSMCore core("NCMAP");
    int error = 0;
    ASSERT_EQ(core.PrefetchFileToSharedMemory(path, &error, false), kWindow);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(core.FileSize(), kWindow);
    EXPECT_EQ(static_cast<const uint8_t*>(core.View())[kWindow - 1], 0x5A);

    platform::MessageRecorder recorder;
    EXPECT_EQ(core.ReMapFile(1, false), nullptr);
    EXPECT_EQ(core.View(), nullptr);
    ASSERT_EQ(recorder.Messages().size(), 1u);
    EXPECT_EQ(recorder.Messages()[0].text, kReMapError);
}

TEST_F(SharedMemoryTest, ReadsAcrossTheWindowBoundaryReMap) {
    const std::string path =
        MakeFile("two.wav", kWindow + 1, {{kWindow - 1, 0x11}, {kWindow, 0x22}});
    CSMCore core("NCMAP");
    int error = 0;
    ASSERT_EQ(core.PrefetchFileToSharedMemory(path, &error, false), kWindow + 1);
    EXPECT_EQ(static_cast<const uint8_t*>(core.View())[kWindow - 1], 0x11);

    const auto* second = static_cast<const uint8_t*>(core.ReMapFile(1, false));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second, core.View());
    EXPECT_EQ(second[0], 0x22);  // the second window holds the one last byte

    const auto* first = static_cast<const uint8_t*>(core.ReMapFile(0, false));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first[kWindow - 1], 0x11);
}

TEST_F(SharedMemoryTest, WritableWindowsReachTheFile) {
    const std::string path = MakeFile("copy.tmp", kWindow + 4);
    {
        CSMCore core("NCMAP");
        int error = 0;
        ASSERT_EQ(core.PrefetchFileToSharedMemory(path, &error, true), kWindow + 4);
        static_cast<uint8_t*>(core.View())[10] = 0xA1;
        auto* second = static_cast<uint8_t*>(core.ReMapFile(1, true));
        ASSERT_NE(second, nullptr);
        second[3] = 0xB2;
    }
    EXPECT_EQ(ByteOnDisk(path, 10), 0xA1);
    EXPECT_EQ(ByteOnDisk(path, kWindow + 3), 0xB2);
}

TEST_F(SharedMemoryTest, ReadOnlyCoreNeverWritesTheRecording) {
    const std::string path = MakeFile("rec.wav", 4096, {{0, 'R'}});
    CSMCore core("NCMAP");
    int error = 0;
    ASSERT_EQ(core.PrefetchFileToSharedMemory(path, &error, false), 4096u);
    platform::MessageRecorder recorder;
    // The file was opened for reading only, so no window of it can be writable.
    EXPECT_EQ(core.ReMapFile(0, true), nullptr);
    EXPECT_EQ(recorder.Messages().size(), 1u);
    EXPECT_NE(core.ReMapFile(0, false), nullptr);
}

TEST_F(SharedMemoryTest, MissingFileIsNeverCreated) {
    const std::string path = m_folder.File("absent.wav");
    platform::MessageRecorder recorder;
    for (const bool writable : {false, true}) {
        CSMCore core("NCMAP");
        int error = 0;
        EXPECT_EQ(core.PrefetchFileToSharedMemory(path, &error, writable), 0u);
        EXPECT_EQ(error, ENOENT);
        EXPECT_EQ(core.View(), nullptr);
        EXPECT_FALSE(fs::exists(path));
    }
    EXPECT_TRUE(recorder.Messages().empty());  // the out-parameter replaces the box

    CSMCore core("NCMAP");
    EXPECT_EQ(core.PrefetchFileToSharedMemory(path, nullptr, false), 0u);
    ASSERT_EQ(recorder.Messages().size(), 1u);
    EXPECT_EQ(recorder.Messages()[0].text, kCreateFileError);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(SharedMemoryTest, EmptyFileFailsCleanlyAtTheMappingStep) {
    const std::string path = MakeFile("empty.wav", 0);
    platform::MessageRecorder recorder;
    {
        CSMCore core("NCMAP");
        int error = 0;
        EXPECT_EQ(core.PrefetchFileToSharedMemory(path, &error, false), 0u);
        EXPECT_NE(error, 0);
        EXPECT_EQ(core.View(), nullptr);
        EXPECT_EQ(core.ReMapFile(0, false), nullptr);
    }
    CSMCore core("NCMAP");
    EXPECT_EQ(core.PrefetchFileToSharedMemory(path, nullptr, true), 0u);
    const auto messages = recorder.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, kReMapError);
    EXPECT_EQ(messages[1].text, kCreateMappingError);
}

TEST_F(SharedMemoryTest, FolderIsNotAFileToMap) {
    CSMCore core("NCMAP");
    int error = 0;
    EXPECT_EQ(core.PrefetchFileToSharedMemory(m_folder.Path(), &error, false), 0u);
    EXPECT_EQ(error, EISDIR);
}

TEST_F(SharedMemoryTest, ShortenedFileRefusesWindowsPastItsNewEnd) {
    const std::string path = MakeFile("shrinks.wav", kWindow + 100);
    CSMCore core("NCMAP");
    int error = 0;
    ASSERT_EQ(core.PrefetchFileToSharedMemory(path, &error, false), kWindow + 100);
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(kWindow + 50)), 0);
    platform::MessageRecorder recorder;
    EXPECT_EQ(core.ReMapFile(1, false), nullptr);
    EXPECT_EQ(recorder.Messages().size(), 1u);
}

class MakeTempFileNameTest : public SharedMemoryTest {
protected:
    void TearDown() override { platform::SetFreeSpaceOverride(std::nullopt); }
    size_t FileCount() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(m_folder.Path()), {}));
    }

    testsupport::ScopedEnv m_tmpdir{"TMPDIR", m_folder.Path()};
};

TEST_F(MakeTempFileNameTest, RefusesBelowTheFreeSpaceFloorAndLeavesNoFile) {
    platform::SetFreeSpaceOverride(1744830463);
    EXPECT_EQ(MakeTempFileName(0), " ");
    EXPECT_EQ(FileCount(), 0u);

    platform::SetFreeSpaceOverride(1744830464);
    const std::string path = MakeTempFileName(0);
    ASSERT_GT(path.size(), 1u);
    EXPECT_EQ(fs::path(path).parent_path(), fs::path(m_folder.Path()));
    EXPECT_EQ(fs::path(path).filename().string().rfind("_te", 0), 0u);
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(FileCount(), 1u);
}

TEST_F(MakeTempFileNameTest, RefusesWhenTheWorkingCopyNeedsMoreThanIsFree) {
    constexpr uint64_t kNeededBytes = uint64_t{3} << 30;
    platform::SetFreeSpaceOverride(kNeededBytes - 1);
    EXPECT_EQ(MakeTempFileName(kNeededBytes), " ");
    EXPECT_EQ(FileCount(), 0u);
    platform::SetFreeSpaceOverride(kNeededBytes);
    EXPECT_GT(MakeTempFileName(kNeededBytes).size(), 1u);
}

TEST_F(MakeTempFileNameTest, EachWorkingCopyGetsItsOwnFile) {
    platform::SetFreeSpaceOverride(uint64_t{1} << 40);
    const std::string first = MakeTempFileName(1000);
    const std::string second = MakeTempFileName(1000);
    ASSERT_GT(first.size(), 1u);
    EXPECT_NE(first, second);
    EXPECT_EQ(FileCount(), 2u);
}

TEST_F(MakeTempFileNameTest, NoTempFolderGivesNoName) {
    testsupport::ScopedEnv missing("TMPDIR", m_folder.File("missing"));
    platform::SetFreeSpaceOverride(uint64_t{1} << 40);
    EXPECT_EQ(MakeTempFileName(0), "");
}

}  // namespace
