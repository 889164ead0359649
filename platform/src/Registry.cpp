#include "platform/Registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string_view>
#include <vector>

namespace platform {
namespace {

enum class FileState { Absent, Parsed, Corrupt, Unreadable };

struct LoadedRoot {
    FileState state = FileState::Absent;
    struct stat identity {};  // of the file read
    bool notRegular = false;  // Unreadable because it is a FIFO, device, folder...
    RegKeyNode tree;
    std::vector<RegSkippedLine> skipped;  // Parsed, but these lines were left out
};

// Skipped lines named one by one in a warning; the rest are counted.
constexpr size_t kNamedSkippedLines = 5;
// Longest part of a skipped line shown.
constexpr size_t kShownLineChars = 80;

// ReadWholeFile's error for a path that is no regular file.
constexpr int kNotRegularFile = -1;

std::mutex faultMutex;
RegWriteFault writeFault;

std::mutex warnedMutex;
std::set<std::string> warnedPaths;

void WriteLineToStandardError(const std::string& text) {
    const std::string line = text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

// `identity`: the file's fstat, of the very file read.
std::optional<std::string> ReadWholeFile(const std::string& path, int& error,
                                         struct stat& identity) {
    // O_NONBLOCK: a FIFO in the file's place must not hang the program.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = errno;
        return std::nullopt;
    }
    struct stat& info = identity;
    if (fstat(fd, &info) != 0) {
        error = errno;
        close(fd);
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        error = kNotRegularFile;
        close(fd);
        return std::nullopt;
    }
    std::string text;
    char buffer[16384];
    while (true) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error = errno;
            close(fd);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        text.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return text;
}

LoadedRoot LoadRoot(RegRoot root, const std::string& path) {
    LoadedRoot loaded;
    loaded.tree.name = std::string(RegRootName(root));
    int error = 0;
    const auto text = ReadWholeFile(path, error, loaded.identity);
    if (!text) {
        loaded.state = error == ENOENT ? FileState::Absent : FileState::Unreadable;
        loaded.notRegular = error == kNotRegularFile;
        return loaded;
    }
    auto tree = ParseRegText(*text, RegRootName(root), &loaded.skipped);
    if (!tree) {
        loaded.state = FileState::Corrupt;
        return loaded;
    }
    loaded.state = FileState::Parsed;
    loaded.tree = std::move(*tree);
    return loaded;
}

// A line of the file as it can be shown on a terminal: cut short, with
// control characters written as \xNN.
std::string Printable(std::string_view line) {
    std::string shown;
    for (const char c : line.substr(0, kShownLineChars)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return line.size() > kShownLineChars ? shown + "..." : shown;
}

void WarnSkippedLines(const std::string& path, const std::vector<RegSkippedLine>& skipped) {
    for (size_t i = 0; i < skipped.size() && i < kNamedSkippedLines; ++i) {
        WriteLineToStandardError(
            "Registry file " + path + " line " + std::to_string(skipped[i].number) +
            " could not be read and was skipped: " + Printable(skipped[i].text));
    }
    if (skipped.size() > kNamedSkippedLines) {
        WriteLineToStandardError("Registry file " + path + ": " +
                                 std::to_string(skipped.size() - kNamedSkippedLines) +
                                 " more lines could not be read and were skipped.");
    }
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// The last root parsed for readers, per file: a program reads its settings
// value by value, and parsing a large file for each would add up. Writes
// replace the file (new inode), so a changed file is never taken for it.
struct CachedRoot {
    struct stat identity {};
    std::shared_ptr<const RegKeyNode> tree;
};
std::mutex cacheMutex;
std::map<std::string, CachedRoot> cachedRoots;

std::shared_ptr<const RegKeyNode> CachedTree(const std::string& path) {
    struct stat now {};
    if (stat(path.c_str(), &now) != 0) {
        return nullptr;
    }
    std::lock_guard lock(cacheMutex);
    const auto found = cachedRoots.find(path);
    if (found == cachedRoots.end() || !SameFile(found->second.identity, now)) {
        return nullptr;
    }
    return found->second.tree;
}

// The root as readers see it: a file that cannot be parsed at all reads as
// empty; lines that cannot be read are left out with a warning.
std::shared_ptr<const RegKeyNode> ReadRoot(RegRoot root) {
    const std::string path = RegistryFilePath(root);
    if (auto cached = CachedTree(path)) {
        return cached;
    }
    LoadedRoot loaded = LoadRoot(root, path);
    if (loaded.state == FileState::Corrupt) {
        std::lock_guard lock(warnedMutex);
        if (warnedPaths.insert(path).second) {
            WriteLineToStandardError("Registry file " + path +
                                     " is not in the registry export format; it reads as empty.");
        }
    }
    if (!loaded.skipped.empty()) {
        std::lock_guard lock(warnedMutex);
        if (warnedPaths.insert(path).second) {
            WarnSkippedLines(path, loaded.skipped);
        }
    }
    if (loaded.notRegular) {
        std::lock_guard lock(warnedMutex);
        if (warnedPaths.insert(path).second) {
            WriteLineToStandardError("Registry file " + path +
                                     " is not a regular file; it was not read.");
        }
    }
    auto tree = std::make_shared<const RegKeyNode>(std::move(loaded.tree));
    if (loaded.state == FileState::Parsed) {
        std::lock_guard lock(cacheMutex);
        cachedRoots[path] = CachedRoot{loaded.identity, tree};
    }
    return tree;
}

bool MakeDirectories(const std::string& dir) {
    for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        const std::string prefix = dir.substr(0, slash);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            break;
        }
    }
    struct stat info {};
    return stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Holds flock(LOCK_EX) on the lock file beside a root's file while it lives.
class FileLock {
public:
    explicit FileLock(const std::string& path) {
        m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0) {
            return;
        }
        int result = 0;
        do {
            result = flock(m_fd, LOCK_EX);
        } while (result != 0 && errno == EINTR);
        if (result != 0) {
            close(m_fd);
            m_fd = -1;
        }
    }
    ~FileLock() {
        if (m_fd >= 0) {
            close(m_fd);  // releases the lock
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Renames a file that could not be read, in whole or in part, to
// "<path>.corrupt-<date>-<time>" so that a person can still recover what was
// in it.
bool MoveAside(const std::string& path, bool partly) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string target = path + ".corrupt-" + stamp;
    for (int n = 2; access(target.c_str(), F_OK) == 0; ++n) {
        target = path + ".corrupt-" + stamp + "-" + std::to_string(n);
    }
    if (rename(path.c_str(), target.c_str()) != 0) {
        return false;
    }
    WriteLineToStandardError(
        "Registry file " + path +
        (partly ? " had lines that could not be read" : " was not in the registry export format") +
        "; it was kept as " + target + ".");
    return true;
}

bool WriteAll(int fd, const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t done = write(fd, text.data() + written, text.size() - written);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return false;
        }
        written += static_cast<size_t>(done);
    }
    return true;
}

bool ReplaceAtomically(const std::string& path, const std::string& text, mode_t mode) {
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        return false;
    }
    const bool written = WriteAll(fd, text) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here loses nothing already written.
    const std::string dir = path.substr(0, path.rfind('/'));
    const int dirFd = open(dir.empty() ? "/" : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

bool WriteFaultApplies(RegRoot root, std::string_view keyPath, std::string_view name) {
    std::lock_guard lock(faultMutex);
    return writeFault && writeFault(root, keyPath, name);
}

// Applies `change` to the root's current contents under the lock and stores
// the result. `change` returns Ok when there is something to store.
template <typename Change>
RegStatus ChangeRoot(RegRoot root, std::string_view keyPath, std::string_view name,
                     Change&& change) {
    const auto path = SplitKeyPath(keyPath);
    if (!path || !IsStorableText(name)) {
        return RegStatus::BadName;
    }
    if (WriteFaultApplies(root, keyPath, name)) {
        return RegStatus::WriteFailed;
    }
    if (!MakeDirectories(RegistryDirectory())) {
        return RegStatus::WriteFailed;
    }
    const std::string filePath = RegistryFilePath(root);
    const FileLock lock(filePath + ".lock");
    if (!lock.Held()) {
        return RegStatus::WriteFailed;
    }
    // Re-read under the lock: another process may have changed the file since.
    LoadedRoot loaded = LoadRoot(root, filePath);
    if (loaded.state == FileState::Unreadable) {
        return RegStatus::WriteFailed;
    }
    // The user's own root is private; machine-wide roots are readable by all.
    mode_t mode = root == RegRoot::CurrentUser ? 0600 : 0644;
    struct stat info {};
    if (loaded.state == FileState::Parsed && stat(filePath.c_str(), &info) == 0) {
        mode = info.st_mode & 07777;
    }
    const RegStatus status = change(loaded.tree, *path);
    if (status != RegStatus::Ok) {
        return status;
    }
    // What could not be read is kept aside, never silently dropped.
    const bool partly = !loaded.skipped.empty();
    if ((loaded.state == FileState::Corrupt || partly) && !MoveAside(filePath, partly)) {
        return RegStatus::WriteFailed;
    }
    return ReplaceAtomically(filePath, FormatRegText(loaded.tree, RegRootName(root)), mode)
               ? RegStatus::Ok
               : RegStatus::WriteFailed;
}

}  // namespace

std::string RegistryDirectory() {
    if (const char* dir = std::getenv("KESTROVA_REGISTRY_DIR"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    // Relative values are ignored, as the XDG base-directory rules ask.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
        return std::string(config) + "/kestrova";
    }
    std::string home;
    if (const char* env = std::getenv("HOME"); env != nullptr && *env != '\0') {
        home = env;
    } else if (const passwd* user = getpwuid(getuid());
               user != nullptr && user->pw_dir != nullptr) {
        home = user->pw_dir;
    }
    return home + "/.config/kestrova";
}

std::string_view RegRootName(RegRoot root) {
    switch (root) {
        case RegRoot::CurrentUser:
            return "HKEY_CURRENT_USER";
        case RegRoot::LocalMachine:
            return "HKEY_LOCAL_MACHINE";
        case RegRoot::ClassesRoot:
            return "HKEY_CLASSES_ROOT";
    }
    return "HKEY_CURRENT_USER";
}

std::string RegistryFilePath(RegRoot root) {
    return RegistryDirectory() + "/" + std::string(RegRootName(root)) + ".reg";
}

std::optional<RegKeyNode> RegLoadKey(RegRoot root, std::string_view keyPath) {
    const auto path = SplitKeyPath(keyPath);
    if (!path) {
        return std::nullopt;
    }
    const auto tree = ReadRoot(root);
    const RegKeyNode* key = FindKey(*tree, *path);
    if (key == nullptr) {
        return std::nullopt;
    }
    return *key;
}

bool RegKeyExists(RegRoot root, std::string_view keyPath) {
    return RegLoadKey(root, keyPath).has_value();
}

std::optional<RegValue> RegQueryValue(RegRoot root, std::string_view keyPath,
                                      std::string_view name) {
    const auto key = RegLoadKey(root, keyPath);
    if (!key) {
        return std::nullopt;
    }
    const RegValue* value = FindValue(*key, name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return *value;
}

std::optional<uint32_t> RegReadDword(RegRoot root, std::string_view keyPath,
                                     std::string_view name) {
    const auto value = RegQueryValue(root, keyPath, name);
    if (!value || value->type != RegType::Dword) {
        return std::nullopt;
    }
    return value->dword;
}

std::optional<std::string> RegReadString(RegRoot root, std::string_view keyPath,
                                         std::string_view name) {
    auto value = RegQueryValue(root, keyPath, name);
    if (!value || value->type != RegType::String) {
        return std::nullopt;
    }
    return std::move(value->text);
}

std::vector<std::string> RegEnumKeys(RegRoot root, std::string_view keyPath) {
    std::vector<std::string> names;
    if (const auto key = RegLoadKey(root, keyPath)) {
        for (const RegKeyNode& subkey : key->subkeys) {
            names.push_back(subkey.name);
        }
    }
    return names;
}

std::vector<RegValue> RegEnumValues(RegRoot root, std::string_view keyPath) {
    auto key = RegLoadKey(root, keyPath);
    return key ? std::move(key->values) : std::vector<RegValue>{};
}

RegStatus RegCreateKey(RegRoot root, std::string_view keyPath) {
    return ChangeRoot(root, keyPath, {},
                      [](RegKeyNode& tree, const std::vector<std::string>& path) {
                          FindOrCreateKey(tree, path);
                          return RegStatus::Ok;
                      });
}

RegStatus RegWriteDword(RegRoot root, std::string_view keyPath, std::string_view name,
                        uint32_t value) {
    return ChangeRoot(root, keyPath, name,
                      [&](RegKeyNode& tree, const std::vector<std::string>& path) {
                          SetValue(FindOrCreateKey(tree, path),
                                   RegValue{std::string(name), RegType::Dword, value, {}});
                          return RegStatus::Ok;
                      });
}

RegStatus RegWriteString(RegRoot root, std::string_view keyPath, std::string_view name,
                         std::string_view text) {
    if (!IsStorableText(text)) {
        return RegStatus::BadName;
    }
    return ChangeRoot(
        root, keyPath, name, [&](RegKeyNode& tree, const std::vector<std::string>& path) {
            SetValue(FindOrCreateKey(tree, path),
                     RegValue{std::string(name), RegType::String, 0, std::string(text)});
            return RegStatus::Ok;
        });
}

RegStatus RegDeleteValue(RegRoot root, std::string_view keyPath, std::string_view name) {
    return ChangeRoot(
        root, keyPath, name, [&](RegKeyNode& tree, const std::vector<std::string>& path) {
            RegKeyNode* key = FindKey(tree, path);
            return key != nullptr && RemoveValue(*key, name) ? RegStatus::Ok : RegStatus::NotFound;
        });
}

RegStatus RegDeleteKey(RegRoot root, std::string_view keyPath) {
    if (keyPath.empty()) {
        return RegStatus::BadName;  // the root itself cannot be deleted
    }
    return ChangeRoot(root, keyPath, {},
                      [](RegKeyNode& tree, const std::vector<std::string>& path) {
                          return RemoveKey(tree, path) ? RegStatus::Ok : RegStatus::NotFound;
                      });
}

void SetRegWriteFaultForTesting(RegWriteFault fault) {
    std::lock_guard lock(faultMutex);
    writeFault = std::move(fault);
}

}  // namespace platform
