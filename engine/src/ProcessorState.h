// The per-engine spectral state and its life: SetUp builds every array for a
// sampling rate, FreeArrays drops them again.
#pragma once

#include <cstdint>

#include "AlignedArray.h"
#include "NoiseTracking.h"
#include "RealFft.h"
#include "SpeechGain.h"
#include "VelquorParams.h"

namespace velquor {

// Room for H + B samples at the largest block length.
inline constexpr int kHistorySamples = 3 * 2048 / 2;

// Fields keep this order. Arrays are owned; sizes follow from B (bins 0..B).
// On cache lines of its own, as its arrays are (AlignedArray.h).
struct alignas(kCacheLineBytes) SpectralState {
    VelquorParams* params = nullptr;  // not owned
    int32_t transformOrder = 0;       // N = 2^transformOrder = 2B
    const float* transformTable = nullptr;
    float* sineTable = nullptr;        // B entries, 0..N/4-1 used
    float* window = nullptr;           // B
    float* correctionCurve = nullptr;  // B+1 each from here to noiseMagnitude
    float* floorCurve = nullptr;
    float* levelAverage = nullptr;
    float* midAverage = nullptr;
    float* fastAverage = nullptr;
    float* logNoiseAverage = nullptr;
    float* accumulator = nullptr;  // N
    float* work = nullptr;         // N
    float* gains = nullptr;
    float* history = nullptr;  // kHistorySamples
    float* noiseMagnitude = nullptr;
    float nyquistHz = 0.0f;
    float floorGain = 0.0f;  // set by SetUp; during a frame the floor of the bin in hand
    float fastCoefficient = 0.0f;
    int16_t frameCounter = 0;
    int16_t frameCounterLimit = 0;
    int16_t bin200Hz = 0;
    int16_t bin3000Hz = 0;
    int32_t sampleRateHz = 0;
    int16_t blockLength = 0;
    // Built by SetUp so that a frame allocates nothing: the transform's
    // twiddles, bit-reversed origins and work area, and room for the gain
    // step's per-bin intermediate values.
    FftPlan fftPlan;
    float* binScratch = nullptr;  // kBinScratchRows rows of B+1
    // The speech mode's noise estimate and gain rule, set up by SetUp when
    // the parameter block asks for the speech mode; otherwise they hold no
    // arrays.
    NoiseTracking tracking;
    SpeechGain speech;
};

inline constexpr int kBinScratchRows = 6;

// Prepares the state for `sampleRateHz` from the parameter block (clamping and
// writing back gainMaxDb and noiseTimeConstant). 0, kVelquorNoState,
// kVelquorOutOfMemory (no arrays left) or kVelquorWrongRate (rate <= 0,
// nothing changed).
int32_t SetUp(SpectralState* state, int32_t sampleRateHz);

// Releases every array and nulls its pointer; harmless when there are none.
void FreeArrays(SpectralState* state);

inline bool HasArrays(const SpectralState& state) {
    return state.work != nullptr;
}

}  // namespace velquor
