#include "platform/Files.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace platform {
namespace {

constexpr uint64_t kMemoryBudgetCapBytes = uint64_t{2} << 30;

std::mutex overrideMutex;
std::optional<uint64_t> freeSpaceOverride;

// A non-negative decimal number that fills the whole text.
std::optional<uint64_t> ParseBytes(const char* text) {
    if (text == nullptr || *text < '0' || *text > '9') {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0') {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::string TempDirectory() {
    const char* tmpdir = std::getenv("TMPDIR");
    std::string dir = (tmpdir != nullptr && *tmpdir != '\0') ? tmpdir : "/tmp";
    while (dir.size() > 1 && dir.back() == '/') {
        dir.pop_back();
    }
    return dir;
}

std::string CreateTempFile() {
    constexpr char kPrefix[] = "_te";
    constexpr char kSuffix[] = ".tmp";
    const std::string pattern = TempDirectory() + "/" + kPrefix + "XXXXXX" + kSuffix;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // mkstemps creates the file exclusively with mode 0600: nobody else can
    // pre-create or read the working copy.
    const int fd = mkstemps(name.data(), static_cast<int>(sizeof(kSuffix) - 1));
    if (fd < 0) {
        return {};
    }
    close(fd);
    return std::string(name.data());
}

std::optional<uint64_t> FreeSpaceBytes(const std::string& path) {
    {
        std::lock_guard lock(overrideMutex);
        if (freeSpaceOverride) {
            return freeSpaceOverride;
        }
    }
    struct statvfs fs {};
    if (statvfs(path.c_str(), &fs) != 0) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(fs.f_bavail) * static_cast<uint64_t>(fs.f_frsize);
}

void SetFreeSpaceOverride(std::optional<uint64_t> bytes) {
    std::lock_guard lock(overrideMutex);
    freeSpaceOverride = bytes;
}

uint64_t MemoryBudgetBytes() {
    if (const auto configured = ParseBytes(std::getenv("HUSHDESK_MEMORY_BUDGET"))) {
        return *configured;
    }
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageBytes = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageBytes <= 0) {
        return kMemoryBudgetCapBytes;
    }
    const uint64_t physicalBytes = static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageBytes);
    return std::min(physicalBytes / 4, kMemoryBudgetCapBytes);
}

bool SameFile(const std::string& first, const std::string& second) {
    struct stat a {};
    struct stat b {};
    if (first.empty() || second.empty() || ::stat(first.c_str(), &a) != 0 ||
        ::stat(second.c_str(), &b) != 0) {
        return false;
    }
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace platform
