// The list of inputs given with --files-from, and where each one's cleaned
// file goes under -o DIR.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CliOptions.h"

struct BadEntry;

// One path per line, or per NUL with `nulSeparated`. A separator at the very
// end closes the last entry; empty entries elsewhere are kept (they are
// reported as bad entries, and they keep every later entry's position).
std::vector<std::string> SplitFileList(std::string_view text, bool nulSeparated);

struct FileListResult {
    std::vector<std::string> entries;
    ExitStatus status = ExitStatus::Ok;
    std::string error;  // why the list itself cannot be read
};

// Reads the list from `source` ("-": standard input) whole, before any work.
FileListResult ReadFileList(const std::string& source, bool nulSeparated, bool english);

// DIR/<the input's file name>, or with `keepTree` DIR/<the input's path>:
// lexically normal, without its leading "/" and leading "../" steps, so that
// it never lands outside DIR.
std::string OutputPathUnder(const std::string& dir, const std::string& input, bool keepTree);

// A list entry that cannot be cleaned (empty, missing, a folder): reported
// in its turn, never fatal to the rest.
struct BadEntry {
    std::string input;
    ExitStatus status = ExitStatus::Refused;
    std::string message;
};

// Entry `position` (from 0) of the list as a bad entry when it names no
// regular file: empty, missing, unreadable or a folder (the messages the
// cleaner gives for such inputs).
std::optional<BadEntry> CheckListEntry(const std::string& input, size_t position, bool english);
