// Which words of the program's command line name files to open.
#pragma once

#include <string>
#include <vector>

namespace uimodel {

// `words` as the process got them (no program name), bytes untouched: file
// names need not be valid UTF-8. Words starting with "-" are options (GTK's
// own, "--display :1" with its value) and skipped; after "--" every word is a
// file name.
std::vector<std::string> CommandLineFiles(const std::vector<std::string>& words);

// This process's words as it was started, without the program (from
// /proc/self/cmdline: wx's argv is converted to text, which loses names that
// are not valid UTF-8). `ok` false when that cannot be read.
std::vector<std::string> OwnCommandLineWords(bool* ok);

}  // namespace uimodel
