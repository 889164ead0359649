// Starting what the items and prerequisites name: installers and command
// lines (waited for), documents and addresses (opened with the desktop), PDF
// documents (opened with the registered reader). Every start is logged.
#pragma once

#include <string>

#include "installer/SetupItem.h"

namespace installer {

// The window that makes way while an installer runs.
class LaunchWindow {
public:
    virtual ~LaunchWindow() = default;
    virtual void HideForLaunch() = 0;
    virtual void RestoreAfterLaunch() = 0;
};

// Runs `commandLine` in `workingDirectory` (empty: Setup's own) and waits
// until it ends, with `window` (when given) hidden meanwhile. The line is
// split into words first and %NAME% references are expanded in each word, so
// no shell runs and a value with blanks stays one argument; a relative program
// is found from Setup's directory. An empty line does nothing. A line that
// cannot start shows "Can't execute '<line>'. Check that all required files
// exist." with the line as configured; a working directory that does not
// exist shows a box naming it, and nothing starts. A program that ends with a
// non-zero status or by a signal is logged.
void LaunchProcess(const std::string& commandLine, LaunchWindow* window,
                   const std::string& workingDirectory);

inline constexpr int kRussianLanguageId = 1049;

// The language of the boxes LaunchProcess shows: Russian for 1049, else
// English (the default).
void SetLaunchTextLanguage(int languageId);

// Opens a file or address with the desktop, or starts a program file with
// `parameters`; does not wait and does not report failure.
void ShellExec(const std::string& file, const std::string& parameters);

// Opens `file` (relative to Setup's directory) with the PDF reader the
// classes root registers for ".pdf", else with the desktop's default reader,
// as one argument holding its absolute path. No reader: nothing happens.
void OpenPdfWithReader(const std::string& file);

// The three launch operations as an object, so that the page's actions can be
// tested with a recorder.
class Launcher {
public:
    virtual ~Launcher() = default;
    virtual void LaunchProcess(const std::string& commandLine, LaunchWindow* window,
                               const std::string& workingDirectory) = 0;
    virtual void ShellExec(const std::string& file, const std::string& parameters) = 0;
    virtual void OpenPdfWithReader(const std::string& file) = 0;
};

// The real operations above.
class SystemLauncher : public Launcher {
public:
    void LaunchProcess(const std::string& commandLine, LaunchWindow* window,
                       const std::string& workingDirectory) override;
    void ShellExec(const std::string& file, const std::string& parameters) override;
    void OpenPdfWithReader(const std::string& file) override;
};

// Runs the item's <Command> and <IntelliCommand> lines in order, each the
// installed or not-installed line as its product (or product feature) is
// installed. With `filterByWindowsVersion`, entries whose OsMinVersion is
// above or OsMaxVersion below the Windows version are skipped.
void RunItemCommands(const SetupItem& item, bool filterByWindowsVersion, Launcher& launcher,
                     LaunchWindow* window, const std::string& workingDirectory);

// The program of a registered "open" command: the quoted first word, or the
// text up to the first blank, trimmed ("\"C:/Reader/r.exe\" \"%1\"" and
// "reader %1" give "C:/Reader/r.exe" and "reader").
std::string CommandProgram(const std::string& command);

}  // namespace installer
