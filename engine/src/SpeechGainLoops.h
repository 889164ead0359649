// The speech mode's per-frame gain loops (SpeechGain.h says what they do),
// included by GainLoops.h into both builds of the gain step.
#pragma once

#include "NoiseTrackingLoops.h"
#include "SpeechGain.h"

namespace velquor {
namespace {

// Weight of the last frame's cleaned power in the decision-directed rule.
constexpr float kDecisionWeight = 0.98f;
// Lowest a priori SNR (-25 dB): keeps the rule moving out of long pauses.
constexpr float kMinPriorSnr = 0.0031623f;
// The tracking estimate settles at 0.8134 times the noise power in noise
// alone (NoiseTrackingLoops.h); the SNRs want the power itself.
constexpr float kNoisePowerOfEstimate = 1.0f / 0.8134f;
// Where E1's two approximations meet, and the least argument passed to ln.
constexpr float kSeriesLimit = 1.0f;
constexpr float kMinLsaArgument = 1e-20f;
constexpr float kMaxHalfE1 = 20.0f;
constexpr float kMaxExpArgument = 87.0f;  // e^-v stays a normal float

// A priori SNR, the Wiener factor xi / (1 + xi), the argument
// v = xi / (1 + xi) * gamma of the gain and -v (for e^-v); `power` is
// replaced by gamma.
void PriorSnr(const float* __restrict noisePower, const float* __restrict cleanSnr, int b,
              float* __restrict power, float* __restrict wiener, float* __restrict argument,
              float* __restrict negArgument) {
    for (int l = 1; l <= b; ++l) {
        const float gamma = power[l] / (noisePower[l] * kNoisePowerOfEstimate);
        const float excess = MaxOf(gamma - 1.0f, 0.0f);
        const float xi =
            MaxOf(kDecisionWeight * cleanSnr[l] + (1.0f - kDecisionWeight) * excess, kMinPriorSnr);
        const float w = xi / (1.0f + xi);
        power[l] = gamma;
        wiener[l] = w;
        const float v = MaxOf(w * gamma, kMinLsaArgument);
        argument[l] = v;
        negArgument[l] = -MinOf(v, kMaxExpArgument);
    }
}

// Half the exponential integral E1(v), from ln v and e^-v (Abramowitz and
// Stegun 5.1.53 below 1, 5.1.56 above; both within 5e-5), into `halfE1`.
void HalfExponentialIntegral(const float* __restrict argument, const float* __restrict logArgument,
                             const float* __restrict expNegArgument, int b,
                             float* __restrict halfE1) {
    for (int l = 1; l <= b; ++l) {
        const float v = argument[l];
        const float series =
            -0.57721566f +
            v * (0.99999193f +
                 v * (-0.24991055f + v * (0.05519968f + v * (-0.00976004f + v * 0.00107857f)))) -
            logArgument[l];
        const float ratio = (v * (v + 2.334733f) + 0.250621f) / (v * (v + 3.330657f) + 1.681534f);
        const float tail = expNegArgument[l] / v * ratio;
        const float e1 = v < kSeriesLimit ? series : tail;
        halfE1[l] = MinOf(0.5f * e1, kMaxHalfE1);
    }
}

// Gain = xi / (1 + xi) e^(E1(v) / 2), at most 1 and at least the floor; the
// cleaned SNR is kept for the next frame's decision-directed estimate.
void LsaGains(const float* __restrict wiener, const float* __restrict expHalfE1,
              const float* __restrict gamma, const float* __restrict floor, int b,
              float* __restrict cleanSnr, float* __restrict g) {
    for (int l = 1; l <= b; ++l) {
        const float gain = MaxOf(MinOf(wiener[l] * expHalfE1[l], 1.0f), floor[l]);
        cleanSnr[l] = gain * gain * gamma[l];
        g[l] = gain;
    }
}

void WeightedFloor(const float* __restrict floor, const float* __restrict weight, int b,
                   float* __restrict out) {
    for (int l = 1; l <= b; ++l) {
        out[l] = floor[l] * weight[l];
    }
}

}  // namespace
}  // namespace velquor
