#include "pipeline/WorkingCopyLock.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ctime>

namespace {

constexpr char kPrefix[] = "_te";
constexpr char kSuffix[] = ".tmp";
constexpr size_t kUniqueChars = 6;  // mkstemps' XXXXXX
// A file younger than this may belong to a run that has just created it and
// not locked it yet.
constexpr time_t kMinimumAgeSeconds = 60;

bool HasWorkingCopyName(const char* name) {
    const size_t length = std::strlen(name);
    return length == sizeof(kPrefix) - 1 + kUniqueChars + sizeof(kSuffix) - 1 &&
           std::strncmp(name, kPrefix, sizeof(kPrefix) - 1) == 0 &&
           std::strcmp(name + length - (sizeof(kSuffix) - 1), kSuffix) == 0;
}

bool StartsWithWavHeader(int fd) {
    char header[12] = {};
    return pread(fd, header, sizeof header, 0) == static_cast<ssize_t>(sizeof header) &&
           std::memcmp(header, "RIFF", 4) == 0 && std::memcmp(header + 8, "WAVE", 4) == 0;
}

}  // namespace

int LockWorkingCopy(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return -1;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int RemoveStaleWorkingCopies(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return 0;
    }
    const int dirFd = dirfd(dir);
    const time_t now = std::time(nullptr);
    int removed = 0;
    while (const dirent* entry = readdir(dir)) {
        if (!HasWorkingCopyName(entry->d_name)) {
            continue;
        }
        const int fd = openat(dirFd, entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) {
            continue;
        }
        struct stat st {};
        if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() &&
            now - st.st_mtime >= kMinimumAgeSeconds && StartsWithWavHeader(fd) &&
            flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // Unlinked while locked, so no new owner can take it meanwhile.
            if (unlinkat(dirFd, entry->d_name, 0) == 0) {
                ++removed;
            }
        }
        close(fd);
    }
    closedir(dir);
    return removed;
}
