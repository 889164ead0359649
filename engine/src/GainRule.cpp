#include "GainRule.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace velquor {

namespace {

// Each formula of the rule lives in one place, shared by the per-bin functions
// (BinGain, ToneWeight) and the whole-spectrum loops of ComputeGains, so both
// round alike. The loops keep their libm calls apart so the rest vectorises.

constexpr float kToneRatioOfZero = 3.52f;
constexpr float kToneWeightScale = 0.625f;
constexpr float kMinCorrection = 0.25f;
constexpr float kMaxCorrection = 16.0f;

inline float Magnitude(float re, float im) {
    return std::max(std::sqrt(re * re + im * im), kMinMagnitude);
}

inline float Toward(float average, float value, float coefficient) {
    return average + (value - average) * coefficient;
}

inline float ToneWeightOf(float neighbourSum, float noise) {
    const float w = (kToneRatioOfZero - noise / (neighbourSum * 0.25f)) * kToneWeightScale;
    return std::clamp(w, 0.0f, 1.0f);
}

// r - 1, with r the fast average over the noise estimate held at 5. Written
// as min(r - 1, 4), which is the same number for every r (r - 1 rounds to at
// least 4 when r > 5), because GCC will not vectorise min(r, 5) - 1.
inline float NoiseExponent(float fast, float noise) {
    return std::min(fast / noise - 1.0f, kMaxNoiseRatio - 1.0f);
}

inline float SuppressionGain(float expOfExponent, float floor) {
    return std::min(expOfExponent * floor, 1.0f);
}

inline float Corrected(float g, float meanLevel, float level, float curve) {
    const float c = std::clamp(meanLevel / level, kMinCorrection, kMaxCorrection);
    return g * c * curve;
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

// The log-noise average and the noise estimate of bins 1..B, in one loop so
// that the libm calls overlap.
void UpdateNoiseEstimate(const float* __restrict magnitude, int b, float coefficient,
                         float* __restrict logNoise, float* __restrict noise) {
    for (int l = 1; l <= b; ++l) {
        logNoise[l] = Toward(logNoise[l], std::log(magnitude[l]), coefficient);
        noise[l] = std::exp(logNoise[l]);
    }
}

void ExponentialsInPlace(float* v, int b) {
    for (int k = 1; k <= b; ++k) {
        v[k] = std::exp(v[k]);
    }
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
    constexpr int kReach = 6;
    for (int k = 1; k < std::min(kReach, b + 1); ++k) {
        w[k] = ToneWeight(state, k, a);
    }
    InteriorToneWeights(a, state.noiseMagnitude, kReach, b - kReach, w);
    for (int k = std::max(b - kReach + 1, kReach); k <= b; ++k) {
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

// [1 2 1]/4 over the unsmoothed values in `g`.
void SmoothInto(const float* __restrict g, int b, float* __restrict gains) {
    gains[0] = (2.0f * g[0] + g[1] + g[1]) * 0.25f;
    for (int k = 1; k < b; ++k) {
        gains[k] = (2.0f * g[k] + g[k - 1] + g[k + 1]) * 0.25f;
    }
    gains[b] = g[b - 1] * 0.5f;
}

float* ScratchRow(const SpectralState& state, int row) {
    return state.binScratch + row * (state.blockLength + 1);
}

}  // namespace

void ResetBins(SpectralState& state) {
    for (int k = 0; k <= state.blockLength; ++k) {
        state.gains[k] = 1.0f;
        state.fastAverage[k] = kAverageStart;
        state.midAverage[k] = kAverageStart;
        state.levelAverage[k] = kLogAverageStart;
        state.logNoiseAverage[k] = kLogAverageStart;
        state.noiseMagnitude[k] = kAverageStart;
    }
}

FrameCoefficients ComputeCoefficients(SpectralState& state) {
    const auto b = static_cast<float>(state.blockLength);
    const float q = state.nyquistHz;
    state.fastCoefficient = std::min(b / (q * 0.08f), 0.5f);
    FrameCoefficients c{};
    c.fast = state.fastCoefficient;
    // Above 1 the average would overshoot and diverge; only rates below about
    // 35 Hz get there.
    c.level = std::min(b / (q * 15.0f), 1.0f);
    c.noise = b / (2.0f * static_cast<float>(state.sampleRateHz) * state.params->noiseTimeConstant);
    c.mid = kMidCoefficient;
    return c;
}

float Analyse(SpectralState& state, const FrameCoefficients& c) {
    const int b = state.blockLength;
    float* magnitude = ScratchRow(state, 0);
    UpdateLinearAverages(state.work, b, c, magnitude, state.fastAverage, state.midAverage,
                         state.levelAverage);
    UpdateNoiseEstimate(magnitude, b, c.noise, state.logNoiseAverage, state.noiseMagnitude);
    state.noiseMagnitude[0] = std::exp(state.logNoiseAverage[0]);
    const int from = state.bin200Hz;
    const int to = state.bin3000Hz;
    float meanLevel = 0.0f;
    if (to > from) {
        float sum = 0.0f;
        for (int k = from; k < to; ++k) {
            sum += state.levelAverage[k];
        }
        meanLevel = sum / static_cast<float>(to - from);
    } else {
        // No band between 200 Hz and 3 kHz at this rate: its one bin stands in.
        meanLevel = state.levelAverage[from];
    }
    return meanLevel;
}

float ToneWeight(const SpectralState& state, int k, const float* a) {
    const int b = state.blockLength;
    const auto right = [&](int i) { return k + i <= b ? k + i : 2 * b - k - i; };
    const auto left = [&](int i) { return std::abs(k - i); };
    const float s = a[right(5)] + a[left(5)] + a[right(6)] + a[left(6)];
    return ToneWeightOf(s, state.noiseMagnitude[k]);
}

float BinGain(SpectralState& state, int k, float meanLevel) {
    const VelquorParams& p = *state.params;
    float g = 1.0f;
    if (p.noiseSuppression != 0) {
        float f = state.floorCurve[k];
        if (p.toneCleaning != 0) {
            f *= ToneWeight(state, k, state.fastAverage);
        }
        state.floorGain = f;
        const float e = NoiseExponent(state.fastAverage[k], state.noiseMagnitude[k]);
        g = SuppressionGain(std::exp(e), f);
    } else if (p.toneCleaning != 0) {
        g = ToneWeight(state, k, state.midAverage);
    }
    if (p.spectrumCorrection == 1) {
        g = Corrected(g, meanLevel, state.levelAverage[k], state.correctionCurve[k]);
    }
    return g;
}

void BinGains(SpectralState& state, float meanLevel, float* g) {
    const VelquorParams& p = *state.params;
    const int b = state.blockLength;
    float* weight = ScratchRow(state, 1);
    if (p.noiseSuppression != 0) {
        NoiseExponents(state.fastAverage, state.noiseMagnitude, b, g);
        ExponentialsInPlace(g, b);
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
        std::fill(g + 1, g + b + 1, 1.0f);
    }
    if (p.spectrumCorrection == 1) {
        ApplyCorrection(state.levelAverage, state.correctionCurve, meanLevel, b, g);
    }
}

void LowCut(SpectralState& state) {
    const int b = state.blockLength;
    const auto t = static_cast<int>(static_cast<float>(b) * kLowCutHz / state.nyquistHz);
    // At very low rates the ramp would reach past the top bin; it is clipped.
    const int end = std::min(t, b + 1);
    for (int i = 0; i < end; ++i) {
        state.gains[i] = static_cast<float>(i) / static_cast<float>(t);
    }
}

void SmoothAcrossFrequency(SpectralState& state) {
    const int b = state.blockLength;
    float* unsmoothed = ScratchRow(state, 1);
    std::copy(state.gains, state.gains + b + 1, unsmoothed);
    SmoothInto(unsmoothed, b, state.gains);
}

void ComputeGains(SpectralState& state) {
    const FrameCoefficients coefficients = ComputeCoefficients(state);
    const float meanLevel = Analyse(state, coefficients);
    float* g = ScratchRow(state, 0);
    BinGains(state, meanLevel, g);
    SmoothOverTime(g, state.blockLength, state.gains);
    LowCut(state);
    SmoothAcrossFrequency(state);
}

}  // namespace velquor
