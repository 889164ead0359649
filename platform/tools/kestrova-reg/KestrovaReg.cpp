#include "KestrovaReg.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "platform/Registry.h"

namespace kestrovareg {
namespace {

using platform::RegRoot;
using platform::RegStatus;

constexpr char kUsage[] =
    "Usage: kestrova-reg get ROOT KEY [NAME]\n"
    "       kestrova-reg set ROOT KEY NAME dword:NUMBER|sz:TEXT\n"
    "       kestrova-reg delete ROOT KEY [NAME]\n"
    "\n"
    "Reads and changes the Kestrova registry that Hushdesk and Setup use.\n"
    "\n"
    "  get     prints the value NAME of KEY (a number for dword values), or,\n"
    "          without NAME, every value of KEY as Name=dword:N or Name=sz:TEXT\n"
    "  set     creates KEY when needed and writes NAME; NUMBER is decimal or 0x hex\n"
    "  delete  removes the value NAME, or without NAME the key with its subkeys\n"
    "\n"
    "ROOT is HKLM, HKCU or HKCR (or HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER,\n"
    "HKEY_CLASSES_ROOT). KEY is written with backslashes, for example\n"
    "'SOFTWARE\\Kestrova\\Installer\\Products\\{...}'; quote it in the shell.\n"
    "NAME @ is the key's default value. Names match ignoring case.\n"
    "\n"
    "The registry lives in $KESTROVA_REGISTRY_DIR, else $XDG_CONFIG_HOME/kestrova,\n"
    "else ~/.config/kestrova, one file per root. Changes are made under a lock\n"
    "and replace the file atomically.\n"
    "\n"
    "Exit status: 0 done, 1 key or value not found, 2 wrong command line,\n"
    "3 the registry file could not be changed.\n";

std::optional<RegRoot> ParseRoot(std::string_view text) {
    if (text == "HKLM" || text == "HKEY_LOCAL_MACHINE") {
        return RegRoot::LocalMachine;
    }
    if (text == "HKCU" || text == "HKEY_CURRENT_USER") {
        return RegRoot::CurrentUser;
    }
    if (text == "HKCR" || text == "HKEY_CLASSES_ROOT") {
        return RegRoot::ClassesRoot;
    }
    return std::nullopt;
}

std::string ValueName(std::string_view name) {
    return name == "@" ? "" : std::string(name);
}

std::optional<uint32_t> ParseDword(std::string_view text) {
    int base = 10;
    if (text.substr(0, 2) == "0x" || text.substr(0, 2) == "0X") {
        text.remove_prefix(2);
        base = 16;
    }
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string FormatValue(const platform::RegValue& value) {
    switch (value.type) {
        case platform::RegType::Dword:
            return "dword:" + std::to_string(value.dword);
        case platform::RegType::String:
            return "sz:" + value.text;
        case platform::RegType::Other:
            break;
    }
    return value.text;
}

int Usage(std::ostream& err, const std::string& problem) {
    err << "kestrova-reg: " << problem << "\n"
        << "Try 'kestrova-reg --help'.\n";
    return kExitUsage;
}

int Changed(RegStatus status, std::ostream& err, const std::string& what) {
    switch (status) {
        case RegStatus::Ok:
            return kExitOk;
        case RegStatus::NotFound:
            err << "kestrova-reg: " << what << " does not exist\n";
            return kExitNotFound;
        case RegStatus::BadName:
            err << "kestrova-reg: " << what
                << ": names must not be empty or hold line breaks, texts no line breaks\n";
            return kExitUsage;
        case RegStatus::WriteFailed:
            break;
    }
    err << "kestrova-reg: cannot change " << what << " (registry folder "
        << platform::RegistryDirectory() << ")\n";
    return kExitFailed;
}

int Get(RegRoot root, const std::string& key, const std::vector<std::string>& args,
        std::ostream& out, std::ostream& err) {
    if (args.size() == 4) {
        const auto value = platform::RegQueryValue(root, key, ValueName(args[3]));
        if (!value) {
            err << "kestrova-reg: value " << args[3] << " of " << key << " does not exist\n";
            return kExitNotFound;
        }
        out << (value->type == platform::RegType::Dword ? std::to_string(value->dword)
                                                        : value->text)
            << "\n";
        return kExitOk;
    }
    if (!platform::RegKeyExists(root, key)) {
        err << "kestrova-reg: key " << key << " does not exist\n";
        return kExitNotFound;
    }
    for (const platform::RegValue& value : platform::RegEnumValues(root, key)) {
        out << (value.name.empty() ? "@" : value.name) << "=" << FormatValue(value) << "\n";
    }
    return kExitOk;
}

int Set(RegRoot root, const std::string& key, const std::vector<std::string>& args,
        std::ostream& err) {
    const std::string name = ValueName(args[3]);
    const std::string_view data = args[4];
    const std::string what = "value " + args[3] + " of " + key;
    if (data.substr(0, 6) == "dword:") {
        const auto number = ParseDword(data.substr(6));
        if (!number) {
            return Usage(err, "not a 32-bit number: " + std::string(data.substr(6)));
        }
        return Changed(platform::RegWriteDword(root, key, name, *number), err, what);
    }
    if (data.substr(0, 3) == "sz:") {
        return Changed(platform::RegWriteString(root, key, name, data.substr(3)), err, what);
    }
    return Usage(err, "the data must start with dword: or sz: (" + std::string(data) + ")");
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << kUsage;
        return kExitOk;
    }
    if (args.empty()) {
        return Usage(err, "no command given");
    }
    const std::string& command = args[0];
    const bool known = command == "get" || command == "set" || command == "delete";
    if (!known) {
        return Usage(err, "unknown command '" + command + "'");
    }
    const size_t expectedMin = command == "set" ? 5 : 3;
    const size_t expectedMax = command == "set" ? 5 : 4;
    if (args.size() < expectedMin || args.size() > expectedMax) {
        return Usage(err, "wrong number of arguments for " + command);
    }
    const auto root = ParseRoot(args[1]);
    if (!root) {
        return Usage(err, "unknown root '" + args[1] + "' (HKLM, HKCU or HKCR)");
    }
    const std::string& key = args[2];
    if (command == "get") {
        return Get(*root, key, args, out, err);
    }
    if (command == "set") {
        return Set(*root, key, args, err);
    }
    if (args.size() == 4) {
        return Changed(platform::RegDeleteValue(*root, key, ValueName(args[3])), err,
                       "value " + args[3] + " of " + key);
    }
    if (key.empty()) {
        return Usage(err, "refusing to delete a whole root");
    }
    return Changed(platform::RegDeleteKey(*root, key), err, "key " + key);
}

}  // namespace kestrovareg
