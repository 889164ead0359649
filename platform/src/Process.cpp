#include "platform/Process.h"

#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace platform {
namespace {

std::string CurrentDirectory() {
    std::error_code ignored;
    return std::filesystem::current_path(ignored).string();
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// A NULL-terminated argv that g_spawn can take; the strings stay owned by `words`.
std::vector<char*> CArgv(std::vector<std::string>& words) {
    std::vector<char*> pointers;
    pointers.reserve(words.size() + 1);
    for (std::string& word : words) {
        pointers.push_back(word.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

bool Spawn(const std::vector<std::string>& argv, const std::string& workingDirectory,
           GSpawnFlags flags, GPid* pid, std::string* error) {
    if (argv.empty() || argv[0].empty()) {
        if (error != nullptr) {
            *error = "no program";
        }
        return false;
    }
    std::vector<std::string> words = argv;
    words[0] = FindProgram(argv[0]);
    if (words[0].find('/') != std::string::npos && IsRegularFile(words[0]) &&
        !IsProgramFile(words[0])) {
        // GLib would hand such a file to /bin/sh, which would read a document
        // line by line as commands.
        if (error != nullptr) {
            *error = "not a program";
        }
        return false;
    }
    std::vector<char*> cArgv = CArgv(words);
    GError* spawnError = nullptr;
    // Descriptors above 2 are closed in the child: GLib does that unless asked
    // to leave them open, which is the "no inherited handles" the installers expect.
    const gboolean started =
        g_spawn_async(workingDirectory.empty() ? nullptr : workingDirectory.c_str(), cArgv.data(),
                      nullptr, static_cast<GSpawnFlags>(flags | G_SPAWN_CHILD_INHERITS_STDIN),
                      nullptr, nullptr, pid, &spawnError);
    if (!started) {
        if (error != nullptr) {
            *error = spawnError != nullptr ? spawnError->message : "cannot start";
        }
        g_clear_error(&spawnError);
        return false;
    }
    return true;
}

}  // namespace

bool IsProgramFile(const std::string& path) {
    if (!IsRegularFile(path)) {
        return false;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    char head[4] = {};
    ssize_t got = 0;
    while ((got = read(fd, head, sizeof head)) < 0 && errno == EINTR) {
    }
    close(fd);
    return (got >= 4 && std::memcmp(head,
                                    "\x7f"
                                    "ELF",
                                    4) == 0) ||
           (got >= 2 && head[0] == '#' && head[1] == '!');
}

std::string ResolveProgram(const std::string& word) {
    std::string program = word;
    for (char& c : program) {
        if (c == '\\') {
            c = '/';
        }
    }
    if (program.empty() || program.front() == '/') {
        return program;
    }
    const std::string inCurrent = CurrentDirectory() + "/" + program;
    if (program.find('/') != std::string::npos || IsRegularFile(inCurrent)) {
        return inCurrent;
    }
    return program;
}

std::string FindProgram(const std::string& word) {
    std::string program = ResolveProgram(word);
    if (!program.empty() && program.find('/') == std::string::npos) {
        // Only a bare name not found in the current directory is searched for.
        if (gchar* found = g_find_program_in_path(program.c_str())) {
            program = found;
            g_free(found);
        }
    }
    return program;
}

bool IsStartableProgram(const std::string& path) {
    return path.find('/') != std::string::npos && IsProgramFile(path) &&
           access(path.c_str(), X_OK) == 0;
}

std::optional<ChildProcess> StartProcess(const std::vector<std::string>& argv,
                                         const std::string& workingDirectory, std::string* error) {
    GPid pid = 0;
    if (!Spawn(argv, workingDirectory, G_SPAWN_DO_NOT_REAP_CHILD, &pid, error)) {
        return std::nullopt;
    }
    return ChildProcess{pid};
}

int WaitForExit(ChildProcess child) {
    if (child.pid <= 0) {
        return -1;
    }
    int status = 0;
    while (waitpid(child.pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return status;
}

bool StartDetached(const std::vector<std::string>& argv, const std::string& workingDirectory,
                   std::string* error) {
    // Without DO_NOT_REAP_CHILD GLib forks twice and reaps the intermediate child.
    return Spawn(argv, workingDirectory, G_SPAWN_DEFAULT, nullptr, error);
}

}  // namespace platform
