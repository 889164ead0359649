// One registry root held in memory, and its text form.
//
// The text form is the registry editor's export format, so that a person can
// read and edit the files: a first line "Windows Registry Editor Version 5.00",
// then one "[ROOT\Key\Sub]" section per key, with "Name"=dword:00000012,
// "Name"="text" and @=... (the default value) lines; \ and " are escaped with
// a backslash inside quotes. Key and value names match case-insensitively
// (ASCII letters) and keep the case they were first written in. Values of
// other types ("hex:..." lines written by other tools) are kept verbatim.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class RegType { Dword, String, Other };

struct RegValue {
    std::string name;  // "" is the key's default value
    RegType type = RegType::Dword;
    uint32_t dword = 0;  // RegType::Dword
    // RegType::String: the text. RegType::Other: the data as written after '='.
    std::string text;
};

struct RegKeyNode {
    std::string name;
    std::vector<RegValue> values;     // in the order first written
    std::vector<RegKeyNode> subkeys;  // in the order first created
};

inline constexpr std::string_view kRegFileHeader = "Windows Registry Editor Version 5.00";
// Deepest key path a file may name, as on Windows; deeper sections are skipped.
inline constexpr size_t kRegMaxKeyDepth = 512;

// A line of a file that could not be read and was left out.
struct RegSkippedLine {
    size_t number = 0;  // counted from 1
    std::string text;   // without the line break and surrounding blanks
};

bool RegNamesEqual(std::string_view a, std::string_view b);

// "SOFTWARE\Kestrova" -> {"SOFTWARE", "Kestrova"}; "" -> {} (the root itself);
// nullopt when a name is empty or holds a line break or NUL.
std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path);

// False for a value name or text that the file format cannot hold (line breaks, NUL).
bool IsStorableText(std::string_view text);

const RegKeyNode* FindKey(const RegKeyNode& root, const std::vector<std::string>& path);
RegKeyNode* FindKey(RegKeyNode& root, const std::vector<std::string>& path);
// Finds the key, creating it and its parents when absent.
RegKeyNode& FindOrCreateKey(RegKeyNode& root, const std::vector<std::string>& path);
// Removes the key with its subkeys; false when absent or `path` is the root.
bool RemoveKey(RegKeyNode& root, const std::vector<std::string>& path);

const RegValue* FindValue(const RegKeyNode& key, std::string_view name);
// Replaces a value of that name (keeping the name's first case) or appends it.
void SetValue(RegKeyNode& key, RegValue value);
bool RemoveValue(RegKeyNode& key, std::string_view name);

// Parses the text of the file of root `rootName` ("HKEY_CURRENT_USER") in
// time linear in its length; nullopt when it does not start with the format's
// header. Empty text is an empty root. A line that cannot be read (a value
// before any section, a deletion, another root's section, a malformed value)
// is left out and listed in `skipped`, and so are the values under a section
// that is left out; everything else is kept.
std::optional<RegKeyNode> ParseRegText(std::string_view text, std::string_view rootName,
                                       std::vector<RegSkippedLine>* skipped = nullptr);
std::string FormatRegText(const RegKeyNode& root, std::string_view rootName);

}  // namespace platform
