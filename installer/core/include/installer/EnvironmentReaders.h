// Versions of the system components that prerequisites are checked against,
// read from the local-machine registry. Each reader logs its label and then
// the value it found, as two lines.
#pragma once

#include <string>

namespace installer {

// "CurrentVersion" of "SOFTWARE\Microsoft\Windows NT\CurrentVersion" (or, when
// that key is missing, of "SOFTWARE\Microsoft\Windows\CurrentVersion"). A
// machine that records none reports "6.3", a current Windows.
std::string WindowsVersion();
// "CSDVersion" of the same key; empty when none is recorded.
std::string ServicePackVersion();
// "FullInstallVer" of "SOFTWARE\Microsoft\DataAccess".
std::string MdacVersion();
// "Version" of "SOFTWARE\Kestrova\Installer": the installer engine's own
// version stands where the version resource of msiexec.exe was read.
std::string WindowsInstallerVersion();
// "Version" of "SOFTWARE\Microsoft\Internet Explorer".
std::string InternetExplorerVersion();
// "Version" of "SOFTWARE\Microsoft\DirectX".
std::string DirectXVersion();

inline constexpr char kDefaultWindowsVersion[] = "6.3";

}  // namespace installer
