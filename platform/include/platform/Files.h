// File-system services: temporary working-copy names, free space, and the
// memory budget that decides when a recording is worked on through a mapped
// working copy instead of memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// The temporary folder: $TMPDIR, else /tmp.
std::string TempDirectory();

// Creates a new empty file "_te<unique>.tmp" in TempDirectory() with mode 0600
// (mkstemp) and returns its full path; empty when it cannot be created.
std::string CreateTempFile();

// Bytes available to this user on the file system holding `path`
// (statvfs f_bavail * f_frsize); nullopt when it cannot be queried.
// Tests may inject a figure with SetFreeSpaceOverride.
std::optional<uint64_t> FreeSpaceBytes(const std::string& path);
void SetFreeSpaceOverride(std::optional<uint64_t> bytes);

// True when both paths name one existing file: the same device and inode, so
// hard links, symbolic links and differently spelled paths of one file match.
// False when either does not exist.
bool SameFile(const std::string& first, const std::string& second);

// Largest decoded recording (bytes of 16-bit samples) held in memory.
// $HUSHDESK_MEMORY_BUDGET (bytes, decimal) when set to a number, else a quarter
// of physical memory, at most 2 GiB.
uint64_t MemoryBudgetBytes();

}  // namespace platform
