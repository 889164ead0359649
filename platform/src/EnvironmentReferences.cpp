#include "platform/EnvironmentReferences.h"

#include <cstdlib>
#include <cstring>

extern char** environ;

namespace platform {
namespace {

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::string> LookupEnvironmentVariable(std::string_view name) {
    if (name.empty() || name.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string exact(name);
    if (const char* value = std::getenv(exact.c_str())) {
        return std::string(value);
    }
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        if (equals == nullptr) {
            continue;
        }
        const std::string_view entryName(*entry, static_cast<size_t>(equals - *entry));
        if (EqualIgnoringAsciiCase(entryName, name)) {
            return std::string(equals + 1);
        }
    }
    return std::nullopt;
}

std::string ExpandEnvironmentReferences(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t open = text.find('%', pos);
        if (open == std::string_view::npos) {
            break;
        }
        const size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) {
            break;
        }
        result.append(text.substr(pos, open - pos));
        const std::string_view name = text.substr(open + 1, close - open - 1);
        if (name.empty()) {
            // "%%": the first is a lone '%'; the second may open a reference.
            result += '%';
            pos = close;
            continue;
        }
        if (const auto value = LookupEnvironmentVariable(name)) {
            result += *value;
        } else {
            result.append(text.substr(open, close - open + 1));
        }
        pos = close + 1;
    }
    result.append(text.substr(pos));
    return result;
}

}  // namespace platform
