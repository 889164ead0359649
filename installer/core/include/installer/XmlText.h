// Reading helpers for Setup's XML files: the bytes of a file turned into a
// parsed document (legacy code pages included), element text as the
// configuration means it, and the integer and boolean attribute rules.
#pragma once

#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace installer {

// Parses `bytes` into `doc`. A document in a legacy code page named by its XML
// declaration (encoding="windows-1251") is converted to UTF-8 first; UTF-8 and
// UTF-16 (with a byte-order mark or recognisable by its first '<') are taken
// as they are. False, with `doc` emptied, when the encoding is unknown, the
// text is not well-formed (a half-read file must not give half a
// configuration), or text read as UTF-8 is not valid UTF-8; in that last case
// `invalidByte` (when given) receives the offset of the first bad byte.
bool ParseXmlDocument(std::string_view bytes, pugi::xml_document& doc,
                      std::optional<size_t>* invalidByte = nullptr);

// The offset of the first byte of `bytes` that is not part of valid UTF-8
// (a zero byte included); nullopt when all of it is valid.
std::optional<size_t> FirstInvalidUtf8Byte(std::string_view bytes);

// The whole file; nullopt when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// All text and CDATA inside the element, in document order, with XML white
// space trimmed at both ends ("  setup.exe\n" -> "setup.exe").
std::string ElementText(const pugi::xml_node& element);

// The integer at the start of `text`: leading white space, an optional sign
// and decimal digits; what follows is ignored ("12abc" -> 12). nullopt when
// there are no digits or the value does not fit an int.
std::optional<int> ParseLeadingInt(std::string_view text);

// Configuration booleans: true only for exactly "yes".
inline bool IsYes(std::string_view value) {
    return value == "yes";
}

}  // namespace installer
