// Allocation discipline: CreateVelquor and Init clean up after a failed
// allocation, Process allocates nothing, Release frees everything. The test
// program replaces the global allocation functions to count and to fail them.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "TestSignals.h"
#include "VelquorEngine.h"

namespace {

std::atomic<long> g_allocations{0};
std::atomic<long> g_frees{0};
std::atomic<long> g_failCountdown{-1};  // fail the allocation this many from now; -1 never

void* Allocate(std::size_t size) {
    if (g_failCountdown.load() >= 0 && g_failCountdown.fetch_sub(1) == 0) {
        return nullptr;
    }
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p != nullptr) {
        ++g_allocations;
    }
    return p;
}

void Free(void* p) {
    if (p != nullptr) {
        ++g_frees;
        std::free(p);
    }
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
    if (g_failCountdown.load() >= 0 && g_failCountdown.fetch_sub(1) == 0) {
        return nullptr;
    }
    const auto align = static_cast<std::size_t>(alignment);
    void* p = std::aligned_alloc(align, (size + align - 1) / align * align);
    if (p != nullptr) {
        ++g_allocations;
    }
    return p;
}

void* AllocateOrThrow(std::size_t size) {
    void* p = Allocate(size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}

long Live() {
    return g_allocations.load() - g_frees.load();
}

// Fails the n-th allocation (0 = the next) while in scope.
class FailAllocation {
public:
    explicit FailAllocation(long n) { g_failCountdown = n; }
    ~FailAllocation() { g_failCountdown = -1; }
    FailAllocation(const FailAllocation&) = delete;
    FailAllocation& operator=(const FailAllocation&) = delete;
};

}  // namespace

void* operator new(std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    void* p = AllocateAligned(size, alignment);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return operator new(size, alignment);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateAligned(size, alignment);
}
void operator delete(void* p, std::align_val_t) noexcept {
    Free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    Free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    Free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    Free(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    Free(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    Free(p);
}
void operator delete(void* p) noexcept {
    Free(p);
}
void operator delete[](void* p) noexcept {
    Free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    Free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    Free(p);
}

namespace velquor {
namespace {

TEST(Allocation, CreateReturnsNullAndKeepsNothingWhenMemoryRunsOut) {
    long failAt = 0;
    for (;; ++failAt) {
        const long liveBefore = Live();
        VelquorEngine* engine = nullptr;
        {
            FailAllocation fail(failAt);
            engine = VelquorEngine::Create();
        }
        if (engine != nullptr) {
            engine->Release();
            EXPECT_EQ(Live(), liveBefore);
            break;
        }
        EXPECT_EQ(Live(), liveBefore) << "after failing allocation " << failAt;
    }
    EXPECT_GE(failAt, 2);  // object, parameters and state are separate allocations
}

TEST(Allocation, InitOutOfMemoryReleasesEveryArray) {
    VelquorEngine* engine = VelquorEngine::Create();
    ASSERT_NE(engine, nullptr);
    const long liveAfterCreate = Live();
    ASSERT_EQ(engine->Init(8000), kVelquorOk);  // the failed Init must drop these too
    long failAt = 0;
    for (;; ++failAt) {
        int32_t result = 0;
        {
            FailAllocation fail(failAt);
            result = engine->Init(16000);
        }
        if (result == kVelquorOk) {
            break;
        }
        ASSERT_EQ(result, kVelquorOutOfMemory);
        EXPECT_FALSE(HasArrays(engine->State()));
        EXPECT_EQ(Live(), liveAfterCreate) << "after failing allocation " << failAt;
        std::vector<int16_t> in(256, 0);
        std::vector<int16_t> out(256, 77);
        EXPECT_EQ(engine->Process(in.data(), out.data(), 256), kVelquorNoState);
        EXPECT_EQ(out[0], 77);
    }
    EXPECT_GE(failAt, 10);
    engine->Release();
}

TEST(Allocation, ProcessAllocatesNothingAndReleaseFreesAll) {
    test::Noise noise(8);
    std::vector<int16_t> in(4096);
    for (int16_t& v : in) {
        v = static_cast<int16_t>(noise.Next(9000.0f));
    }
    std::vector<int16_t> out(4096);
    for (const int32_t estimator : {kVelquorNoiseEstimateAverage, kVelquorNoiseEstimateSpeech}) {
        const long liveBefore = Live();
        IVelquor* engine = CreateVelquor();
        ASSERT_NE(engine, nullptr);
        engine->SetToneCleaning(1);
        engine->SetNoiseEstimator(estimator);
        ASSERT_EQ(engine->Init(16000), kVelquorOk);
        const long allocationsBefore = g_allocations.load();
        for (int call = 0; call < 8; ++call) {
            ASSERT_EQ(engine->Process(in.data(), out.data(), 4096), kVelquorOk);
        }
        EXPECT_EQ(g_allocations.load(), allocationsBefore) << estimator;
        ASSERT_EQ(engine->Init(8000), kVelquorOk);  // again: the old arrays go first
        engine->Release();
        EXPECT_EQ(Live(), liveBefore) << estimator;
    }
}

}  // namespace
}  // namespace velquor
