// Opening a file or an address the way the desktop opens it.
//
// Stands in for the shell's "open" verb. Nothing waits for what is started.
#pragma once

#include <string>

namespace platform {

// True for "scheme://..." and "mailto:..." targets.
bool IsAddress(const std::string& target);

// The absolute path `target` names: '\' read as '/', and a relative path taken
// below the current directory.
std::string AbsoluteFilePath(const std::string& target);

// An address, or a file that is not an executable program: opened with the
// desktop's default application (xdg-open when it is on PATH, else GIO's
// default handler); `parameters` do not apply. A program file (IsProgramFile)
// with the execute bit: run directly with `parameters` split into words. False when nothing could
// be started (a missing file, no handler, a program that cannot start).
bool ShellOpen(const std::string& target, const std::string& parameters);

}  // namespace platform
