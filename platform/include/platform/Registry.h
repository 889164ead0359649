// The registry of the current user, the local machine and the classes root.
//
// Stands in for the Windows registry. Each root is one text file in the
// registry editor's export format (see RegistryTree.h), named
// HKEY_CURRENT_USER.reg, HKEY_LOCAL_MACHINE.reg or HKEY_CLASSES_ROOT.reg, in
// RegistryDirectory(). Key paths are written "SOFTWARE\Kestrova\Hushdesk"
// (no root, no leading backslash); "" is the root key itself. Names match
// case-insensitively. Values are REG_DWORD or REG_SZ.
//
// Promises:
// - Reading never creates, writes or moves a file, so read-only machine data
//   can be read from anywhere. A root whose file is absent, unreadable or not
//   in the format reads as empty (the last reported once on standard error).
// - Every change re-reads the file under an advisory lock (flock on
//   "<file>.lock") and replaces it atomically (temporary file + rename), so
//   changes made by several processes at the same time all survive.
// - A file that cannot be parsed is never overwritten: the next change moves
//   it aside to "<file>.corrupt-<date>-<time>" and starts from an empty root.
//   A file that cannot be read at all makes the change fail.
// - Every call opens and closes the file; there are no handles to keep.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryTree.h"

namespace platform {

enum class RegRoot { CurrentUser, LocalMachine, ClassesRoot };

enum class RegStatus {
    Ok,
    NotFound,     // the key or value to delete does not exist
    BadName,      // an empty key name, or a line break in a name or text
    WriteFailed,  // the file could not be read, locked or replaced
};

// $KESTROVA_REGISTRY_DIR, else $XDG_CONFIG_HOME/kestrova, else ~/.config/kestrova.
std::string RegistryDirectory();
// "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE" or "HKEY_CLASSES_ROOT".
std::string_view RegRootName(RegRoot root);
std::string RegistryFilePath(RegRoot root);

// A copy of the key with its values and subkeys; nullopt when it does not exist.
std::optional<RegKeyNode> RegLoadKey(RegRoot root, std::string_view keyPath);
bool RegKeyExists(RegRoot root, std::string_view keyPath);
std::optional<RegValue> RegQueryValue(RegRoot root, std::string_view keyPath,
                                      std::string_view name);
// nullopt when the value is absent or of another type.
std::optional<uint32_t> RegReadDword(RegRoot root, std::string_view keyPath, std::string_view name);
std::optional<std::string> RegReadString(RegRoot root, std::string_view keyPath,
                                         std::string_view name);
// Names of the direct subkeys / the values, in the order first written; empty
// when the key does not exist.
std::vector<std::string> RegEnumKeys(RegRoot root, std::string_view keyPath);
std::vector<RegValue> RegEnumValues(RegRoot root, std::string_view keyPath);

// Writers create the key and its parents when absent.
RegStatus RegCreateKey(RegRoot root, std::string_view keyPath);
RegStatus RegWriteDword(RegRoot root, std::string_view keyPath, std::string_view name,
                        uint32_t value);
RegStatus RegWriteString(RegRoot root, std::string_view keyPath, std::string_view name,
                         std::string_view text);
RegStatus RegDeleteValue(RegRoot root, std::string_view keyPath, std::string_view name);
// Deletes the key with all its subkeys and values.
RegStatus RegDeleteKey(RegRoot root, std::string_view keyPath);

// Tests: every change for which `fault` returns true fails with WriteFailed
// and leaves the file untouched (value name "" for key-only changes). An empty
// function removes the fault.
using RegWriteFault =
    std::function<bool(RegRoot root, std::string_view keyPath, std::string_view name)>;
void SetRegWriteFaultForTesting(RegWriteFault fault);

}  // namespace platform
