// A read of mapped pages that the file no longer holds fails instead of
// killing the program; every other SIGBUS still does.
#include "pipeline/MappedRead.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "testsupport/TempFolder.h"

namespace {

constexpr size_t kPageBytes = 4096;
constexpr size_t kFileBytes = 16 * kPageBytes;

class MappedReadTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_fd = open(m_folder.File("mapped").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(m_fd, 0);
        ASSERT_EQ(ftruncate(m_fd, kFileBytes), 0);
        void* view = mmap(nullptr, kFileBytes, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
        ASSERT_NE(view, MAP_FAILED);
        m_bytes = static_cast<volatile uint8_t*>(view);
        for (size_t i = 0; i < kFileBytes; i += kPageBytes) {
            m_bytes[i] = static_cast<uint8_t>(i / kPageBytes + 1);
        }
    }
    void TearDown() override {
        munmap(const_cast<uint8_t*>(m_bytes), kFileBytes);
        close(m_fd);
    }
    // Sum of the first byte of each page from `first` on.
    unsigned SumFrom(size_t firstPage) const {
        unsigned sum = 0;
        for (size_t i = firstPage * kPageBytes; i < kFileBytes; i += kPageBytes) {
            sum += m_bytes[i];
        }
        return sum;
    }

    testsupport::TempFolder m_folder;
    int m_fd = -1;
    volatile uint8_t* m_bytes = nullptr;
};

TEST_F(MappedReadTest, PagesPastTheNewEndFailTheReadAndTheRestStillRead) {
    unsigned sum = 0;
    EXPECT_TRUE(ReadMappedPages([&] { sum = SumFrom(0); }));
    EXPECT_EQ(sum, 16u * 17u / 2u);

    ASSERT_EQ(ftruncate(m_fd, 4 * kPageBytes), 0);
    sum = 0;
    EXPECT_FALSE(ReadMappedPages([&] { sum = SumFrom(0); }));
    // The pages the file still holds read as before, again and again: the
    // guard is ready for the next fault.
    for (int round = 0; round < 3; ++round) {
        EXPECT_TRUE(ReadMappedPages([&] {
            sum = 0;
            for (size_t page = 0; page < 4; ++page) {
                sum += m_bytes[page * kPageBytes];
            }
        }));
        EXPECT_EQ(sum, 1u + 2u + 3u + 4u);
        EXPECT_FALSE(ReadMappedPages([&] { sum = SumFrom(10); }));
    }
    // A fault in a nested read fails the inner read only.
    bool inner = true;
    EXPECT_TRUE(ReadMappedPages([&] { inner = ReadMappedPages([&] { sum = SumFrom(5); }); }));
    EXPECT_FALSE(inner);
}

TEST_F(MappedReadTest, AFaultOutsideAGuardedReadStillEndsTheProgram) {
    ASSERT_TRUE(ReadMappedPages([] {}));  // the guard is installed
    ASSERT_EQ(ftruncate(m_fd, kPageBytes), 0);
    EXPECT_DEATH(static_cast<void>(SumFrom(8)), "");
}

}  // namespace
