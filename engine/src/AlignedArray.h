// Per-engine arrays on whole cache lines of their own: the vector kernels
// load them aligned more often, and two engines cleaning two channels on two
// threads never write to the same line.
#pragma once

#include <cstddef>
#include <cstring>
#include <new>

namespace velquor {

inline constexpr std::size_t kCacheLineBytes = 64;

// `count` zeroed elements of a trivial type, or null when memory runs out.
template <class T>
T* NewAlignedArray(std::size_t count) {
    const std::size_t bytes =
        (count * sizeof(T) + kCacheLineBytes - 1) / kCacheLineBytes * kCacheLineBytes;
    void* p = ::operator new[](bytes, std::align_val_t{kCacheLineBytes}, std::nothrow);
    if (p != nullptr) {
        std::memset(p, 0, bytes);
    }
    return static_cast<T*>(p);
}

// Harmless on null.
template <class T>
void DeleteAlignedArray(T* array) {
    ::operator delete[](array, std::align_val_t{kCacheLineBytes});
}

}  // namespace velquor
