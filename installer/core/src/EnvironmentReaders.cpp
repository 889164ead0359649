#include "installer/EnvironmentReaders.h"

#include "installer/Log.h"
#include "platform/Registry.h"

namespace installer {
namespace {

using platform::RegRoot;

constexpr char kWindowsNtKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kWindowsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

std::string ReadMachineString(const char* key, const char* name) {
    return platform::RegReadString(RegRoot::LocalMachine, key, name).value_or("");
}

// The Windows NT key when it exists, else the older one.
std::string ReadWindowsValue(const char* name) {
    const char* key =
        platform::RegKeyExists(RegRoot::LocalMachine, kWindowsNtKey) ? kWindowsNtKey : kWindowsKey;
    return ReadMachineString(key, name);
}

std::string Logged(const char* label, std::string value) {
    Log(label);
    Log(value);
    return value;
}

}  // namespace

std::string WindowsVersion() {
    std::string version = ReadWindowsValue("CurrentVersion");
    if (version.empty()) {
        version = kDefaultWindowsVersion;
    }
    return Logged("WindowsVersion=", std::move(version));
}

std::string ServicePackVersion() {
    return Logged("ServicePackVersion=", ReadWindowsValue("CSDVersion"));
}

std::string MdacVersion() {
    return Logged("MDACVersion=",
                  ReadMachineString("SOFTWARE\\Microsoft\\DataAccess", "FullInstallVer"));
}

std::string WindowsInstallerVersion() {
    return Logged("WindowsInstallerVersion=",
                  ReadMachineString("SOFTWARE\\Kestrova\\Installer", "Version"));
}

std::string InternetExplorerVersion() {
    return Logged("InternetExplorerVersion=",
                  ReadMachineString("SOFTWARE\\Microsoft\\Internet Explorer", "Version"));
}

std::string DirectXVersion() {
    return Logged("DirectXVersion=", ReadMachineString("SOFTWARE\\Microsoft\\DirectX", "Version"));
}

}  // namespace installer
