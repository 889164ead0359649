#include "pipeline/PendingFiles.h"

#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>

namespace {

constexpr size_t kSlots = 1024;
constexpr size_t kPathBytes = 4096;

struct Flags {
    std::atomic<bool> claimed{false};
    std::atomic<bool> filled{false};
};

// The flags apart from the paths: scanning them touches two pages, not the
// whole table's four megabytes (which would all count towards the batch
// cleaner's resident memory).
std::array<Flags, kSlots> g_flags;
char g_paths[kSlots][kPathBytes];

}  // namespace

int TrackPendingFile(const std::string& path) {
    if (path.empty() || path.size() >= kPathBytes) {
        return -1;
    }
    for (size_t i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (g_flags[i].claimed.compare_exchange_strong(expected, true)) {
            std::memcpy(g_paths[i], path.c_str(), path.size() + 1);
            g_flags[i].filled.store(true);
            return static_cast<int>(i);
        }
    }
    return -1;
}

void UntrackPendingFile(int ticket) {
    if (ticket >= 0 && static_cast<size_t>(ticket) < kSlots) {
        g_flags[static_cast<size_t>(ticket)].filled.store(false);
        g_flags[static_cast<size_t>(ticket)].claimed.store(false);
    }
}

void RemovePendingFiles() {
    for (size_t i = 0; i < kSlots; ++i) {
        if (g_flags[i].filled.load()) {
            unlink(g_paths[i]);
        }
    }
}
