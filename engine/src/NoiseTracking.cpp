#include "NoiseTracking.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <new>

namespace velquor {

namespace {

// Time constant of the gated noise power average: with speech kept out by
// the gate it can be long enough for the estimate to vary about as little as
// the default estimate does in noise.
constexpr double kNoisePowerSeconds = 0.2;
// Light smoothing ahead of the minimum search, so that the short gaps
// between syllables reach down to the noise.
constexpr double kSmoothingSeconds = 0.016;
constexpr double kMinimumWindowSeconds = 1.5;
// The first quarter second after a reset is taken as noise: a plain mean of
// the power starts the estimate. Starting from one frame would leave bins
// that happened to be quiet in it far below the noise, where everything looks
// like speech until the minimum search catches up.
constexpr double kWarmUpSeconds = 0.25;

float* NewArray(int count) {
    return new (std::nothrow) float[count]();
}

void Release(float*& array) {
    delete[] array;
    array = nullptr;
}

float PerFrame(double hopSeconds, double timeConstant) {
    return static_cast<float>(1.0 - std::exp(-hopSeconds / timeConstant));
}

}  // namespace

bool SetUpTracking(NoiseTracking& t, int b, int32_t sampleRateHz) {
    t.noisePower = NewArray(b + 1);
    t.smoothedPower = NewArray(b + 1);
    t.windowMinimum = NewArray(b + 1);
    t.pastMinimum = NewArray(b + 1);
    t.subMinima = NewArray(kMinimumSubWindows * (b + 1));
    const double hop = 0.5 * b / sampleRateHz;
    t.powerCoefficient = PerFrame(hop, kNoisePowerSeconds);
    t.smoothingCoefficient = PerFrame(hop, kSmoothingSeconds);
    t.warmUpFrames = std::max(1, static_cast<int>(std::lround(kWarmUpSeconds / hop)));
    t.subWindowFrames = std::max(
        1, static_cast<int>(std::lround(kMinimumWindowSeconds / (kMinimumSubWindows * hop))));
    ResetTracking(t, b);
    return t.noisePower && t.smoothedPower && t.windowMinimum && t.pastMinimum && t.subMinima;
}

void FreeTracking(NoiseTracking& t) {
    Release(t.noisePower);
    Release(t.smoothedPower);
    Release(t.windowMinimum);
    Release(t.pastMinimum);
    Release(t.subMinima);
}

void ResetTracking(NoiseTracking& t, int b) {
    if (!HasTracking(t)) {
        return;
    }
    const int row = b + 1;
    std::fill(t.windowMinimum, t.windowMinimum + row, FLT_MAX);
    std::fill(t.pastMinimum, t.pastMinimum + row, FLT_MAX);
    std::fill(t.subMinima, t.subMinima + kMinimumSubWindows * row, FLT_MAX);
    t.frame = 0;
    t.subWindowFrame = 0;
    t.nextSubWindow = 0;
}

void EndTrackingFrame(NoiseTracking& t, int b) {
    if (t.frame < t.warmUpFrames) {
        ++t.frame;
    }
    if (++t.subWindowFrame < t.subWindowFrames) {
        return;
    }
    t.subWindowFrame = 0;
    const int row = b + 1;
    std::copy(t.windowMinimum, t.windowMinimum + row, t.subMinima + t.nextSubWindow * row);
    t.nextSubWindow = (t.nextSubWindow + 1) % kMinimumSubWindows;
    std::copy(t.subMinima, t.subMinima + row, t.pastMinimum);
    for (int w = 1; w < kMinimumSubWindows; ++w) {
        const float* minima = t.subMinima + w * row;
        for (int l = 0; l < row; ++l) {
            t.pastMinimum[l] = std::min(t.pastMinimum[l], minima[l]);
        }
    }
    std::fill(t.windowMinimum, t.windowMinimum + row, FLT_MAX);
}

}  // namespace velquor
