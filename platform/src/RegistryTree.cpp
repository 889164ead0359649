#include "platform/RegistryTree.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unordered_map>

namespace platform {
namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && RegNamesEqual(text.substr(0, prefix.size()), prefix);
}

std::string_view TrimEnd(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view TrimStart(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    return text;
}

std::string Quote(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            quoted += '\\';
        }
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

// Reads a quoted text at the start of `line` and advances past it.
std::optional<std::string> TakeQuoted(std::string_view& line) {
    if (line.empty() || line.front() != '"') {
        return std::nullopt;
    }
    std::string text;
    for (size_t i = 1; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            line.remove_prefix(i + 1);
            return text;
        }
        // Only \\ and \" are escapes; any other backslash is taken literally, as
        // people editing paths by hand tend to write them.
        if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '\\' || line[i + 1] == '"')) {
            ++i;
        }
        text += line[i];
    }
    return std::nullopt;
}

std::optional<uint32_t> ParseDword(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (const char c : digits) {
        const char lower = FoldAscii(c);
        uint32_t digit = 0;
        if (lower >= '0' && lower <= '9') {
            digit = static_cast<uint32_t>(lower - '0');
        } else if (lower >= 'a' && lower <= 'f') {
            digit = static_cast<uint32_t>(lower - 'a' + 10);
        } else {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return value;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

template <typename Node>
Node* FindKeyIn(Node& root, const std::vector<std::string>& path) {
    Node* key = &root;
    for (const std::string& name : path) {
        const auto found =
            std::find_if(key->subkeys.begin(), key->subkeys.end(),
                         [&](const RegKeyNode& k) { return RegNamesEqual(k.name, name); });
        if (found == key->subkeys.end()) {
            return nullptr;
        }
        key = &*found;
    }
    return key;
}

template <typename Node>
auto FindValueIn(Node& key, std::string_view name) {
    return std::find_if(key.values.begin(), key.values.end(),
                        [&](const RegValue& v) { return RegNamesEqual(v.name, name); });
}

void FormatKey(const RegKeyNode& key, const std::string& path, bool writeSection,
               std::string& out) {
    if (writeSection) {
        out += "[" + path + "]\n";
        for (const RegValue& value : key.values) {
            out += value.name.empty() ? std::string("@") : Quote(value.name);
            out += '=';
            switch (value.type) {
                case RegType::Dword: {
                    char digits[16];
                    std::snprintf(digits, sizeof digits, "dword:%08x", value.dword);
                    out += digits;
                    break;
                }
                case RegType::String:
                    out += Quote(value.text);
                    break;
                case RegType::Other:
                    out += value.text;
                    break;
            }
            out += '\n';
        }
        out += '\n';
    }
    for (const RegKeyNode& subkey : key.subkeys) {
        FormatKey(subkey, path + "\\" + subkey.name, true, out);
    }
}

std::string FoldedName(std::string_view name) {
    std::string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldAscii);
    return folded;
}

// A key being read from text, with its values and subkeys indexed by folded
// name, so that reading a file takes time in proportion to its length
// however many values one key holds. Children sit behind pointers: their
// addresses stay put while siblings are added.
struct IndexedKey {
    RegKeyNode node;
    std::unordered_map<std::string, size_t> valueIndex;
    std::vector<std::unique_ptr<IndexedKey>> children;
    std::unordered_map<std::string, IndexedKey*> childIndex;

    IndexedKey& FindOrCreate(const std::vector<std::string>& path) {
        IndexedKey* key = this;
        for (const std::string& name : path) {
            auto [slot, added] = key->childIndex.try_emplace(FoldedName(name), nullptr);
            if (added) {
                key->children.push_back(std::make_unique<IndexedKey>());
                key->children.back()->node.name = name;
                slot->second = key->children.back().get();
            }
            key = slot->second;
        }
        return *key;
    }

    // As SetValue: a later value of the same name replaces the earlier one
    // in its place, under the name's first case.
    void Set(RegValue value) {
        const auto [slot, added] =
            valueIndex.try_emplace(FoldedName(value.name), node.values.size());
        if (added) {
            node.values.push_back(std::move(value));
            return;
        }
        value.name = std::move(node.values[slot->second].name);
        node.values[slot->second] = std::move(value);
    }

    RegKeyNode Finish() && {
        for (auto& child : children) {
            node.subkeys.push_back(std::move(*child).Finish());
        }
        return std::move(node);
    }
};

// The key path of a "[ROOT\Key\Sub]" line; nullopt when it is not one of
// this root's keys (another root, a "[-...]" deletion, an empty name, too deep).
std::optional<std::vector<std::string>> ParseSection(std::string_view line,
                                                     std::string_view rootName) {
    if (line.back() != ']') {
        return std::nullopt;
    }
    const std::string_view fullPath = line.substr(1, line.size() - 2);
    const size_t rootEnd = fullPath.find('\\');
    if (!RegNamesEqual(fullPath.substr(0, rootEnd), rootName)) {
        return std::nullopt;
    }
    auto path = SplitKeyPath(rootEnd == std::string_view::npos ? std::string_view()
                                                               : fullPath.substr(rootEnd + 1));
    if (!path || (rootEnd != std::string_view::npos && path->empty()) ||
        path->size() > kRegMaxKeyDepth) {
        return std::nullopt;
    }
    return path;
}

// One value line (`lines[i]`, trimmed as `line`); a "hex" value continued
// over lines ending in '\' advances `i` past its last line. nullopt when the
// line is not a value this format holds (includes "=-", a deletion).
std::optional<RegValue> ParseValue(std::string_view line,
                                   const std::vector<std::string_view>& lines, size_t& i) {
    RegValue value;
    if (line.front() == '@') {
        line.remove_prefix(1);
    } else {
        auto name = TakeQuoted(line);
        if (!name) {
            return std::nullopt;
        }
        value.name = std::move(*name);
    }
    line = TrimStart(line);
    if (line.empty() || line.front() != '=') {
        return std::nullopt;
    }
    line = TrimStart(line.substr(1));
    if (!line.empty() && line.front() == '"') {
        auto data = TakeQuoted(line);
        if (!data || !line.empty()) {
            return std::nullopt;
        }
        value.type = RegType::String;
        value.text = std::move(*data);
    } else if (StartsWithNoCase(line, "dword:")) {
        const auto number = ParseDword(line.substr(6));
        if (!number) {
            return std::nullopt;
        }
        value.type = RegType::Dword;
        value.dword = *number;
    } else if (StartsWithNoCase(line, "hex")) {
        value.type = RegType::Other;
        std::string data(line);
        while (!data.empty() && data.back() == '\\') {
            data.pop_back();
            const std::string_view next =
                ++i < lines.size() ? TrimStart(TrimEnd(lines[i])) : std::string_view();
            if (next.empty()) {
                return std::nullopt;
            }
            data += next;
        }
        value.text = std::move(data);
    } else {
        return std::nullopt;
    }
    return value;
}

}  // namespace

bool RegNamesEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldAscii(x) == FoldAscii(y);
           });
}

