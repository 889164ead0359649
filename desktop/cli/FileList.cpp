#include "FileList.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "resources/StringTable.h"
#include "resources/resource.h"

namespace fs = std::filesystem;

std::vector<std::string> SplitFileList(std::string_view text, bool nulSeparated) {
    const char separator = nulSeparated ? '\0' : '\n';
    std::vector<std::string> entries;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        entries.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

FileListResult ReadFileList(const std::string& source, bool nulSeparated, bool english) {
    FileListResult result;
    const bool standardInput = source == "-";
    const int fd = standardInput ? STDIN_FILENO : open(source.c_str(), O_RDONLY | O_CLOEXEC);
    std::string text;
    int error = fd < 0 ? errno : 0;
    if (fd >= 0) {
        char buffer[65536];
        for (;;) {
            const ssize_t n = read(fd, buffer, sizeof(buffer));
            if (n > 0) {
                text.append(buffer, static_cast<size_t>(n));
            } else if (n == 0) {
                break;
            } else if (errno != EINTR) {
                error = errno;
                break;
            }
        }
        if (!standardInput) {
            close(fd);
        }
    }
    if (error != 0) {
        result.status = ExitStatus::IoError;
        result.error = res::Format(res::LoadPair(res::IDS_CLI_CANNOT_READ, english), source.c_str(),
                                   std::strerror(error));
        return result;
    }
    result.entries = SplitFileList(text, nulSeparated);
    return result;
}

std::string OutputPathUnder(const std::string& dir, const std::string& input, bool keepTree) {
    const fs::path path(input);
    if (!keepTree) {
        return (fs::path(dir) / path.filename()).string();
    }
    fs::path kept;
    bool leading = true;
    for (const auto& part : path.lexically_normal().relative_path()) {
        if (leading && part == "..") {
            continue;
        }
        leading = false;
        kept /= part;
    }
    return (fs::path(dir) / kept).string();
}

std::optional<BadEntry> CheckListEntry(const std::string& input, size_t position, bool english) {
    if (input.empty()) {
        return BadEntry{input, ExitStatus::Refused,
                        res::Format(res::LoadPair(res::IDS_CLI_EMPTY_ENTRY, english),
                                    static_cast<int>(position + 1))};
    }
    struct stat st {};
    int error = stat(input.c_str(), &st) == 0 ? 0 : errno;
    if (error == 0 && S_ISDIR(st.st_mode)) {
        error = EISDIR;
    }
    if (error != 0) {
        return BadEntry{input, ExitStatus::IoError,
                        res::Format(res::LoadPair(res::IDS_CLI_CANNOT_READ, english), input.c_str(),
                                    std::strerror(error))};
    }
    if (!S_ISREG(st.st_mode)) {
        return BadEntry{
            input, ExitStatus::Refused,
            res::Format(res::LoadPair(res::IDS_CLI_INPUT_NOT_REGULAR, english), input.c_str())};
    }
    return std::nullopt;
}
