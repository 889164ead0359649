// Files that must not outlive an interrupted run (the temporary output, the
// mapped working copy). A second Ctrl-C removes them from the signal handler,
// so the table is lock-free and fixed in size.
#pragma once

#include <string>

// Returns a ticket for UntrackPendingFile; -1 when the table is full or the
// path too long (the file is then only removed by its owner).
int TrackPendingFile(const std::string& path);
void UntrackPendingFile(int ticket);
// Unlinks every tracked file. Async-signal-safe.
void RemovePendingFiles();
