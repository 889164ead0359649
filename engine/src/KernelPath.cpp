#include "KernelPath.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace velquor {

namespace {

bool Forced(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
}

KernelPath Detect() {
    if (Forced("VELQUOR_FORCE_PORTABLE")) {
        return KernelPath::kPortable;
    }
    if (!Forced("VELQUOR_FORCE_AVX2") && PathAvailable(KernelPath::kAvx512)) {
        return KernelPath::kAvx512;
    }
    if (PathAvailable(KernelPath::kAvx2)) {
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
    const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    if (path == KernelPath::kAvx2) {
        return avx2;
    }
    return avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
           __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw");
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
