#include "installer/CommandFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "installer/Log.h"
#include "platform/CommandLine.h"
#include "platform/EnvironmentReferences.h"
#include "platform/Process.h"

namespace installer {
namespace {

constexpr std::string_view kExeBeforeSpace = ".exe ";

std::optional<CommandPath> Path(std::string_view path, CommandPathRule rule) {
    if (path.empty()) {
        return std::nullopt;
    }
    return CommandPath{path, rule};
}

std::optional<CommandPath> ExtractMsiexecPackage(std::string_view line) {
    size_t pos = 0;
    while (true) {
        pos = line.find('/', pos);
        if (pos == std::string_view::npos || pos + 1 >= line.size()) {
            return std::nullopt;  // no package switch
        }
        if (line[pos + 1] == 'i') {
            break;
        }
        ++pos;
    }
    pos = line.find(' ', pos);
    if (pos == std::string_view::npos) {
        return std::nullopt;  // the switch ends the line
    }
    while (pos < line.size() && line[pos] == ' ') {
        ++pos;
    }
    if (pos < line.size() && line[pos] == '"') {
        const size_t close = line.find('"', pos + 1);
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        return Path(line.substr(pos + 1, close - pos - 1), CommandPathRule::Msiexec);
    }
    const size_t end = line.find(' ', pos);
    return Path(
        line.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos),
        CommandPathRule::Msiexec);
}

std::string WithForwardSlashes(std::string path) {
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    return path;
}

// A regular file that can be opened for reading. stat first: opening a FIFO
// for reading would block.
bool IsReadableRegularFile(const std::string& path) {
    std::string full = path;
    if (full.empty() || full.front() != '/') {
        std::error_code error;
        full = std::filesystem::current_path(error).string() + "/" + path;
    }
    struct stat info {};
    if (stat(full.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    const int fd = open(full.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    close(fd);
    return true;
}

bool ExistsOrLog(const std::string& path) {
    if (IsReadableRegularFile(path)) {
        return true;
    }
    Log("SV: File not found: \"" + path + "\"");
    return false;
}

}  // namespace

std::optional<CommandPath> ExtractCommandPath(std::string_view line) {
    if (line.substr(0, 7) == "msiexec") {
        return ExtractMsiexecPackage(line);
    }
    if (!line.empty() && line.front() == '"') {
        const size_t close = line.find('"', 1);
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        return Path(line.substr(1, close - 1), CommandPathRule::Quoted);
    }
    const size_t exe = line.find(kExeBeforeSpace);
    if (exe != std::string_view::npos) {
        return Path(line.substr(0, exe + 4), CommandPathRule::Program);
    }
    return Path(line, CommandPathRule::WholeLine);
}

std::optional<std::string> CommandFilePath(std::string_view line) {
    if (line.substr(0, 7) == "msiexec") {
        const auto package = ExtractMsiexecPackage(line);
        if (!package) {
            return std::nullopt;
        }
        std::string path =
            platform::ExpandEnvironmentReferences(WithForwardSlashes(std::string(package->path)));
        return path.empty() ? std::nullopt : std::optional<std::string>(path);
    }
    // The program word exactly as the launcher reads it.
    const auto words = platform::CommandLineArguments(line);
    if (!words || words->empty() || words->front().empty()) {
        return std::nullopt;
    }
    return WithForwardSlashes(words->front());
}

bool CommandFileExists(const std::string& line) {
    const auto path = CommandFilePath(line);
    if (!path) {
        Log("SV: File not found: \"" + line + "\"");
        return false;
    }
    if (line.substr(0, 7) == "msiexec") {
        // The package the line installs: nothing here runs it, but whether
        // the medium holds it is what the row reports.
        return ExistsOrLog(*path);
    }
    // Present means it would start: the file the launcher would run, and a
    // program rather than a document.
    if (platform::IsStartableProgram(platform::FindProgram(*path))) {
        return true;
    }
    Log("SV: File not found: \"" + *path + "\"");
    return false;
}

bool ShellFileExists(const std::string& file) {
    return ExistsOrLog(WithForwardSlashes(file));
}

}  // namespace installer
