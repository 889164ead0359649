// The engine's parameter block: what the caller can tune and the fixed
// settings of the spectral processor. Defaults are the shipped tuning.
#pragma once

#include <cstdint>

namespace velquor {

inline constexpr int32_t kGainMaxDbLimit = 18;
inline constexpr int32_t kTiltLowDbLimit = 12;
inline constexpr int32_t kTiltSlopeDbLimit = 6;
inline constexpr int32_t kMaxBlockOrder = 11;  // blocks of at most 2048 samples
inline constexpr float kCorrectionLowHzLimit = 700.0f;
inline constexpr float kCorrectionHighHzMinimum = 800.0f;
inline constexpr float kNoiseTimeConstantMinS = 0.05f;
inline constexpr float kNoiseTimeConstantMaxS = 0.5f;

// Fields keep this order; all 32-bit, flags hold 0 or 1.
struct VelquorParams {
    int32_t gainMaxDb = 18;          // depth of the gain floor; read by Init only
    int32_t whiteNoise = 0;          // 1: flat floor; 0: floor rising 500 Hz..4 kHz; Init only
    int32_t noiseSuppression = 1;    // per frame
    int32_t spectrumCorrection = 1;  // Init picks the curve; per frame applies it
    int32_t tiltLowDb = 0;
    int32_t tiltSlopeDb = 6;
    int32_t blockOrder = 8;    // B = 2^blockOrder
    int32_t toneCleaning = 0;  // per frame
    float correctionLowHz = 400.0f;
    float correctionHighHz = 1000.0f;
    float noiseTimeConstant = 0.5f;  // seconds; Init clamps and writes it back
    float outputGain = 0.875f;
    int32_t noiseEstimator = 0;  // kVelquorNoiseEstimate*; Init only
};

inline int32_t ClampGainMaxDb(int32_t db) {
    if (db > kGainMaxDbLimit) {
        return kGainMaxDbLimit;
    }
    return db < 0 ? 0 : db;
}

}  // namespace velquor
