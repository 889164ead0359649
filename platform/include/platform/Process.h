// Starting programs, waited for or not.
//
// Stands in for process creation. Programs get their words ready split (see
// CommandLine.h), and only files that are programs are started (see
// IsProgramFile), so no shell ever runs. The program word is resolved against
// this process's current directory, not the child's working directory,
// because that is where a relative program path on the medium is meant to be
// found (and where the file probes look for it).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// A started child that has not been waited for yet.
struct ChildProcess {
    int pid = -1;
};

// Whether `path` is a regular file that starts as a program: it begins with an
// ELF header or "#!". Anything else is a document, whatever its execute bit
// says (every file has it on FAT, exFAT and NTFS media and on many CDs).
bool IsProgramFile(const std::string& path);

// Where the program word will be looked for, '\\' read as '/' (Windows lines
// name programs that way): an absolute path as given; a relative path with a
// '/' below the current directory; a bare name in the current directory when
// a file of that name is there, else unchanged (it is then searched for on
// PATH).
std::string ResolveProgram(const std::string& word);

// ResolveProgram, then the PATH search for a bare name: the file that would
// be started (the name unchanged when PATH has none).
std::string FindProgram(const std::string& word);

// Whether the file FindProgram gave would start: a program file (see
// IsProgramFile) that this user may execute.
bool IsStartableProgram(const std::string& path);

// Starts argv in `workingDirectory` (empty: the current one), with this
// process's environment and standard streams and no other open descriptors.
// argv[0] is resolved with ResolveProgram. nullopt (and `error`) when it cannot
// start: no such program, not executable, not a program file (a document is
// never handed to a shell), no such working directory.
std::optional<ChildProcess> StartProcess(const std::vector<std::string>& argv,
                                         const std::string& workingDirectory,
                                         std::string* error = nullptr);

// Waits, without a time-out, until the child has ended and reaps it. Returns
// its wait status (as waitpid gives it), or -1 when it could not be waited for.
int WaitForExit(ChildProcess child);

// Starts argv like StartProcess but never waits: the child is reaped by an
// intermediate process, so no zombie is left behind. False when it cannot start.
bool StartDetached(const std::vector<std::string>& argv, const std::string& workingDirectory,
                   std::string* error = nullptr);

}  // namespace platform
