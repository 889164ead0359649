#include "pipeline/SharedMemory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/Files.h"
#include "platform/ShowMessage.h"

namespace {

constexpr char kMessageCaption[] = "Hushdesk";
constexpr char kCreateFileError[] = "SMCore::PrefetchFileToSharedMemory - CreateFile error!";
constexpr char kCreateMappingError[] =
    "SMCore::PrefetchFileToSharedMemory - CreateFileMapping error!";
constexpr char kReMapError[] = "SMCore::ReMapFile - MapViewOfFile error!";

// Below this much free space in the temp folder no working copy is started,
// whatever the recording's size.
constexpr uint64_t kMinimumFreeBytes = 0x68000000;

int Protection(bool writable) {
    return writable ? PROT_READ | PROT_WRITE : PROT_READ;
}

// Reports a failure through `error` when the caller gave one, else (for steps
// that have a text) in a message box. Returns the failed call's result, 0.
uint64_t Fail(int* error, int code, const char* text) {
    if (error != nullptr) {
        *error = code;
    } else if (text != nullptr) {
        platform::ShowMessage(text, kMessageCaption, platform::kMbOk);
    }
    return 0;
}

}  // namespace

CSMCore::CSMCore(std::string name) {
    m_name = std::move(name);
}

CSMCore::~CSMCore() {
    UnmapView();
    CloseFile();
    m_name.clear();
}

void CSMCore::UnmapView() {
    if (m_view != nullptr) {
        munmap(m_view, m_viewBytes);
        m_view = nullptr;
        m_viewBytes = 0;
    }
}

void CSMCore::CloseFile() {
    if (m_file >= 0) {
        close(m_file);
        m_file = -1;
    }
}

uint64_t CSMCore::PrefetchFileToSharedMemory(const std::string& path, int* error, bool writable) {
    // A core maps one file; a second call starts over.
    UnmapView();
    CloseFile();
    m_fileSize = 0;

    // No O_CREAT: opening must never make a file where the user has none.
    // O_NONBLOCK keeps a FIFO given by mistake from hanging the open.
    m_file = open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK);
    if (m_file < 0) {
        return Fail(error, errno, kCreateFileError);
    }
    struct stat info {};
    int statError = 0;
    if (fstat(m_file, &info) != 0) {
        statError = errno;
    } else if (!S_ISREG(info.st_mode)) {
        statError = S_ISDIR(info.st_mode) ? EISDIR : ENODEV;
    }
    if (statError != 0) {
        CloseFile();
        return Fail(error, statError, kCreateFileError);
    }
    m_fileSize = static_cast<uint64_t>(info.st_size);
    if (m_fileSize == 0) {
        // mmap cannot map zero bytes, as a zero-length file mapping is refused
        // elsewhere too.
        return Fail(error, EINVAL, kCreateMappingError);
    }
    const uint64_t length = std::min(m_fileSize, kWindowBytes);
    void* view = mmap(nullptr, length, Protection(writable), MAP_SHARED, m_file, 0);
    if (view == MAP_FAILED) {
        return Fail(error, errno, nullptr);  // this step reports through `error` only
    }
    m_view = view;
    m_viewBytes = length;
    return m_fileSize;
}

void* CSMCore::ReMapFile(uint32_t window, bool writable) {
    UnmapView();
    const uint64_t offset = uint64_t{window} * kWindowBytes;
    // The file may have been shortened since it was opened; touching a mapped
    // page past its end would kill the process, so such a window is refused.
    struct stat info {};
    if (m_file < 0 || offset >= m_fileSize || fstat(m_file, &info) != 0 ||
        static_cast<uint64_t>(info.st_size) < std::min(m_fileSize, offset + kWindowBytes)) {
        platform::ShowMessage(kReMapError, kMessageCaption, platform::kMbOk);
        return nullptr;
    }
    const uint64_t length = std::min(kWindowBytes, m_fileSize - offset);
    void* view =
        mmap(nullptr, length, Protection(writable), MAP_SHARED, m_file, static_cast<off_t>(offset));
    if (view == MAP_FAILED) {
        platform::ShowMessage(kReMapError, kMessageCaption, platform::kMbOk);
        return nullptr;
    }
    m_view = view;
    m_viewBytes = length;
    return m_view;
}

uint64_t CSMCore::CurrentFileBytes() const {
    struct stat info {};
    if (m_file < 0 || fstat(m_file, &info) != 0) {
        return 0;
    }
    return static_cast<uint64_t>(info.st_size);
}

std::string MakeTempFileName(uint64_t workingCopyBytes) {
    const std::string path = platform::CreateTempFile();
    if (path.empty()) {
        return {};
    }
    const auto freeBytes = platform::FreeSpaceBytes(platform::TempDirectory());
    if (!freeBytes || *freeBytes < std::max(kMinimumFreeBytes, workingCopyBytes)) {
        unlink(path.c_str());  // a refusal leaves nothing behind
        return " ";
    }
    return path;
}
