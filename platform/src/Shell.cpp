#include "platform/Shell.h"

#include <gio/gio.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/CommandLine.h"
#include "platform/Process.h"

namespace platform {
namespace {

// Started rather than opened: a program file with the execute bit. A file
// that merely has the bit (every file on many media) is a document.
bool IsRunnableProgram(const std::string& path) {
    return IsProgramFile(path) && access(path.c_str(), X_OK) == 0;
}

bool OpenWithGio(const std::string& uri) {
    GError* error = nullptr;
    const gboolean opened = g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &error);
    g_clear_error(&error);
    return opened;
}

std::string FileUri(const std::string& path) {
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    std::string text = uri != nullptr ? uri : "";
    g_free(uri);
    return text;
}

}  // namespace

bool IsAddress(const std::string& target) {
    const size_t colon = target.find(':');
    if (colon == std::string::npos || colon == 0) {
        return false;
    }
    const bool schemeChars = std::all_of(target.begin(), target.begin() + colon, [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
    return schemeChars &&
           (target.compare(colon, 3, "://") == 0 || target.compare(0, colon + 1, "mailto:") == 0);
}

std::string AbsoluteFilePath(const std::string& target) {
    std::string path = target;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (!path.empty() && path.front() != '/') {
        std::error_code ignored;
        path = std::filesystem::current_path(ignored).string() + "/" + path;
    }
    return path;
}

bool ShellOpen(const std::string& target, const std::string& parameters) {
    if (target.empty()) {
        return false;
    }
    std::string opened = target;
    if (!IsAddress(target)) {
        opened = AbsoluteFilePath(target);
        std::error_code ignored;
        if (!std::filesystem::exists(opened, ignored)) {
            return false;
        }
        if (IsRunnableProgram(opened)) {
            std::vector<std::string> argv{opened};
            if (!parameters.empty()) {
                const auto words = SplitCommandLine(parameters);
                if (!words) {
                    return false;
                }
                argv.insert(argv.end(), words->begin(), words->end());
            }
            return StartDetached(argv, "");
        }
    }
    if (gchar* opener = g_find_program_in_path("xdg-open")) {
        const std::string openerPath = opener;
        g_free(opener);
        return StartDetached({openerPath, opened}, "");
    }
    return OpenWithGio(IsAddress(opened) ? opened : FileUri(opened));
}

}  // namespace platform
