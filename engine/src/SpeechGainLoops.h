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
constexpr float kMinLsaArgument = 1e-20f;  // added to v: changes no v of interest
constexpr float kMaxHalfE1 = 20.0f;
constexpr float kMaxExpArgument = 87.0f;  // e^-v stays a normal float

// The rule is split into short loops, each ending in its min or max, because
// GCC will not vectorise a loop where a min or max feeds further arithmetic.

// `power` becomes the a posteriori SNR gamma; `excess` is max(gamma - 1, 0).
void PosteriorSnr(const float* __restrict noisePower, int b, float* __restrict power,
                  float* __restrict excess) {
    for (int l = 1; l <= b; ++l) {
        const float gamma = power[l] / (noisePower[l] * kNoisePowerOfEstimate);
        power[l] = gamma;
        excess[l] = MaxOf(gamma - 1.0f, 0.0f);
    }
}

// The decision-directed a priori SNR xi.
void PriorSnr(const float* __restrict cleanSnr, const float* __restrict excess, int b,
              float* __restrict xi) {
    for (int l = 1; l <= b; ++l) {
        xi[l] = MaxOf(kDecisionWeight * cleanSnr[l] + (1.0f - kDecisionWeight) * excess[l],
                      kMinPriorSnr);
    }
}

// `xi` becomes the Wiener factor xi / (1 + xi); the gain's argument
// v = xi / (1 + xi) gamma (kept above 0 for its logarithm) and -v, held
// where e^-v is a normal float.
void LsaArguments(const float* __restrict gamma, int b, float* __restrict xi,
                  float* __restrict argument, float* __restrict negArgument) {
    for (int l = 1; l <= b; ++l) {
        const float w = xi[l] / (1.0f + xi[l]);
        xi[l] = w;
        const float v = w * gamma[l] + kMinLsaArgument;
        argument[l] = v;
        negArgument[l] = MaxOf(-v, -kMaxExpArgument);
    }
}

// Half the exponential integral E1(v), from ln v and e^-v (Abramowitz and
// Stegun 5.1.53 below 1, 5.1.56 above; both within 5e-5), into `halfE1`.
void HalfExponentialIntegral(const float* __restrict argument, const float* __restrict logArgument,
                             const float* __restrict expNegArgument, int b,
                             float* __restrict halfE1) {
    for (int l = 1; l <= b; ++l) {
        const float v = argument[l];
        const float s = MinOf(v, kSeriesLimit);  // the series stays finite where unused
        const float series =
            -0.57721566f +
            s * (0.99999193f +
                 s * (-0.24991055f + s * (0.05519968f + s * (-0.00976004f + s * 0.00107857f)))) -
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
