#include "installer/XmlText.h"

#include <glib.h>

#include <climits>
#include <fstream>
#include <iterator>

namespace installer {
namespace {

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = Lower(c);
    }
    return lower;
}

// The encoding named by a leading <?xml ... encoding="..."?> declaration
// written in single bytes; empty when there is none.
std::string DeclaredEncoding(std::string_view bytes) {
    if (bytes.substr(0, 5) != "<?xml") {
        return {};
    }
    const size_t end = bytes.find("?>");
    const std::string_view declaration = bytes.substr(0, end);
    const size_t key = declaration.find("encoding");
    if (key == std::string_view::npos) {
        return {};
    }
    size_t pos = key + 8;
    while (pos < declaration.size() && IsXmlSpace(declaration[pos])) {
        ++pos;
    }
    if (pos >= declaration.size() || declaration[pos] != '=') {
        return {};
    }
    ++pos;
    while (pos < declaration.size() && IsXmlSpace(declaration[pos])) {
        ++pos;
    }
    if (pos >= declaration.size() || (declaration[pos] != '"' && declaration[pos] != '\'')) {
        return {};
    }
    const char quote = declaration[pos];
    const size_t close = declaration.find(quote, pos + 1);
    if (close == std::string_view::npos) {
        return {};
    }
    return std::string(declaration.substr(pos + 1, close - pos - 1));
}

bool IsUnicodeEncoding(const std::string& lowerName) {
    return lowerName == "utf-8" || lowerName == "utf8" || lowerName.rfind("utf-16", 0) == 0 ||
           lowerName.rfind("ucs-2", 0) == 0;
}

bool HasByteOrderMark(std::string_view bytes) {
    return bytes.substr(0, 3) == "\xEF\xBB\xBF" || bytes.substr(0, 2) == "\xFF\xFE" ||
           bytes.substr(0, 2) == "\xFE\xFF";
}

// Walks the subtree without recursion: fuzzed or hostile files nest deeply.
void AppendText(const pugi::xml_node& element, std::string& text) {
    pugi::xml_node node = element.first_child();
    while (node && node != element) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
            text += node.value();
        }
        if (node.type() == pugi::node_element && node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node != element && !node.next_sibling()) {
            node = node.parent();
        }
        if (node != element) {
            node = node.next_sibling();
        }
    }
}

// Text that reaches the reader as UTF-8 bytes: anything but UTF-16 or UTF-32
// (which start with a byte-order mark or have a zero byte among the first four).
bool ReadAsUtf8(std::string_view bytes) {
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        return false;
    }
    return bytes.substr(0, 4).find('\0') == std::string_view::npos;
}

}  // namespace

std::optional<size_t> FirstInvalidUtf8Byte(std::string_view bytes) {
    const gchar* end = nullptr;
    if (g_utf8_validate_len(bytes.data(), bytes.size(), &end)) {
        return std::nullopt;
    }
    return static_cast<size_t>(end - bytes.data());
}

bool ParseXmlDocument(std::string_view bytes, pugi::xml_document& doc,
                      std::optional<size_t>* invalidByte) {
    doc.reset();
    const unsigned options = pugi::parse_default;
    const std::string encoding = HasByteOrderMark(bytes) ? "" : DeclaredEncoding(bytes);
    pugi::xml_parse_result result;
    if (!encoding.empty() && !IsUnicodeEncoding(LowerAscii(encoding))) {
        gsize written = 0;
        gchar* converted = g_convert(bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8",
                                     encoding.c_str(), nullptr, &written, nullptr);
        if (converted == nullptr) {
            return false;
        }
        result = doc.load_buffer(converted, written, options, pugi::encoding_utf8);
        g_free(converted);
    } else {
        // The reader passes bytes that are not UTF-8 through, and the window
        // cannot show such text: the file counts as unreadable.
        if (ReadAsUtf8(bytes)) {
            if (const auto bad = FirstInvalidUtf8Byte(bytes)) {
                if (invalidByte != nullptr) {
                    *invalidByte = bad;
                }
                return false;
            }
        }
        result = doc.load_buffer(bytes.data(), bytes.size(), options, pugi::encoding_auto);
    }
    if (!result) {
        doc.reset();
        return false;
    }
    return true;
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        return std::nullopt;
    }
    return bytes;
}

std::string ElementText(const pugi::xml_node& element) {
    std::string text;
    AppendText(element, text);
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsXmlSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && IsXmlSpace(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

std::optional<int> ParseLeadingInt(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && (IsXmlSpace(text[pos]) || text[pos] == '\v' || text[pos] == '\f')) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos >= text.size() || text[pos] < '0' || text[pos] > '9') {
        return std::nullopt;
    }
    long long value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            return std::nullopt;
        }
    }
    value = negative ? -value : value;
    if (value > INT_MAX || value < INT_MIN) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

}  // namespace installer
