// The gain step as whole-spectrum loops, shared by the portable build
// (GainRule.cpp) and the AVX2 build (GainRuleAvx2.cpp). Both compile the same
// arithmetic; they differ only in the `Math` policy that takes the logarithms
// and exponentials of a whole row:
//   static void Log(const float* in, float* out, int count);
//   static void Exp(const float* in, float* out, int count);
// Everything here has internal linkage and uses no library templates (own
// Min/Max/Clamp), so neither build's code can stand in for the other's at
// link time.
#pragma once

#include <cmath>

#include "GainRule.h"
#include "NoiseTrackingLoops.h"
#include "ProcessorState.h"
#include "SpeechGainLoops.h"

namespace velquor {
namespace {

constexpr float kToneRatioOfZero = 3.52f;
constexpr float kToneWeightScale = 0.625f;
constexpr float kMinCorrection = 0.25f;
constexpr float kMaxCorrection = 16.0f;
constexpr int kToneReach = 6;  // ToneWeight looks six bins either way

// As std::min, std::max and std::clamp (same operand order, same results).
inline float Min(float a, float b) {
    return b < a ? b : a;
}
inline float Max(float a, float b) {
    return a < b ? b : a;
}
inline float Clamp(float v, float lo, float hi) {
    return v < lo ? lo : (hi < v ? hi : v);
}

// Each formula of the rule lives in one place, shared by the per-bin functions
// (BinGain, ToneWeight) and the whole-spectrum loops, so both round alike.

inline float Magnitude(float re, float im) {
    return Max(std::sqrt(re * re + im * im), kMinMagnitude);
}

inline float Toward(float average, float value, float coefficient) {
    return average + (value - average) * coefficient;
}

inline float ToneWeightOf(float neighbourSum, float noise) {
    const float w = (kToneRatioOfZero - noise / (neighbourSum * 0.25f)) * kToneWeightScale;
    return Clamp(w, 0.0f, 1.0f);
}

// r - 1, with r the fast average over the noise estimate held at 5. Written
// as min(r - 1, 4), which is the same number for every r (r - 1 rounds to at
// least 4 when r > 5), because GCC will not vectorise min(r, 5) - 1.
inline float NoiseExponent(float fast, float noise) {
    return Min(fast / noise - 1.0f, kMaxNoiseRatio - 1.0f);
}

inline float SuppressionGain(float expOfExponent, float floor) {
    return Min(expOfExponent * floor, 1.0f);
}

inline float Corrected(float g, float meanLevel, float level, float curve) {
    const float c = Clamp(meanLevel / level, kMinCorrection, kMaxCorrection);
    return g * c * curve;
}

inline float* ScratchRow(const SpectralState& state, int row) {
    return state.binScratch + row * (state.blockLength + 1);
}

// Bins 1..B of the packed spectrum: magnitudes, and the three averages
// without a logarithm.
void UpdateLinearAverages(const float* __restrict x, int b, const FrameCoefficients& c,
                          float* __restrict magnitude, float* __restrict fast,
                          float* __restrict mid, float* __restrict level) {
    const int n = 2 * b;
    for (int l = 1; l <= b; ++l) {
        // At l = B both parts are element B, as the packed layout has it.
        const float m = Magnitude(x[l], x[n - l]);
        magnitude[l] = m;
        fast[l] = Toward(fast[l], m, c.fast);
        mid[l] = Toward(mid[l], m, c.mid);
        level[l] = Toward(level[l], m, c.level);
    }
}

void UpdateLogAverage(const float* __restrict logMagnitude, int b, float coefficient,
                      float* __restrict logNoise) {
    for (int l = 1; l <= b; ++l) {
        logNoise[l] = Toward(logNoise[l], logMagnitude[l], coefficient);
    }
}

// The log-noise average and the noise estimate of bins 1..B. The magnitudes
// are replaced by their logarithms.
template <class Math>
void UpdateNoiseEstimate(float* magnitude, int b, float coefficient, float* logNoise,
                         float* noise) {
    Math::Log(magnitude + 1, magnitude + 1, b);
    UpdateLogAverage(magnitude, b, coefficient, logNoise);
    Math::Exp(logNoise + 1, noise + 1, b);
}

// Bins whose four neighbours need no reflection.
void InteriorToneWeights(const float* __restrict a, const float* __restrict noise, int from, int to,
                         float* __restrict w) {
    for (int k = from; k <= to; ++k) {
        w[k] = ToneWeightOf(a[k + 5] + a[k - 5] + a[k + 6] + a[k - 6], noise[k]);
    }
}

// ToneWeight of bins 1..B into w.
void ToneWeights(const SpectralState& state, const float* a, float* w) {
    const int b = state.blockLength;
    const int lowEnd = b + 1 < kToneReach ? b + 1 : kToneReach;
    for (int k = 1; k < lowEnd; ++k) {
        w[k] = ToneWeight(state, k, a);
    }
    InteriorToneWeights(a, state.noiseMagnitude, kToneReach, b - kToneReach, w);
    const int highStart = b - kToneReach + 1 > kToneReach ? b - kToneReach + 1 : kToneReach;
    for (int k = highStart; k <= b; ++k) {
        w[k] = ToneWeight(state, k, a);
    }
}

void NoiseExponents(const float* __restrict fast, const float* __restrict noise, int b,
                    float* __restrict out) {
    for (int k = 1; k <= b; ++k) {
        out[k] = NoiseExponent(fast[k], noise[k]);
    }
}

void SuppressionGains(const float* __restrict floor, int b, float* __restrict g) {
    for (int k = 1; k <= b; ++k) {
        g[k] = SuppressionGain(g[k], floor[k]);
    }
}

void WeightedSuppressionGains(const float* __restrict floor, const float* __restrict weight, int b,
                              float* __restrict g) {
    for (int k = 1; k <= b; ++k) {
        g[k] = SuppressionGain(g[k], floor[k] * weight[k]);
    }
}

void ApplyCorrection(const float* __restrict level, const float* __restrict curve, float meanLevel,
                     int b, float* __restrict g) {
    for (int k = 1; k <= b; ++k) {
        g[k] = Corrected(g[k], meanLevel, level[k], curve[k]);
    }
}

void SmoothOverTime(const float* __restrict g, int b, float* __restrict gains) {
    for (int k = 1; k <= b; ++k) {
        gains[k] = (gains[k] + g[k]) * 0.5f;
    }
}

// Mean of the level average over 200 Hz..3 kHz, summed in bin order.
float MeanLevel(const SpectralState& state) {
    const int from = state.bin200Hz;
    const int to = state.bin3000Hz;
    if (to <= from) {
        // No band between 200 Hz and 3 kHz at this rate: its one bin stands in.
        return state.levelAverage[from];
    }
    float sum = 0.0f;
    for (int k = from; k < to; ++k) {
        sum += state.levelAverage[k];
    }
    return sum / static_cast<float>(to - from);
}

template <class Math>
float AnalyseWith(SpectralState& state, const FrameCoefficients& c) {
    const int b = state.blockLength;
    float* magnitude = ScratchRow(state, 0);
    UpdateLinearAverages(state.work, b, c, magnitude, state.fastAverage, state.midAverage,
                         state.levelAverage);
    if (HasTracking(state.tracking)) {
        UpdateTrackingEstimate<Math>(state.tracking, magnitude, b, ScratchRow(state, 1),
                                     state.noiseMagnitude);
    } else {
        UpdateNoiseEstimate<Math>(magnitude, b, c.noise, state.logNoiseAverage,
                                  state.noiseMagnitude);
    }
    state.noiseMagnitude[0] = std::exp(state.logNoiseAverage[0]);
    return MeanLevel(state);
}

template <class Math>
void BinGainsWith(SpectralState& state, float meanLevel, float* g) {
    const VelquorParams& p = *state.params;
    const int b = state.blockLength;
    float* weight = ScratchRow(state, 1);
    if (p.noiseSuppression != 0) {
        NoiseExponents(state.fastAverage, state.noiseMagnitude, b, g);
        Math::Exp(g + 1, g + 1, b);
        if (p.toneCleaning != 0) {
            ToneWeights(state, state.fastAverage, weight);
            WeightedSuppressionGains(state.floorCurve, weight, b, g);
            state.floorGain = state.floorCurve[b] * weight[b];
        } else {
            SuppressionGains(state.floorCurve, b, g);
            state.floorGain = state.floorCurve[b];
        }
    } else if (p.toneCleaning != 0) {
        ToneWeights(state, state.midAverage, g);
    } else {
        for (int k = 1; k <= b; ++k) {
            g[k] = 1.0f;
        }
    }
    if (p.spectrumCorrection == 1) {
        ApplyCorrection(state.levelAverage, state.correctionCurve, meanLevel, b, g);
    }
}

// The speech mode's gains of bins 1..B into state.gains, after AnalyseWith
// has left the bin powers in scratch row 0.
template <class Math>
void SpeechGainsWith(SpectralState& state, float meanLevel) {
    const VelquorParams& p = *state.params;
    const int b = state.blockLength;
    float* power = ScratchRow(state, 0);  // becomes gamma
    float* wiener = ScratchRow(state, 1);
    float* argument = ScratchRow(state, 2);
    float* logArgument = ScratchRow(state, 3);
    float* expNegArgument = ScratchRow(state, 4);
    float* factor = ScratchRow(state, 5);
    PosteriorSnr(state.tracking.noisePower, b, power, logArgument);
    PriorSnr(state.speech.cleanSnr, logArgument, b, wiener);
    LsaArguments(power, b, wiener, argument, expNegArgument);
    Math::Log(argument + 1, logArgument + 1, b);
    Math::Exp(expNegArgument + 1, expNegArgument + 1, b);
    HalfExponentialIntegral(argument, logArgument, expNegArgument, b, factor);
    Math::Exp(factor + 1, factor + 1, b);
    const float* floor = state.floorCurve;
    if (p.toneCleaning != 0) {
        float* weight = ScratchRow(state, 3);
        ToneWeights(state, state.fastAverage, weight);
        WeightedFloor(state.floorCurve, weight, b, expNegArgument);
        floor = expNegArgument;
    }
    state.floorGain = floor[b];
    LsaGains(wiener, factor, power, floor, b, state.speech.cleanSnr, state.gains);
    if (p.spectrumCorrection == 1) {
        ApplyCorrection(state.levelAverage, state.correctionCurve, meanLevel, b, state.gains);
    }
}

template <class Math>
void ComputeGainsWith(SpectralState& state) {
    const FrameCoefficients coefficients = ComputeCoefficients(state);
    const float meanLevel = AnalyseWith<Math>(state, coefficients);
    if (HasSpeechGain(state.speech) && state.params->noiseSuppression != 0) {
        SpeechGainsWith<Math>(state, meanLevel);
    } else {
        float* g = ScratchRow(state, 0);
        BinGainsWith<Math>(state, meanLevel, g);
        SmoothOverTime(g, state.blockLength, state.gains);
    }
    LowCut(state);
    SmoothAcrossFrequency(state);
}

}  // namespace
}  // namespace velquor
