#include "KernelPath.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace velquor {

namespace {

bool ForcedPortable() {
    const char* value = std::getenv("VELQUOR_FORCE_PORTABLE");
    return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
}

KernelPath Detect() {
    if (!ForcedPortable() && PathAvailable(KernelPath::kAvx2)) {
        return KernelPath::kAvx2;
    }
    return KernelPath::kPortable;
}

std::atomic<KernelPath>& Chosen() {
    static std::atomic<KernelPath> chosen{Detect()};
    return chosen;
}

}  // namespace

bool PathAvailable(KernelPath path) {
    if (path == KernelPath::kPortable) {
        return true;
    }
#if defined(VELQUOR_HAVE_AVX2_PATH)
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
    return false;
#endif
}

KernelPath ChosenPath() {
    return Chosen().load(std::memory_order_relaxed);
}

void ChoosePath(KernelPath path) {
    if (PathAvailable(path)) {
        Chosen().store(path, std::memory_order_relaxed);
    }
}

}  // namespace velquor