bool IsStorableText(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path) {
    std::vector<std::string> names;
    if (path.empty()) {
        return names;
    }
    if (!IsStorableText(path)) {
        return std::nullopt;
    }
    size_t start = 0;
    while (true) {
        const size_t end = path.find('\\', start);
        const std::string_view name =
            path.substr(start, end == std::string_view::npos ? end : end - start);
        if (name.empty()) {
            return std::nullopt;
        }
        names.emplace_back(name);
        if (end == std::string_view::npos) {
            return names;
        }
        start = end + 1;
    }
}

const RegKeyNode* FindKey(const RegKeyNode& root, const std::vector<std::string>& path) {
    return FindKeyIn(root, path);
}

RegKeyNode* FindKey(RegKeyNode& root, const std::vector<std::string>& path) {
    return FindKeyIn(root, path);
}

RegKeyNode& FindOrCreateKey(RegKeyNode& root, const std::vector<std::string>& path) {
    RegKeyNode* key = &root;
    for (const std::string& name : path) {
        auto found = std::find_if(key->subkeys.begin(), key->subkeys.end(),
                                  [&](const RegKeyNode& k) { return RegNamesEqual(k.name, name); });
        if (found == key->subkeys.end()) {
            key->subkeys.push_back(RegKeyNode{name, {}, {}});
            key = &key->subkeys.back();
        } else {
            key = &*found;
        }
    }
    return *key;
}

bool RemoveKey(RegKeyNode& root, const std::vector<std::string>& path) {
    if (path.empty()) {
        return false;
    }
    const std::vector<std::string> parentPath(path.begin(), path.end() - 1);
    RegKeyNode* parent = FindKeyIn(root, parentPath);
    if (parent == nullptr) {
        return false;
    }
    const auto found =
        std::find_if(parent->subkeys.begin(), parent->subkeys.end(),
                     [&](const RegKeyNode& k) { return RegNamesEqual(k.name, path.back()); });
    if (found == parent->subkeys.end()) {
        return false;
    }
    parent->subkeys.erase(found);
    return true;
}

const RegValue* FindValue(const RegKeyNode& key, std::string_view name) {
    const auto found = FindValueIn(key, name);
    return found == key.values.end() ? nullptr : &*found;
}

void SetValue(RegKeyNode& key, RegValue value) {
    const auto existing = FindValueIn(key, value.name);
    if (existing == key.values.end()) {
        key.values.push_back(std::move(value));
        return;
    }
    value.name = existing->name;
    *existing = std::move(value);
}

bool RemoveValue(RegKeyNode& key, std::string_view name) {
    const auto found = FindValueIn(key, name);
    if (found == key.values.end()) {
        return false;
    }
    key.values.erase(found);
    return true;
}

std::optional<RegKeyNode> ParseRegText(std::string_view text, std::string_view rootName,
                                       std::vector<RegSkippedLine>* skipped) {
    constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        text.remove_prefix(kUtf8Bom.size());
    }
    IndexedKey root;
    root.node.name = std::string(rootName);
    const std::vector<std::string_view> lines = SplitLines(text);
    bool headerSeen = false;
    // Null before the first section and after one that cannot be read: the
    // values there are left out, as they would otherwise land in another key.
    IndexedKey* current = nullptr;
    const auto skip = [&](size_t first) {
        if (skipped != nullptr) {
            skipped->push_back(
                RegSkippedLine{first + 1, std::string(TrimStart(TrimEnd(lines[first])))});
        }
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = TrimStart(TrimEnd(lines[i]));
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (!headerSeen) {
            if (line != kRegFileHeader && line != "REGEDIT4") {
                return std::nullopt;
            }
            headerSeen = true;
            continue;
        }
        const size_t first = i;
        if (line.front() == '[') {
            const auto path = ParseSection(line, rootName);
            current = path ? &root.FindOrCreate(*path) : nullptr;
            if (!path) {
                skip(first);
            }
            continue;
        }
        auto value = ParseValue(line, lines, i);
        if (current == nullptr || !value) {
            skip(first);
            continue;
        }
        current->Set(std::move(*value));
    }
    return std::move(root).Finish();
}

std::string FormatRegText(const RegKeyNode& root, std::string_view rootName) {
    std::string out(kRegFileHeader);
    out += "\n\n";
    FormatKey(root, std::string(rootName), !root.values.empty(), out);
    return out;
}

}  // namespace platform
