// Signals and fixtures shared by the engine tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "Framing.h"
#include "ProcessorState.h"
#include "VelquorParams.h"
#include "velquor/IVelquor.h"

namespace velquor::test {

// Small deterministic noise source, the same on every platform.
class Noise {
public:
    explicit Noise(uint32_t seed) : m_state(seed) {}
    // Uniform in -amplitude..amplitude.
    float Next(float amplitude) {
        m_state = m_state * 1664525u + 1013904223u;
        const float unit = static_cast<float>(m_state >> 8) / static_cast<float>(1u << 24);
        return (2.0f * unit - 1.0f) * amplitude;
    }

private:
    uint32_t m_state;
};

inline float Tone(double hz, int rateHz, int64_t n, double amplitude) {
    return static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * hz * n / rateHz));
}

// A spectral state with its own parameter block, set up for one rate.
struct Processor {
    explicit Processor(int32_t rateHz, const VelquorParams& p = VelquorParams{}) : params(p) {
        state.params = &params;
        result = SetUp(&state, rateHz);
    }
    ~Processor() { FreeArrays(&state); }
    Processor(const Processor&) = delete;
    Processor& operator=(const Processor&) = delete;

    int Bins() const { return state.blockLength; }

    // Runs whole blocks of `in` through ProcessBlock.
    std::vector<float> Run(const std::vector<float>& in, GainStep step = nullptr) {
        const int b = state.blockLength;
        std::vector<float> out(in.size());
        for (size_t a = 0; a + b <= in.size(); a += b) {
            ProcessBlock(&state, in.data() + a, out.data() + a, b, step);
        }
        return out;
    }

    VelquorParams params;
    SpectralState state{};
    int32_t result = 0;
};

// Owns an IVelquor and releases it.
class EngineHandle {
public:
    explicit EngineHandle(IVelquor* engine) : m_engine(engine) {}
    ~EngineHandle() {
        if (m_engine != nullptr) {
            m_engine->Release();
        }
    }
    EngineHandle(const EngineHandle&) = delete;
    EngineHandle& operator=(const EngineHandle&) = delete;
    IVelquor* operator->() const { return m_engine; }
    IVelquor* get() const { return m_engine; }

private:
    IVelquor* m_engine;
};

// Runs `in` through the engine in calls of `chunk` samples.
inline std::vector<int16_t> Clean(IVelquor* engine, const std::vector<int16_t>& in,
                                  int chunk = 1024) {
    std::vector<int16_t> out(in.size());
    for (size_t a = 0; a + chunk <= in.size(); a += chunk) {
        engine->Process(in.data() + a, out.data() + a, chunk);
    }
    return out;
}

}  // namespace velquor::test
