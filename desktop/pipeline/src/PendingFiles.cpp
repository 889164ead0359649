#include "pipeline/PendingFiles.h"

#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>

namespace {

constexpr size_t kSlots = 1024;
constexpr size_t kPathBytes = 4096;

struct Slot {
    std::atomic<bool> claimed{false};
    std::atomic<bool> filled{false};
    char path[kPathBytes];
};

std::array<Slot, kSlots> g_slots;

}  // namespace

int TrackPendingFile(const std::string& path) {
    if (path.empty() || path.size() >= kPathBytes) {
        return -1;
    }
    for (size_t i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (g_slots[i].claimed.compare_exchange_strong(expected, true)) {
            std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
            g_slots[i].filled.store(true);
            return static_cast<int>(i);
        }
    }
    return -1;
}

void UntrackPendingFile(int ticket) {
    if (ticket >= 0 && static_cast<size_t>(ticket) < kSlots) {
        g_slots[static_cast<size_t>(ticket)].filled.store(false);
        g_slots[static_cast<size_t>(ticket)].claimed.store(false);
    }
}

void RemovePendingFiles() {
    for (auto& slot : g_slots) {
        if (slot.filled.load()) {
            unlink(slot.path);
        }
    }
}
