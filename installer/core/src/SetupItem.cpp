#include "installer/SetupItem.h"

namespace installer {

bool IsVisible(const SetupItem& item) {
    const bool hiddenWhenInstalled = item.installed && item.HideIfInstalled;
    const bool hiddenForMissingFiles = item.CheckCommandLine == kCheckAndHide && !item.filesPresent;
    return !(hiddenWhenInstalled || hiddenForMissingFiles);
}

const std::string& NotInstalledCommandLineFor(const SetupItem& item, bool on64Bit) {
    return on64Bit && item.hasCommandLineX64 ? item.CommandLineX64 : item.CommandLine;
}

const std::string& InstalledCommandLineFor(const SetupItem& item, bool on64Bit) {
    return on64Bit && item.hasInstalledCommandLineX64 ? item.InstalledCommandLineX64
                                                      : item.InstalledCommandLine;
}

const std::string& NotInstalledCommandFor(const IntelliCommandEntry& entry, bool on64Bit) {
    return on64Bit && entry.hasNotInstalledCommandX64 ? entry.NotInstalledCommandX64
                                                      : entry.NotInstalledCommand;
}

const std::string& InstalledCommandFor(const IntelliCommandEntry& entry, bool on64Bit) {
    return on64Bit && entry.hasInstalledCommandX64 ? entry.InstalledCommandX64
                                                   : entry.InstalledCommand;
}

}  // namespace installer
