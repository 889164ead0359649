// The tracking noise estimate's per-frame loops (NoiseTracking.h says what it
// does), included by GainLoops.h into both builds of the gain step.
#pragma once

#include <cmath>

#include "NoiseTracking.h"

namespace velquor {
namespace {

// The presence probability for an a priori SNR xi is
// 1 / (1 + (1 + xi) e^(-(y2 / noise) xi / (1 + xi))).
constexpr float kPresenceSnr = 31.622777f;  // 15 dB
constexpr float kPresenceExponent = kPresenceSnr / (1.0f + kPresenceSnr);
// The noise magnitude handed to the gain rule is the geometric mean magnitude
// of Gaussian noise of the estimated power, the quantity the default estimate
// (an average of log magnitudes) converges to, so that in noise alone both
// estimates give the same gains: e^(-Euler's gamma / 2) = 0.74931 times the
// root of the power. In noise alone the gated average settles at 0.8134 times
// the noise power (the fixed point of its expected update, found
// numerically), so the root is taken of the estimate over 0.8134.
constexpr float kNoiseMagnitudeOfEstimate = 0.83083f;  // 0.74931 / sqrt(0.8134)

inline float MinOf(float a, float b) {
    return b < a ? b : a;
}
inline float MaxOf(float a, float b) {
    return a < b ? b : a;
}

// Magnitudes to powers in place, and the exponent of the presence term.
void PresenceExponents(float* __restrict power, const float* __restrict noisePower, int b,
                       float* __restrict exponent) {
    for (int l = 1; l <= b; ++l) {
        const float y2 = power[l] * power[l];
        power[l] = y2;
        exponent[l] = -(y2 / noisePower[l]) * kPresenceExponent;
    }
}

// `expOfExponent` holds e^exponent from PresenceExponents.
void GatedNoisePower(const float* __restrict expOfExponent, const float* __restrict power, int b,
                     const NoiseTracking& t, float* __restrict noise) {
    float* __restrict noisePower = t.noisePower;
    float* __restrict smoothed = t.smoothedPower;
    float* __restrict windowMinimum = t.windowMinimum;
    const float* __restrict pastMinimum = t.pastMinimum;
    const float c = t.powerCoefficient;
    const float cs = t.smoothingCoefficient;
    for (int l = 1; l <= b; ++l) {
        const float presence = 1.0f / (1.0f + (1.0f + kPresenceSnr) * expOfExponent[l]);
        const float y2 = power[l];
        const float lambda = noisePower[l];
        const float gated = lambda + c * (1.0f - presence) * (y2 - lambda);
        const float s = smoothed[l] + cs * (y2 - smoothed[l]);
        smoothed[l] = s;
        const float minimum = MinOf(windowMinimum[l], s);
        windowMinimum[l] = minimum;
        const float estimate = MaxOf(gated, MinOf(pastMinimum[l], minimum));
        noisePower[l] = estimate;
        noise[l] = kNoiseMagnitudeOfEstimate * std::sqrt(estimate);
    }
}

// The warm-up: plain running means of the power, no minimum search yet
// (magnitudes in `power` are replaced by their powers).
void WarmUpNoisePower(float* __restrict power, int b, const NoiseTracking& t,
                      float* __restrict noise) {
    const float weight = 1.0f / static_cast<float>(t.frame + 1);
    float* __restrict noisePower = t.noisePower;
    float* __restrict smoothed = t.smoothedPower;
    for (int l = 1; l <= b; ++l) {
        const float y2 = power[l] * power[l];
        power[l] = y2;
        const float mean = noisePower[l] + weight * (y2 - noisePower[l]);
        noisePower[l] = mean;
        smoothed[l] = mean;
        noise[l] = kNoiseMagnitudeOfEstimate * std::sqrt(mean);
    }
}

// The tracking estimate of bins 1..B into `noise`; `magnitude` is replaced by
// the powers and `scratch` (B+1) is overwritten.
template <class Math>
void UpdateTrackingEstimate(NoiseTracking& t, float* magnitude, int b, float* scratch,
                            float* noise) {
    if (t.frame < t.warmUpFrames) {
        WarmUpNoisePower(magnitude, b, t, noise);
    } else {
        PresenceExponents(magnitude, t.noisePower, b, scratch);
        Math::Exp(scratch + 1, scratch + 1, b);
        GatedNoisePower(scratch, magnitude, b, t, noise);
    }
    EndTrackingFrame(t, b);
}

}  // namespace
}  // namespace velquor
