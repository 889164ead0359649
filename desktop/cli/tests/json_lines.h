// A strict reader of the flat JSON objects hushdesk-clean's report holds,
// written apart from the program's writer so that the tests check the
// report against JSON itself.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace clitest {

struct JsonValue {
    enum class Kind { Null, Boolean, Number, String } kind = Kind::Null;
    std::string text;  // String
    double number = 0.0;
    bool boolean = false;
};

using JsonObject = std::map<std::string, JsonValue>;

// One object per line, every line ended by a line feed; nothing when any
// line is not a complete object of strings, numbers, booleans and nulls in
// valid UTF-8.
std::optional<std::vector<JsonObject>> ParseJsonLines(const std::string& text);

}  // namespace clitest
