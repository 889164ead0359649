// Noise estimate and gain rule: between the transforms of every frame the
// bin magnitudes feed four running averages, the averages give a noise
// estimate, and three switches shape one real gain per bin.
#pragma once

#include "ProcessorState.h"

namespace velquor {

inline constexpr float kAverageStart = 10.0f;
inline constexpr float kLogAverageStart = 2.3025851f;  // ln 10
inline constexpr float kMidCoefficient = 0.17f;
inline constexpr float kMinMagnitude = 0.01f;
inline constexpr float kMaxNoiseRatio = 5.0f;
inline constexpr float kLowCutHz = 80.0f;

struct FrameCoefficients {
    float fast;
    float level;
    float noise;
    float mid;
};

// First frame after SetUp: every average, the noise estimate and the gains
// back to their start values.
void ResetBins(SpectralState& state);

// Also stores the fast coefficient in the state.
FrameCoefficients ComputeCoefficients(SpectralState& state);

// Magnitudes of the packed spectrum into the averages, then the noise
// estimate. Returns the mean level over 200 Hz..3 kHz.
float Analyse(SpectralState& state, const FrameCoefficients& coefficients);

// Gain of bin k (1..B) before smoothing over time.
float BinGain(SpectralState& state, int k, float meanLevel);

// BinGain of every bin 1..B into g[1..B], computed a rule step at a time over
// the whole spectrum; the same arithmetic, so the same values.
void BinGains(SpectralState& state, float meanLevel, float* g);

// 1 while the bin's noise estimate is at most 1.92 times the mean of `a` five
// and six bins away on both sides, 0 from 3.52 times up (a steady narrow peak).
float ToneWeight(const SpectralState& state, int k, const float* a);

// Ramps the gains of the bins below 80 Hz from 0.
void LowCut(SpectralState& state);

// [1 2 1]/4 across frequency, bin 0 taking bin 1 as its left neighbour.
void SmoothAcrossFrequency(SpectralState& state);

// The whole per-frame gain step: coefficients, analysis, gains, low cut and
// smoothing, leaving gains[0..B] for the frame.
void ComputeGains(SpectralState& state);

}  // namespace velquor
