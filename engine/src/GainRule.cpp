#include "GainRule.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace velquor {

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
    const int n = 2 * b;
    const float* x = state.work;
    for (int l = 1; l <= b; ++l) {
        // At l = B both parts are element B, as the packed layout has it.
        const float re = x[l];
        const float im = x[n - l];
        float m = std::sqrt(re * re + im * im);
        if (m < kMinMagnitude) {
            m = kMinMagnitude;
        }
        state.fastAverage[l] += (m - state.fastAverage[l]) * c.fast;
        state.midAverage[l] += (m - state.midAverage[l]) * c.mid;
        state.levelAverage[l] += (m - state.levelAverage[l]) * c.level;
        state.logNoiseAverage[l] += (std::log(m) - state.logNoiseAverage[l]) * c.noise;
    }
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
    for (int k = 0; k <= b; ++k) {
        state.noiseMagnitude[k] = std::exp(state.logNoiseAverage[k]);
    }
    return meanLevel;
}

float ToneWeight(const SpectralState& state, int k, const float* a) {
    const int b = state.blockLength;
    const auto right = [&](int i) { return k + i <= b ? k + i : 2 * b - k - i; };
    const auto left = [&](int i) { return std::abs(k - i); };
    const float s = a[right(5)] + a[left(5)] + a[right(6)] + a[left(6)];
    const float w = (3.52f - state.noiseMagnitude[k] / (s * 0.25f)) * 0.625f;
    return std::clamp(w, 0.0f, 1.0f);
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
        const float r = std::min(state.fastAverage[k] / state.noiseMagnitude[k], kMaxNoiseRatio);
        g = std::min(std::exp(r - 1.0f) * f, 1.0f);
    } else if (p.toneCleaning != 0) {
        g = ToneWeight(state, k, state.midAverage);
    }
    if (p.spectrumCorrection == 1) {
        const float c = std::clamp(meanLevel / state.levelAverage[k], 0.25f, 16.0f);
        g = g * c * state.correctionCurve[k];
    }
    return g;
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
    float* gains = state.gains;
    float previous = gains[1];
    for (int k = 0; k < b; ++k) {
        const float current = gains[k];
        gains[k] = (2.0f * current + previous + gains[k + 1]) * 0.25f;
        previous = current;
    }
    gains[b] = previous * 0.5f;
}

void ComputeGains(SpectralState& state) {
    const FrameCoefficients coefficients = ComputeCoefficients(state);
    const float meanLevel = Analyse(state, coefficients);
    for (int k = 1; k <= state.blockLength; ++k) {
        state.gains[k] = (state.gains[k] + BinGain(state, k, meanLevel)) * 0.5f;
    }
    LowCut(state);
    SmoothAcrossFrequency(state);
}

}  // namespace velquor
