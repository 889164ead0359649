#include "uimodel/CommandLineFiles.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <string_view>

namespace uimodel {
namespace {

// GTK options whose value may follow as the next word.
constexpr std::array<std::string_view, 8> kOptionsWithValue{
    "--display",   "--class",        "--name",      "--gtk-module",
    "--gdk-debug", "--gdk-no-debug", "--gtk-debug", "--gtk-no-debug"};

}  // namespace

std::vector<std::string> CommandLineFiles(const std::vector<std::string>& words) {
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (optionsEnded || word.empty() || word[0] != '-') {
            if (!word.empty()) {
                files.push_back(word);
            }
        } else if (word == "--") {
            optionsEnded = true;
        } else if (std::find(kOptionsWithValue.begin(), kOptionsWithValue.end(), word) !=
                   kOptionsWithValue.end()) {
            ++i;  // its value
        }
    }
    return files;
}

std::vector<std::string> OwnCommandLineWords(bool* ok) {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    *ok = !all.empty();
    std::vector<std::string> words;
    size_t start = 0;
    while (start < all.size()) {
        const size_t end = std::min(all.find('\0', start), all.size());
        words.emplace_back(all, start, end - start);
        start = end + 1;
    }
    if (!words.empty()) {
        words.erase(words.begin());  // the program
    }
    return words;
}

}  // namespace uimodel
