#include "installer/StartUp.h"

#include "installer/EnvironmentReaders.h"
#include "installer/Log.h"
#include "installer/Probes.h"
#include "installer/VersionCompare.h"
#include "installer/WorkingDirectory.h"
#include "platform/ShowMessage.h"

namespace installer {

std::optional<std::string> VersionGateMessage(const Config& config) {
    if (config.WindowsMinVersion.empty() && config.windowsRules.empty()) {
        return std::nullopt;
    }
    const std::string windowsVersion = WindowsVersion();
    if (!config.WindowsMinVersion.empty() &&
        CompareVersions(config.WindowsMinVersion, windowsVersion) > 0) {
        return config.WindowsMessage;
    }
    std::optional<std::string> servicePack;
    for (const WindowsRule& rule : config.windowsRules) {
        if (rule.OsVersion != windowsVersion) {
            continue;
        }
        if (!servicePack) {
            servicePack = ServicePackVersion();
        }
        if (CompareVersions(rule.ThenNeed, *servicePack) > 0) {
            return rule.Message;
        }
    }
    return std::nullopt;
}

bool IsSingleItemShortcut(const Config& config) {
    return config.mainItems.size() == 1 && config.prerequisites.empty();
}

void RunSingleItemShortcut(const Config& config, Launcher& launcher) {
    const SetupItem& item = config.mainItems.front();
    if (item.installed && !item.InstalledWarning.empty() &&
        platform::AskQuestion(item.InstalledWarning, "",
                              platform::kMbYesNo | platform::kMbIconQuestion) != platform::kIdYes) {
        return;
    }
    launcher.LaunchProcess(NotInstalledCommandLineFor(item, IsRunningOn64Bit()), nullptr,
                           item.SetCurrentDirectory);
    RunItemCommands(item, false, launcher, nullptr, item.SetCurrentDirectory);
}

int RunStartUp(StartUpWindows& windows, Launcher& launcher) {
    EnsureWorkingDirectory("TEMP");
    EnsureWorkingDirectory("TMP");
    EnsureWorkingDirectory("ALLUSERSPROFILE");

    const std::optional<LanguageSelection> language = windows.SelectLanguage();
    if (!language) {
        return 0;
    }
    Log("langdlg.DoModal() = IDOK\n");
    SetLaunchTextLanguage(language->languageId);
    Config config(language->configFile);

    if (const auto message = VersionGateMessage(config)) {
        platform::ShowMessage(*message, "Error", platform::kMbIconError);
        return 0;
    }
    if (IsSingleItemShortcut(config)) {
        RunSingleItemShortcut(config, launcher);
        return 0;
    }
    Log("Start to parse xml\n");
    windows.RunInstallerPage(std::move(config), language->languageId);
    return 0;
}

}  // namespace installer
