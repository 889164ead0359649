// One installable item or prerequisite of Setup's configuration, as read from
// an <Item> element, with the flags the probes and the dependency rules set.
//
// Fields keep the element's attribute names. Strings are UTF-8. Lists keep
// document order.
#pragma once

#include <string>
#include <vector>

namespace installer {

// An <IntelliCommand> (or a <Command>, which fills NotInstalledCommand only).
// The *X64 lines are used on 64-bit systems only when their attribute was
// present; an absent one falls back to the plain line.
struct IntelliCommandEntry {
    std::string ProductCode;
    std::string ProductFeature;
    std::string OsMinVersion;
    std::string OsMaxVersion;
    std::string NotInstalledCommand;
    std::string NotInstalledCommandX64;
    std::string InstalledCommand;
    std::string InstalledCommandX64;
    bool hasNotInstalledCommandX64 = false;
    bool hasInstalledCommandX64 = false;
};

// A <ShellExecute>: a document, address or program opened with the desktop.
struct ShellExecuteEntry {
    std::string File;
    std::string Parameters;
};

// A <FeatureDepends> or <FeatureAntiDepends> rule on a Windows Installer
// feature of some product.
struct FeatureRule {
    std::string Product;
    std::string Feature;
    std::string Text;
    bool DisableOnItemAlreadyInstalled = true;
};

// CheckCommandLine values.
constexpr int kCheckCommandLineOff = 0;
constexpr int kCheckAndShow = 1;  // "checkAndShow": shown, disabled when files are missing
constexpr int kCheckAndHide = 2;  // "checkAndHide": hidden when files are missing

inline constexpr char kDefaultFileNotFoundDescription[] =
    "Installation file is not found on this disk";

struct SetupItem {
    std::string Action;
    std::string Title;
    std::string ProductCode;
    std::vector<std::string> AltProductCode;
    std::string ProductRegistryString;
    std::vector<std::string> AltProductRegistryString;
    std::string InstalledDescription;
    std::string NotInstalledDescription;
    std::string InstalledWarning;
    std::string CommandLine;
    std::string CommandLineX64;
    std::string InstalledCommandLine;
    std::string InstalledCommandLineX64;
    std::string MinVersion;
    std::string Message;
    bool CheckMSSQL2000 = false;
    std::string MSSQL2000InstalledDescription;
    std::string Type;
    int CheckCommandLine = kCheckCommandLineOff;
    std::string FileNotFoundDescription = kDefaultFileNotFoundDescription;
    // Absolute: the configuration's relative value is joined to the current
    // directory when the file is read. Empty when the attribute is absent.
    std::string SetCurrentDirectory;
    bool HideIfInstalled = false;
    std::vector<IntelliCommandEntry> commands;
    std::vector<ShellExecuteEntry> shellExecutes;
    std::vector<std::string> Depends;
    std::vector<FeatureRule> FeatureDepends;
    std::string dependencyText;
    std::vector<std::string> AntiDepends;
    std::vector<FeatureRule> FeatureAntiDepends;
    std::string conflictText;
    bool enabled = true;
    bool installed = false;
    bool filesPresent = true;

    // Whether the CommandLineX64 / InstalledCommandLineX64 attributes were
    // present (an empty present one means "nothing to run on 64-bit").
    bool hasCommandLineX64 = false;
    bool hasInstalledCommandLineX64 = false;
};

// The row is shown unless it is installed and hidden when installed, or its
// files are missing and it is hidden for that.
bool IsVisible(const SetupItem& item);

// The command line a click runs. On 64-bit systems the X64 line when its
// attribute was present, else the plain one: a medium written only with
// CommandLine must still run on a 64-bit system.
const std::string& NotInstalledCommandLineFor(const SetupItem& item, bool on64Bit);
const std::string& InstalledCommandLineFor(const SetupItem& item, bool on64Bit);
const std::string& NotInstalledCommandFor(const IntelliCommandEntry& entry, bool on64Bit);
const std::string& InstalledCommandFor(const IntelliCommandEntry& entry, bool on64Bit);

}  // namespace installer
