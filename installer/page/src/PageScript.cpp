#include "installer/PageScript.h"

#include <array>
#include <charconv>
#include <sstream>

namespace installer {
namespace {

struct IdRoute {
    std::string_view id;
    ClickRoute route;
};

constexpr std::array<IdRoute, 5> kIdRoutes{{
    {"ButtonOK", ClickRoute::Ok},
    {"ButtonCancel", ClickRoute::Cancel},
    {"Cancel", ClickRoute::Cancel},
    {"ReadMe", ClickRoute::ReadMe},
    {"PreInstall", ClickRoute::PreInstall},
}};

constexpr std::array<std::string_view, 4> kItemClasses{"Action", "DigitBlue", "DigitGreen",
                                                       "DigitRed"};

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::string> PercentDecode(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        if (i + 2 >= text.size()) {
            return std::nullopt;
        }
        const int high = HexValue(text[i + 1]);
        const int low = HexValue(text[i + 2]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return decoded;
}

bool HasItemClass(std::string_view classes) {
    std::istringstream words{std::string(classes)};
    std::string word;
    while (words >> word) {
        for (const std::string_view itemClass : kItemClasses) {
            if (word == itemClass) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

std::string JavaScriptString(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string literal = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            literal += '\\';
            literal += static_cast<char>(c);
        } else if (c == '\n') {
            literal += "\\n";
        } else if (c < 0x20 || c == 0x7f) {
            literal += "\\u00";
            literal += kHex[c >> 4];
            literal += kHex[c & 0xf];
        } else if (c == '<' && i + 1 < text.size() && text[i + 1] == '/') {
            literal += "<\\/";
            ++i;
        } else if (c == 0xe2 && i + 2 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) == 0x80 &&
                   (static_cast<unsigned char>(text[i + 2]) == 0xa8 ||
                    static_cast<unsigned char>(text[i + 2]) == 0xa9)) {
            // U+2028 and U+2029 end a line inside older script engines' strings.
            literal += static_cast<unsigned char>(text[i + 2]) == 0xa8 ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            literal += static_cast<char>(c);
        }
    }
    literal += '"';
    return literal;
}

std::string SetBodyScript(std::string_view html, const std::vector<std::string>& texts,
                          uint64_t generation) {
    std::string script = "setBody(" + JavaScriptString(html) + ", [";
    for (size_t i = 0; i < texts.size(); ++i) {
        script += i == 0 ? "" : ", ";
        script += JavaScriptString(texts[i]);
    }
    return script + "], " + std::to_string(generation) + ");";
}

std::optional<ClickReport> ParseClickReport(std::string_view text) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        const size_t space = text.find(' ', start);
        parts.push_back(
            text.substr(start, space == std::string_view::npos ? text.npos : space - start));
        if (space == std::string_view::npos) {
            break;
        }
        start = space + 1;
    }
    if (parts.size() < 3 || parts.size() % 2 == 0) {
        return std::nullopt;
    }
    ClickReport report;
    const std::string_view gen = parts[0];
    const auto [end, error] =
        std::from_chars(gen.data(), gen.data() + gen.size(), report.generation);
    if (error != std::errc() || end != gen.data() + gen.size()) {
        return std::nullopt;
    }
    for (size_t i = 1; i + 1 < parts.size(); i += 2) {
        auto id = PercentDecode(parts[i]);
        auto cls = PercentDecode(parts[i + 1]);
        if (!id || !cls) {
            return std::nullopt;
        }
        report.path.push_back({std::move(*id), std::move(*cls)});
    }
    return report;
}

RoutedClick RouteClick(const std::vector<ClickedElement>& path) {
    for (const ClickedElement& element : path) {
        for (const IdRoute& idRoute : kIdRoutes) {
            if (element.id == idRoute.id) {
                return {idRoute.route, element.id};
            }
        }
        if (HasItemClass(element.cls)) {
            return {ClickRoute::Item, element.id};
        }
    }
    return {};
}

}  // namespace installer
