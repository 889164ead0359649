// Command lines of installation media split into a program and its arguments.
//
// The line is split with POSIX shell-word rules (GLib's g_shell_parse_argv:
// quotes and backslash escapes, no expansion, no shell ever runs); %NAME%
// references are expanded in each argument afterwards, so that a value with
// blanks or quotes stays one argument. Every launch and every test of which
// file a line starts uses these two steps.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The words of `line` before expansion; nullopt for an empty or blank line,
// an unterminated quote, or a trailing backslash.
std::optional<std::vector<std::string>> SplitCommandLine(std::string_view line);

// SplitCommandLine, then ExpandEnvironmentReferences on each word.
std::optional<std::vector<std::string>> CommandLineArguments(std::string_view line);

}  // namespace platform
