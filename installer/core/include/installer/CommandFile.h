// Which file a configured command line starts, and whether the medium holds it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace installer {

enum class CommandPathRule {
    Msiexec,    // "msiexec ... /i <package>": the package
    Quoted,     // "\"<program>\" ...": the text between the quotes
    Program,    // "<program>.exe ...": up to the first ".exe" followed by a space
    WholeLine,  // none of the above: the line as written
};

struct CommandPath {
    std::string_view path;  // always a part of the line it was extracted from
    CommandPathRule rule;
};

// The program or package path of `line` as a Windows medium reads it,
// without going past its end. nullopt for an msiexec line without a package
// switch ("/i"), an unterminated quote, or an empty path. Which program a line
// starts here is the launcher's reading (CommandFilePath); this one names the
// package of msiexec lines.
std::optional<CommandPath> ExtractCommandPath(std::string_view line);

// The file `line` starts, as it would be run: for an msiexec line its
// package; otherwise the program word as the launcher splits the line, with
// %NAME% references expanded and '\\' read as '/'. nullopt when there is none.
std::optional<std::string> CommandFilePath(std::string_view line);

// Whether the line would start: for an msiexec line, its package is a
// regular file that can be opened for reading; otherwise its program is found
// as the launcher finds it (relative paths below the current directory, bare
// names there or on PATH) and is a program file this user may execute (ELF or
// "#!"; a document never counts). When not, logs
// "SV: File not found: \"<path>\"" (the whole line when no path could be
// extracted).
bool CommandFileExists(const std::string& line);

// The same test for a document or program that is opened with the desktop
// (a ShellExecute File): the path as written, '\' read as '/'.
bool ShellFileExists(const std::string& file);

}  // namespace installer
