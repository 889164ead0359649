#include "platform/CommandLine.h"

#include "platform/EnvironmentReferences.h"

namespace platform {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool inDoubleQuotes = false;
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == '\0') {
            return std::nullopt;
        }
        if (!inDoubleQuotes && IsBlank(c)) {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
            ++i;
            continue;
        }
        inWord = true;
        if (c == '\\') {
            // Backslashes are path separators; only before a double quote do
            // they escape: 2n of them give n and a quote that delimits,
            // 2n+1 give n and a literal quote.
            size_t run = 0;
            while (i + run < line.size() && line[i + run] == '\\') {
                ++run;
            }
            i += run;
            if (i < line.size() && line[i] == '"') {
                word.append(run / 2, '\\');
                if (run % 2 == 1) {
                    word += '"';
                    ++i;
                }
            } else {
                word.append(run, '\\');
            }
            continue;
        }
        if (c == '"') {
            inDoubleQuotes = !inDoubleQuotes;
            ++i;
            continue;
        }
        if (c == '\'' && !inDoubleQuotes) {
            const size_t close = line.find('\'', i + 1);
            if (close == std::string_view::npos) {
                return std::nullopt;
            }
            const std::string_view quoted = line.substr(i + 1, close - i - 1);
            if (quoted.find('\0') != std::string_view::npos) {
                return std::nullopt;
            }
            word += quoted;
            i = close + 1;
            continue;
        }
        word += c;
        ++i;
    }
    if (inDoubleQuotes) {
        return std::nullopt;
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    if (words.empty()) {
        return std::nullopt;
    }
    return words;
}

std::optional<std::vector<std::string>> CommandLineArguments(std::string_view line) {
    auto words = SplitCommandLine(line);
    if (words) {
        for (std::string& word : *words) {
            word = ExpandEnvironmentReferences(word);
        }
    }
    return words;
}

}  // namespace platform
