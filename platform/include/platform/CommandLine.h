// Command lines of installation media split into a program and its arguments.
//
// Words are separated by blanks; double quotes group, as do single quotes
// (which media written for Linux use). A backslash is an ordinary character
// (a path separator in Windows lines) except before a double quote, where
// 2n backslashes give n and a delimiting quote and 2n+1 give n and a literal
// quote. '#' is ordinary: command lines have no comments. Nothing is expanded
// and no shell runs; %NAME% references are expanded in each argument
// afterwards, so that a value with blanks or quotes stays one argument. Every
// launch and every test of which file a line starts uses these two steps.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The words of `line` before expansion; nullopt for an empty or blank line,
// an unterminated quote, or an embedded NUL.
std::optional<std::vector<std::string>> SplitCommandLine(std::string_view line);

// SplitCommandLine, then ExpandEnvironmentReferences on each word.
std::optional<std::vector<std::string>> CommandLineArguments(std::string_view line);

}  // namespace platform
