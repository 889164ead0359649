// Setup's start-up, from the language choice to the page, apart from the
// windows that show it.
#pragma once

#include <optional>
#include <string>

#include "installer/Config.h"
#include "installer/Launch.h"

namespace installer {

// The message that stops Setup on a Windows version the medium does not
// accept: its MinVersion above the version, or a rule for exactly this version
// whose service pack is above the installed one. nullopt: Setup goes on.
std::optional<std::string> VersionGateMessage(const Config& config);

// A medium with one item and no missing prerequisite installs it at once.
bool IsSingleItemShortcut(const Config& config);

// Runs the single item without a page: after its installed-warning question
// (when installed), its not-installed command line and its item commands; its
// documents are not opened.
void RunSingleItemShortcut(const Config& config, Launcher& launcher);

struct LanguageSelection {
    int languageId = 0;
    std::string configFile;
};

// The windows of start-up.
class StartUpWindows {
public:
    virtual ~StartUpWindows() = default;
    // The language dialog; nullopt when it was cancelled.
    virtual std::optional<LanguageSelection> SelectLanguage() = 0;
    // The installer page, until it is closed.
    virtual void RunInstallerPage(Config config, int languageId) = 0;
};

// The whole start-up: working folders, language, configuration, version
// gate, then the single-item shortcut or the installer page. Returns the exit
// status, 0 on every path.
int RunStartUp(StartUpWindows& windows, Launcher& launcher);

}  // namespace installer
