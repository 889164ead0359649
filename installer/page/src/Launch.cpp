#include "installer/Launch.h"

#include <gio/gio.h>
#include <sys/wait.h>

#include <filesystem>

#include "installer/EnvironmentReaders.h"
#include "installer/Log.h"
#include "installer/Probes.h"
#include "installer/VersionCompare.h"
#include "platform/CommandLine.h"
#include "platform/InstallerState.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/ShowMessage.h"
#include "resources/StringTable.h"

namespace installer {
namespace {

constexpr char kLaunchFailureCaption[] = "Setup";

// Setup's own texts follow the installation language chosen at start-up.
bool englishTexts = true;

std::string CurrentDirectory() {
    std::error_code ignored;
    return std::filesystem::current_path(ignored).string();
}

void ShowLaunchFailure(const std::string& commandLine) {
    platform::ShowMessage(
        "Can't execute '" + commandLine + "'. Check that all required files exist.",
        kLaunchFailureCaption, platform::kMbIconError);
}

// The "open" command the classes root registers for ".pdf"; empty when none.
std::string RegisteredPdfCommand() {
    using platform::RegRoot;
    const std::string pdfClass =
        platform::RegReadString(RegRoot::ClassesRoot, ".pdf", "").value_or("");
    if (pdfClass.empty()) {
        return "";
    }
    return platform::RegReadString(RegRoot::ClassesRoot, pdfClass + "\\Shell\\Open\\Command", "")
        .value_or("");
}

bool OpenWithDesktopPdfReader(const std::string& path) {
    GAppInfo* reader = g_app_info_get_default_for_type("application/pdf", FALSE);
    if (reader == nullptr) {
        return false;
    }
    GFile* file = g_file_new_for_path(path.c_str());
    GList* files = g_list_append(nullptr, file);
    GError* error = nullptr;
    const gboolean launched = g_app_info_launch(reader, files, nullptr, &error);
    g_clear_error(&error);
    g_list_free(files);
    g_object_unref(file);
    g_object_unref(reader);
    return launched;
}

bool ProductCountsAsInstalled(const IntelliCommandEntry& entry) {
    if (entry.ProductCode.empty()) {
        return false;
    }
    if (!entry.ProductFeature.empty()) {
        return platform::QueryFeatureState(entry.ProductCode, entry.ProductFeature) ==
               platform::kInstallStateLocal;
    }
    return platform::QueryProductState(entry.ProductCode) == platform::kInstallStateDefault;
}

}  // namespace

void LaunchProcess(const std::string& commandLine, LaunchWindow* window,
                   const std::string& workingDirectory) {
    if (commandLine.empty()) {
        return;
    }
    Log("SV: LaunchProcess(\"" + commandLine + "\", \"" + workingDirectory + "\")");
    Log("SV: GetCurrentDirectory return = \"" + CurrentDirectory() + "\"");
    std::error_code ignored;
    if (!workingDirectory.empty() && !std::filesystem::is_directory(workingDirectory, ignored)) {
        // "Check that all required files exist" would send the user looking
        // for the program, which is there.
        platform::ShowMessage(
            res::Format(res::LoadPair(res::kTextSetupNoWorkingFolder, englishTexts),
                        commandLine.c_str(), workingDirectory.c_str()),
            kLaunchFailureCaption, platform::kMbIconError);
        return;
    }
    const auto arguments = platform::CommandLineArguments(commandLine);
    const auto child =
        arguments ? platform::StartProcess(*arguments, workingDirectory) : std::nullopt;
    if (!child) {
        ShowLaunchFailure(commandLine);
        return;
    }
    if (window != nullptr) {
        window->HideForLaunch();
    }
    const int status = platform::WaitForExit(*child);
    if (window != nullptr) {
        window->RestoreAfterLaunch();
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
        Log("SV: \"" + commandLine + "\" ended with exit status " +
            std::to_string(WEXITSTATUS(status)));
    } else if (WIFSIGNALED(status)) {
        Log("SV: \"" + commandLine + "\" ended by signal " + std::to_string(WTERMSIG(status)));
    }
}

void SetLaunchTextLanguage(int languageId) {
    englishTexts = languageId != kRussianLanguageId;
}

void ShellExec(const std::string& file, const std::string& parameters) {
    Log("SV: ShellExec(\"" + file + "\", \"" + parameters + "\")");
    Log("SV: current directory = \"" + CurrentDirectory() + "\"");
    platform::ShellOpen(file, parameters);
}

std::string CommandProgram(const std::string& command) {
    const size_t start = command.find_first_not_of(" \t");
    if (start == std::string::npos) {
        return "";
    }
    std::string program;
    if (command[start] == '"') {
        const size_t close = command.find('"', start + 1);
        program = command.substr(
            start + 1, close == std::string::npos ? std::string::npos : close - start - 1);
    } else {
        program = command.substr(start, command.find_first_of(" \t", start) - start);
    }
    const size_t first = program.find_first_not_of(" \t");
    const size_t last = program.find_last_not_of(" \t");
    return first == std::string::npos ? "" : program.substr(first, last - first + 1);
}

void OpenPdfWithReader(const std::string& file) {
    const std::string path = platform::AbsoluteFilePath(file);
    const std::string program = CommandProgram(RegisteredPdfCommand());
    if (!program.empty()) {
        Log("SV: ShellExec(\"" + program + "\", \"" + path + "\")");
        Log("SV: current directory = \"" + CurrentDirectory() + "\"");
        // The path is one argument of its own: no parameter string is built,
        // so quotes or blanks in the name cannot split it.
        platform::StartDetached({program, path}, "");
        return;
    }
    OpenWithDesktopPdfReader(path);
}

void SystemLauncher::LaunchProcess(const std::string& commandLine, LaunchWindow* window,
                                   const std::string& workingDirectory) {
    installer::LaunchProcess(commandLine, window, workingDirectory);
}

void SystemLauncher::ShellExec(const std::string& file, const std::string& parameters) {
    installer::ShellExec(file, parameters);
}

void SystemLauncher::OpenPdfWithReader(const std::string& file) {
    installer::OpenPdfWithReader(file);
}

void RunItemCommands(const SetupItem& item, bool filterByWindowsVersion, Launcher& launcher,
                     LaunchWindow* window, const std::string& workingDirectory) {
    const bool on64Bit = IsRunningOn64Bit();
    for (const IntelliCommandEntry& entry : item.commands) {
        if (filterByWindowsVersion &&
            (!entry.OsMinVersion.empty() || !entry.OsMaxVersion.empty())) {
            const std::string windows = WindowsVersion();
            if ((!entry.OsMinVersion.empty() && CompareVersions(entry.OsMinVersion, windows) > 0) ||
                (!entry.OsMaxVersion.empty() && CompareVersions(entry.OsMaxVersion, windows) < 0)) {
                continue;
            }
        }
        const std::string& line = ProductCountsAsInstalled(entry)
                                      ? InstalledCommandFor(entry, on64Bit)
                                      : NotInstalledCommandFor(entry, on64Bit);
        launcher.LaunchProcess(line, window, workingDirectory);
    }
}

}  // namespace installer
