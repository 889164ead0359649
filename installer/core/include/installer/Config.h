// Setup's configuration: one XML file of the installation medium, read into
// the texts and layout of the installer page, its items and prerequisites and
// the Windows version rules.
//
// Reading never fails outwardly: a file that is missing, malformed or not an
// <AutoRun> document leaves every field at its default (no items, empty texts,
// Width 480, MaxItemsInColumn 7). Each item is probed (ProbeInstalled,
// CheckFilesPresent) as it is read, and UpdateEnabled runs at the end.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "installer/SetupItem.h"

namespace installer {

// A <Windows><If> rule: on Windows version OsVersion, at least service pack
// ThenNeed is required, else Message is shown.
struct WindowsRule {
    std::string OsVersion;
    std::string ThenNeed;
    std::string Message;
};

// The attributes of <Prerequisites>: the texts of the prerequisites page.
struct PrerequisitesPageTexts {
    std::string Title;
    std::string Description;
    std::string InstallLabel;
    std::string NotInstalledDescription;
};

inline constexpr int kDefaultWidth = 480;
inline constexpr int kDefaultMaxItemsInColumn = 7;

class Config {
public:
    // An empty configuration: every field at its default.
    Config() = default;
    // Reads the file at `path` (relative paths against the current directory).
    explicit Config(const std::string& path);
    // Reads a configuration held in memory, as the file constructor reads the
    // file's bytes (for tests and fuzzing).
    static Config FromText(std::string_view bytes);

    // Recomputes enabled, dependencyText and conflictText of every main item
    // from its Depends, FeatureDepends, AntiDepends and FeatureAntiDepends
    // rules. Prerequisites are not evaluated.
    void UpdateEnabled();

    // <MainDialog>
    std::string Title;
    std::string Company;
    int Width = kDefaultWidth;                        // pixels at 96 dpi, always > 0
    int MaxItemsInColumn = kDefaultMaxItemsInColumn;  // always > 0
    std::string ReadmeLabel;
    std::string ReadmeHref;
    std::string ExitLabel;

    // <Prerequisites>
    PrerequisitesPageTexts prerequisitesTexts;

    // <Windows>
    std::string WindowsMinVersion;
    std::string WindowsMessage;
    std::vector<WindowsRule> windowsRules;

    // Main items in document order; the index maps an Action to the position of
    // the last item carrying it.
    std::vector<SetupItem> mainItems;
    std::map<std::string, size_t> mainIndex;
    // Prerequisites that are not installed, in document order, and their index.
    std::vector<SetupItem> prerequisites;
    std::map<std::string, size_t> prerequisiteIndex;
    // A listed prerequisite carries a Message: the page that blocks installation.
    bool hasBlockingMessage = false;

private:
    // `fileName` only names the file in the log.
    void Read(std::string_view bytes, const std::string& fileName);
};

}  // namespace installer
