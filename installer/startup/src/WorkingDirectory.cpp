#include "installer/WorkingDirectory.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "installer/Log.h"

namespace installer {

void EnsureWorkingDirectory(const char* variable) {
    const char* value = std::getenv(variable);
    // An empty value would put the folder at the file-system root.
    if (value == nullptr || *value == '\0') {
        Log("Environment variable does not exist.\n");
        return;
    }
    const std::string folder = std::string(value) + "/Kestrova";
    if (mkdir(folder.c_str(), 0700) == 0) {
        return;
    }
    if (errno == ENOENT || errno == ENOTDIR) {
        Log("Cannot create directory Kestrova.\n");
    } else if (errno == EEXIST) {
        Log("Directory Kestrova already exists.\n");
    }
}

}  // namespace installer
