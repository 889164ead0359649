#include "pipeline/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "pipeline/PendingFiles.h"

namespace {

constexpr const char* kTempSuffix = ".hushdesk-XXXXXX";
constexpr size_t kDefaultNameMax = 255;

mode_t ReadProcessUmask() {
    // /proc tells the umask without setting it; umask() both reads and sets,
    // which is only safe before any other thread runs.
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
        }
    }
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

size_t NameMax(const std::string& folder) {
    const long value = pathconf(folder.c_str(), _PC_NAME_MAX);
    return value > 0 ? static_cast<size_t>(value) : kDefaultNameMax;
}

}  // namespace

mode_t ProcessUmask() {
    static const mode_t mask = ReadProcessUmask();
    return mask;
}

std::string TemporaryNamePattern(const std::string& finalName, size_t nameMax) {
    const size_t extra = 1 + std::char_traits<char>::length(kTempSuffix);
    size_t keep = finalName.size();
    if (keep + extra > nameMax) {
        keep = nameMax > extra ? nameMax - extra : 0;
        // Step back over UTF-8 continuation bytes so no character is cut.
        while (keep > 0 && (static_cast<unsigned char>(finalName[keep]) & 0xC0) == 0x80) {
            --keep;
        }
    }
    return "." + finalName.substr(0, keep) + kTempSuffix;
}

OutputFile::OutputFile(std::string finalPath)
    : m_finalPath(std::move(finalPath)), m_targetPath(m_finalPath) {}

OutputFile::~OutputFile() {
    Discard();
}

void OutputFile::Discard() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.empty()) {
        unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
    UntrackPendingFile(m_ticket);
    m_ticket = -1;
}

OutputResult OutputFile::FailWith(int error) {
    m_error = error;
    return OutputResult::Failed;
}

OutputResult OutputFile::Create(bool replace) {
    m_replace = replace;
    m_targetPath = m_finalPath;
    struct stat link {};
    struct stat existing {};
    bool replacing = false;
    if (lstat(m_finalPath.c_str(), &link) == 0) {
        if (!replace) {
            return OutputResult::Exists;
        }
        if (S_ISLNK(link.st_mode)) {
            // Keep the link; the file it points to is what gets replaced.
            char resolved[PATH_MAX];
            if (stat(m_finalPath.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode) ||
                realpath(m_finalPath.c_str(), resolved) == nullptr) {
                return OutputResult::NotRegularFile;
            }
            m_targetPath = resolved;
        } else if (!S_ISREG(link.st_mode)) {
            return OutputResult::NotRegularFile;
        } else {
            existing = link;
        }
        replacing = true;
    } else if (errno != ENOENT) {
        return FailWith(errno);
    }

    const std::filesystem::path target(m_targetPath);
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
    const std::string pattern = (std::filesystem::path(folder) /
                                 TemporaryNamePattern(target.filename().string(), NameMax(folder)))
                                    .string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    m_fd = mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0) {
        return FailWith(errno);
    }
    m_tempPath = name.data();
    m_ticket = TrackPendingFile(m_tempPath);
    // mkstemp makes the file private; the result gets the replaced file's
    // permissions, or the usual ones for a new file.
    if (replacing) {
        // Ownership first: a change of owner may clear set-id bits. Only root
        // can give the file away; otherwise the owner stays the caller.
        static_cast<void>(fchown(m_fd, existing.st_uid, existing.st_gid));
        fchmod(m_fd, existing.st_mode & 07777);
    } else {
        fchmod(m_fd, 0666 & ~ProcessUmask());
    }
    return OutputResult::Ok;
}

OutputResult OutputFile::Commit() {
    if (m_fd < 0 || m_tempPath.empty()) {
        return FailWith(EINVAL);
    }
    if (fsync(m_fd) != 0) {
        return FailWith(errno);
    }
    const int fd = m_fd;
    m_fd = -1;
    if (close(fd) != 0) {
        return FailWith(errno);
    }
    if (m_replace) {
        if (rename(m_tempPath.c_str(), m_targetPath.c_str()) != 0) {
            return FailWith(errno);
        }
    } else {
        // link() refuses an existing target, so a file that appeared meanwhile
        // is never replaced.
        if (link(m_tempPath.c_str(), m_targetPath.c_str()) == 0) {
            unlink(m_tempPath.c_str());
        } else if (errno == EEXIST) {
            return OutputResult::Exists;
        } else if (errno == EPERM || errno == EOPNOTSUPP) {
            // A file system without hard links: check, then rename.
            struct stat existing {};
            if (lstat(m_targetPath.c_str(), &existing) == 0) {
                return OutputResult::Exists;
            }
            if (rename(m_tempPath.c_str(), m_targetPath.c_str()) != 0) {
                return FailWith(errno);
            }
        } else {
            return FailWith(errno);
        }
    }
    m_tempPath.clear();
    UntrackPendingFile(m_ticket);
    m_ticket = -1;
    return OutputResult::Ok;
}
