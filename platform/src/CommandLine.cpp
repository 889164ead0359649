#include "platform/CommandLine.h"

#include <glib.h>

#include "platform/EnvironmentReferences.h"

namespace platform {

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view line) {
    // GLib takes a NUL-terminated string: a line with an embedded NUL would be
    // cut short silently.
    if (line.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string text(line);
    gint count = 0;
    gchar** words = nullptr;
    if (!g_shell_parse_argv(text.c_str(), &count, &words, nullptr)) {
        return std::nullopt;
    }
    std::vector<std::string> result(words, words + count);
    g_strfreev(words);
    return result;
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
