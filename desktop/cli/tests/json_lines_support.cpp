#include "json_lines.h"

#include <cstdlib>

namespace clitest {
namespace {

class Reader {
public:
    explicit Reader(const std::string& text) : m_text(text) {}

    std::optional<JsonObject> Object() {
        JsonObject object;
        if (!Take('{')) {
            return std::nullopt;
        }
        if (Take('}')) {
            return object;
        }
        do {
            auto key = String();
            if (!key || !Take(':')) {
                return std::nullopt;
            }
            auto value = Value();
            if (!value || object.count(*key) != 0) {
                return std::nullopt;
            }
            object[*key] = *value;
        } while (Take(','));
        if (!Take('}')) {
            return std::nullopt;
        }
        return object;
    }

    bool AtEnd() const { return m_pos == m_text.size(); }

private:
    bool Take(char c) {
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    bool TakeWord(const char* word) {
        const std::string w(word);
        if (m_text.compare(m_pos, w.size(), w) == 0) {
            m_pos += w.size();
            return true;
        }
        return false;
    }

    std::optional<JsonValue> Value() {
        JsonValue value;
        if (m_pos < m_text.size() && m_text[m_pos] == '"') {
            auto text = String();
            if (!text) {
                return std::nullopt;
            }
            value.kind = JsonValue::Kind::String;
            value.text = *text;
            return value;
        }
        if (TakeWord("null")) {
            return value;
        }
        if (TakeWord("true") || TakeWord("false")) {
            value.kind = JsonValue::Kind::Boolean;
            value.boolean = m_text[m_pos - 1] == 'e' && m_text[m_pos - 2] == 'u';
            return value;
        }
        const char* start = m_text.c_str() + m_pos;
        if (*start != '-' && (*start < '0' || *start > '9')) {
            return std::nullopt;
        }
        char* end = nullptr;
        value.kind = JsonValue::Kind::Number;
        value.number = std::strtod(start, &end);
        m_pos += static_cast<size_t>(end - start);
        return value;
    }

    static void AppendUtf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    std::optional<unsigned> Hex4() {
        if (m_pos + 4 > m_text.size()) {
            return std::nullopt;
        }
        unsigned code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_pos++];
            code <<= 4;
            if (c >= '0' && c <= '9') {
                code |= static_cast<unsigned>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                code |= static_cast<unsigned>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                code |= static_cast<unsigned>(c - 'A' + 10);
            } else {
                return std::nullopt;
            }
        }
        return code;
    }

    std::optional<std::string> String() {
        if (!Take('"')) {
            return std::nullopt;
        }
        std::string out;
        while (m_pos < m_text.size()) {
            const auto c = static_cast<unsigned char>(m_text[m_pos++]);
            if (c == '"') {
                return out;
            }
            if (c < 0x20) {
                return std::nullopt;
            }
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (m_pos == m_text.size()) {
                return std::nullopt;
            }
            const char e = m_text[m_pos++];
            const std::string simple = "\"\\/bfnrt";
            const std::string meaning = "\"\\/\b\f\n\r\t";
            if (auto k = simple.find(e); k != std::string::npos) {
                out += meaning[k];
            } else if (e == 'u') {
                auto code = Hex4();
                if (!code || (*code >= 0xDC00 && *code < 0xE000)) {
                    return std::nullopt;
                }
                if (*code >= 0xD800 && *code < 0xDC00) {
                    if (!TakeWord("\\u")) {
                        return std::nullopt;
                    }
                    auto low = Hex4();
                    if (!low || *low < 0xDC00 || *low >= 0xE000) {
                        return std::nullopt;
                    }
                    *code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
                }
                AppendUtf8(out, *code);
            } else {
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

    const std::string& m_text;
    size_t m_pos = 0;
};

bool ValidUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t length = c < 0x80         ? 1
                              : (c >> 5) == 6  ? 2
                              : (c >> 4) == 14 ? 3
                              : (c >> 3) == 30 ? 4
                                               : 0;
        if (length == 0 || i + length > text.size() || (length == 2 && c < 0xC2)) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

}  // namespace

std::optional<std::vector<JsonObject>> ParseJsonLines(const std::string& text) {
    if (!ValidUtf8(text) || (!text.empty() && text.back() != '\n')) {
        return std::nullopt;
    }
    std::vector<JsonObject> objects;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        Reader reader(line);
        auto object = reader.Object();
        if (!object || !reader.AtEnd()) {
            return std::nullopt;
        }
        objects.push_back(std::move(*object));
        start = end + 1;
    }
    return objects;
}

}  // namespace clitest
