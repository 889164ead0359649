// Which build of the per-frame kernels (transform and gain step) an engine
// runs: the portable one, the one compiled for AVX2 and FMA, or the same
// compiled for AVX-512. The choice is made once per process from the
// processor's features, and each engine keeps the path of its Init.
// VELQUOR_FORCE_PORTABLE=1 in the environment keeps every engine on the
// portable path, which stays the reference; VELQUOR_FORCE_AVX2=1 keeps an
// AVX-512 processor on the AVX2 path.
#pragma once

namespace velquor {

enum class KernelPath { kPortable, kAvx2, kAvx512 };

// True when this build has the path and the processor can run it.
bool PathAvailable(KernelPath path);

// The path new engines take: the fastest available one unless the
// environment holds it back, or a test chose one.
KernelPath ChosenPath();

// For tests: makes `path` the chosen one (it must be available).
void ChoosePath(KernelPath path);

}  // namespace velquor
