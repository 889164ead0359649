// Windows Installer product and feature states, kept in the local-machine
// registry so that install scripts can record them (kestrova-reg) and tests
// can seed them:
//
//   HKEY_LOCAL_MACHINE\SOFTWARE\Kestrova\Installer\Products\{CODE}   "State"=dword:5
//   HKEY_LOCAL_MACHINE\SOFTWARE\Kestrova\Installer\Products\{CODE}\Features
//                                                                    "<feature>"=dword:3
//
// Product codes are brace-enclosed GUIDs ({8-4-4-4-12} hex digits, any case);
// anything else is refused without a look-up, since the code becomes part of a
// key path. Codes and feature names match case-insensitively.
#pragma once

#include <string_view>

namespace platform {

inline constexpr char kInstallerProductsKey[] = "SOFTWARE\\Kestrova\\Installer\\Products";

// The Windows Installer state values the callers look at.
constexpr int kInstallStateInvalidArg = -2;  // not a well-formed product code
constexpr int kInstallStateUnknown = -1;     // nothing recorded
constexpr int kInstallStateAbsent = 2;
constexpr int kInstallStateLocal = 3;    // a feature installed on this machine
constexpr int kInstallStateDefault = 5;  // a product installed

bool IsWellFormedProductCode(std::string_view code);

// The recorded State of the product; kInstallStateUnknown when none is.
int QueryProductState(std::string_view productCode);
// The recorded state of the feature; kInstallStateUnknown when none is.
int QueryFeatureState(std::string_view productCode, std::string_view feature);

}  // namespace platform
