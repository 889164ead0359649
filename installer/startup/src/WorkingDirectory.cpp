#include "installer/WorkingDirectory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "installer/Log.h"

namespace installer {
namespace {

// A folder that only this user can change: in a shared /tmp, a "Kestrova"
// another user made first (or left open to others) could be swapped under
// an installer.
bool IsPrivateFolder(const std::string& folder) {
    struct stat info {};
    return lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::optional<std::string> MakePrivateFolder(const std::string& base) {
    std::vector<char> name(base.begin(), base.end());
    for (const char c : std::string("-XXXXXX")) {
        name.push_back(c);
    }
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) {  // made with mode 0700
        return std::nullopt;
    }
    return std::string(name.data());
}

}  // namespace

std::optional<std::string> EnsureWorkingDirectory(const char* variable) {
    const char* value = std::getenv(variable);
    // An empty value would put the folder at the file-system root.
    if (value == nullptr || *value == '\0') {
        Log("Environment variable does not exist.\n");
        return std::nullopt;
    }
    const std::string folder = std::string(value) + "/Kestrova";
    if (mkdir(folder.c_str(), 0700) == 0) {
        return folder;
    }
    if (errno == ENOENT || errno == ENOTDIR) {
        Log("Cannot create directory Kestrova.\n");
        return std::nullopt;
    }
    if (errno != EEXIST) {
        return std::nullopt;
    }
    Log("Directory Kestrova already exists.\n");
    if (IsPrivateFolder(folder)) {
        return folder;
    }
    const auto made = MakePrivateFolder(folder);
    Log("Directory " + folder + " is not private to this user; " +
        (made ? "using " + *made : std::string("no private folder could be made")) + "\n");
    return made;
}

}  // namespace installer
