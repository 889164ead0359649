// kestrova-reg: reads and writes the file-backed registry from scripts, so
// that install scripts can record what they installed (product states,
// uninstall entries) the way the probes read it.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kestrovareg {

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitNotFound = 1;  // the key or value asked for does not exist
constexpr int kExitUsage = 2;     // the command line is wrong
constexpr int kExitFailed = 3;    // the registry file could not be changed

// Runs the tool with `args` (without the program name); output goes to `out`,
// messages to `err`.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kestrovareg
