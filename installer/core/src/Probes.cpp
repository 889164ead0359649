#include "installer/Probes.h"

#include <gio/gio.h>
#include <sys/utsname.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "installer/CommandFile.h"
#include "installer/EnvironmentReaders.h"
#include "installer/ProbeConstants.h"
#include "installer/VersionCompare.h"
#include "platform/InstallerState.h"
#include "platform/Registry.h"

namespace installer {
namespace {

using platform::RegRoot;

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char kNdpKey[] = "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\";

std::string MachineString(const std::string& key, const char* name) {
    return platform::RegReadString(RegRoot::LocalMachine, key, name).value_or("");
}

// .NET version `version` installed with at least service pack `servicePack`.
bool DotNetInstalled(const std::string& version, uint64_t servicePack) {
    const std::string key = kNdpKey + version;
    const uint32_t install =
        platform::RegReadDword(RegRoot::LocalMachine, key, "Install").value_or(0);
    const uint32_t sp = platform::RegReadDword(RegRoot::LocalMachine, key, "SP").value_or(0);
    return install == 1 && sp >= servicePack;
}

// The service pack a key "Framework20SP<n>" asks for: the value of the digits
// after "SP" (so "SP10" is 10); nullopt when none follow.
std::optional<uint64_t> ServicePackOfKey(std::string_view action, std::string_view prefix) {
    if (action.substr(0, prefix.size()) != prefix) {
        return std::nullopt;
    }
    uint64_t value = 0;
    size_t pos = prefix.size();
    for (; pos < action.size() && action[pos] >= '0' && action[pos] <= '9'; ++pos) {
        // No service pack number comes near this: saturate rather than wrap.
        value = value > UINT32_MAX ? value : value * 10 + static_cast<uint64_t>(action[pos] - '0');
    }
    if (pos == prefix.size()) {
        return std::nullopt;
    }
    return value;
}

bool KeyExists(const char* key) {
    return platform::RegKeyExists(RegRoot::LocalMachine, key);
}

bool ClientToolsAtLeast(const char* key, const char* version) {
    return VersionAtLeast(MachineString(key, "CurrentVersion"), version);
}

bool SqlServer2005ClientTools() {
    return ClientToolsAtLeast(
        "SOFTWARE\\Microsoft\\Microsoft SQL Server\\90\\Tools\\ClientSetup\\CurrentVersion",
        "9.00.0000.00");
}

bool SqlServer2000ClientTools() {
    return ClientToolsAtLeast(
        "SOFTWARE\\Microsoft\\Microsoft SQL Server\\80\\Tools\\ClientSetup\\CurrentVersion",
        "8.00.0000.00");
}

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool Word2003Installed() {
    const auto path = platform::RegReadString(
        RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Office\\11.0\\Word\\InstallRoot", "Path");
    if (!path || path->empty()) {
        return false;
    }
    std::string file = *path + "WinWord.exe";
    for (char& c : file) {
        if (c == '\\') {
            c = '/';
        }
    }
    return IsRegularFile(file);
}

// The Windows directory is $WINDIR, as %WINDIR% in command lines reads it.
bool DotNetProgrammingForWordInstalled() {
    const char* windows = std::getenv("WINDIR");
    if (windows == nullptr || windows[0] != '/') {
        return false;
    }
    std::error_code error;
    return std::filesystem::is_directory(
        std::string(windows) + "/assembly/GAC/Microsoft.Office.Interop.Word/", error);
}

bool FeatureLocal(std::string_view product, std::string_view feature) {
    return platform::QueryFeatureState(product, feature) == platform::kInstallStateLocal;
}

bool ProductInstalled(std::string_view product) {
    return platform::QueryProductState(product) == platform::kInstallStateDefault;
}

bool UninstallEntryPresent(const std::string& name) {
    return !MachineString(kUninstallKey + name, "UninstallString").empty();
}

bool GenericProbe(const SetupItem& item) {
    if (!item.ProductRegistryString.empty()) {
        if (UninstallEntryPresent(item.ProductRegistryString)) {
            return true;
        }
        for (const std::string& name : item.AltProductRegistryString) {
            if (UninstallEntryPresent(name)) {
                return true;
            }
        }
        return false;
    }
    bool installed = !item.ProductCode.empty() && ProductInstalled(item.ProductCode);
    for (const FeatureRule& rule : item.FeatureDepends) {
        if (!installed) {
            break;
        }
        installed = FeatureLocal(rule.Product, rule.Feature);
    }
    if (installed) {
        return true;
    }
    for (const std::string& code : item.AltProductCode) {
        if (ProductInstalled(code)) {
            return true;
        }
    }
    return false;
}

// The four keys compared with the item's MinVersion. An empty MinVersion
// keeps the earlier result and reads nothing.
using VersionReader = std::string (*)();

std::optional<VersionReader> MinVersionReader(std::string_view action) {
    if (action == "MDAC") {
        return &MdacVersion;
    }
    if (action == "InternetExplorer") {
        return &InternetExplorerVersion;
    }
    if (action == "WindowsInstaller") {
        return &WindowsInstallerVersion;
    }
    if (action == "DirectX") {
        return &DirectXVersion;
    }
    return std::nullopt;
}

}  // namespace

void ProbeInstalled(SetupItem& item) {
    const std::string& action = item.Action;
    if (action == "Framework11") {
        item.installed = DotNetInstalled("v1.1.4322", 0);
    } else if (action == "Framework20") {
        item.installed = DotNetInstalled("v2.0.50727", 0) || DotNetInstalled("v3.5", 0);
    } else if (const auto sp20 = ServicePackOfKey(action, "Framework20SP")) {
        item.installed = DotNetInstalled("v2.0.50727", *sp20) || DotNetInstalled("v3.5", 1);
    } else if (action == "Framework35") {
        item.installed = DotNetInstalled("v3.5", 0);
    } else if (action == "Framework40Client") {
        item.installed = DotNetInstalled("v4\\Client", 0);
    } else if (action == "Framework40Full") {
        item.installed = DotNetInstalled("v4\\Full", 0);
    } else if (const auto sp35 = ServicePackOfKey(action, "Framework35SP")) {
        item.installed = DotNetInstalled("v3.5", *sp35);
    } else if (action == "KB835732_WIN2000") {
        item.installed = WindowsVersion() != "5.0" ||
                         KeyExists("SOFTWARE\\Microsoft\\Updates\\Windows 2000\\SP5\\KB835732") ||
                         KeyExists("SOFTWARE\\Microsoft\\Updates\\Windows 2000\\SP4\\KB835732");
    } else if (action == "MSSQL2005") {
        item.installed =
            (item.CheckMSSQL2000 && SqlServer2000ClientTools()) || SqlServer2005ClientTools();
    } else if (action == "SQLNativeCl2005") {
        item.installed = VersionAtLeast(
            MachineString("SOFTWARE\\Microsoft\\Microsoft SQL Native Client\\CurrentVersion",
                          "Version"),
            "9.00.0000.00");
    } else if (const auto reader = MinVersionReader(action)) {
        if (!item.MinVersion.empty()) {
            item.installed = VersionAtLeast((*reader)(), item.MinVersion);
        }
    } else if (action == "Word2003") {
        item.installed = Word2003Installed();
    } else if (action == "DotNetProgrammingForWord") {
        item.installed = DotNetProgrammingForWordInstalled();
    } else if (action == "VardelReplicationSupport") {
        item.installed = FeatureLocal(kVardelReplicationProductCode, kReplicationFeature);
    } else if (action == "VardelGDReplicationSupport") {
        item.installed = FeatureLocal(kVardelGDReplicationProductCode, kReplicationFeature);
    } else {
        item.installed = GenericProbe(item);
    }
}

void CheckFilesPresent(SetupItem& item) {
    item.filesPresent = true;
    if (item.CheckCommandLine == kCheckCommandLineOff) {
        return;
    }
    const bool on64Bit = IsRunningOn64Bit();
    const std::string& line = NotInstalledCommandLineFor(item, on64Bit);
    if (!line.empty()) {
        item.filesPresent = CommandFileExists(line);
    }
    for (const IntelliCommandEntry& entry : item.commands) {
        if (!item.filesPresent) {
            return;
        }
        const std::string& command = NotInstalledCommandFor(entry, on64Bit);
        if (!command.empty()) {
            item.filesPresent = CommandFileExists(command);
        }
    }
    for (const ShellExecuteEntry& entry : item.shellExecutes) {
        if (!item.filesPresent) {
            return;
        }
        if (!entry.File.empty()) {
            item.filesPresent = ShellFileExists(entry.File);
        }
    }
}

bool IsRunningOn64Bit() {
    struct utsname name {};
    if (uname(&name) != 0) {
        return sizeof(void*) == 8;
    }
    return std::string_view(name.machine).find("64") != std::string_view::npos ||
           std::string_view(name.machine) == "s390x";
}

bool PdfReaderRegistered() {
    if (!platform::RegReadString(RegRoot::ClassesRoot, ".pdf", "").value_or("").empty()) {
        return true;
    }
    GAppInfo* reader = g_app_info_get_default_for_type("application/pdf", FALSE);
    if (reader == nullptr) {
        return false;
    }
    g_object_unref(reader);
    return true;
}

bool SqlServer2005ClientToolsPresent() {
    return SqlServer2005ClientTools();
}

bool SqlServer2000ClientToolsPresent() {
    return SqlServer2000ClientTools();
}

}  // namespace installer
