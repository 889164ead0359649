#include "OutputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "PendingFiles.h"

namespace {

mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

OutputFile::OutputFile(std::string finalPath) : m_finalPath(std::move(finalPath)) {}

OutputFile::~OutputFile() {
    if (!m_tempPath.empty() && !m_committed) {
        unlink(m_tempPath.c_str());
    }
    UntrackPendingFile(m_ticket);
}

int OutputFile::Create() {
    const std::filesystem::path target(m_finalPath);
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    const std::string pattern =
        (folder / ("." + target.filename().string() + ".hushdesk-XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        return -1;
    }
    m_tempPath = name.data();
    m_ticket = TrackPendingFile(m_tempPath);
    // mkstemp makes the file private; the result gets the usual permissions.
    fchmod(fd, NewFileMode());
    return fd;
}

int OutputFile::Commit(bool replace) {
    if (m_tempPath.empty()) {
        return EINVAL;
    }
    if (replace) {
        if (rename(m_tempPath.c_str(), m_finalPath.c_str()) != 0) {
            return errno;
        }
    } else {
        // link() refuses an existing target, so a file that appeared meanwhile
        // is never replaced.
        if (link(m_tempPath.c_str(), m_finalPath.c_str()) == 0) {
            unlink(m_tempPath.c_str());
        } else if (errno == EPERM || errno == EOPNOTSUPP) {
            // A file system without hard links: check, then rename.
            struct stat existing {};
            if (lstat(m_finalPath.c_str(), &existing) == 0) {
                return EEXIST;
            }
            if (rename(m_tempPath.c_str(), m_finalPath.c_str()) != 0) {
                return errno;
            }
        } else {
            return errno;
        }
    }
    m_committed = true;
    UntrackPendingFile(m_ticket);
    m_ticket = -1;
    return 0;
}
