#include "Curves.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "VelquorParams.h"

namespace velquor {

namespace {

// Bin index for a frequency, rounded to nearest and kept inside 0..B so that
// rates other than 8 and 16 kHz never index past the arrays.
int ClampToBins(float index, int blockLength) {
    if (!(index > 0.0f)) {
        return 0;
    }
    if (index >= static_cast<float>(blockLength)) {
        return blockLength;
    }
    return static_cast<int>(index);
}

float CorrectionLowHz(float lowHz) {
    return std::min(lowHz, kCorrectionLowHzLimit);
}
float CorrectionHighHz(float highHz) {
    return std::max(highHz, kCorrectionHighHzMinimum);
}

}  // namespace

int NearestBin(int blockLength, float hz, float nyquistHz) {
    return ClampToBins(static_cast<float>(blockLength) * hz / nyquistHz + 0.5f, blockLength);
}

void FloorCurve(float* curve, float floorGain, int blockLength, float nyquistHz) {
    const float b = static_cast<float>(blockLength);
    // The slope keeps its frequency meaning at any rate, so it comes from the
    // unclipped bin positions; only the span guard keeps it finite.
    const auto k500 = static_cast<int64_t>(b * 500.0f / nyquistHz + 0.5f);
    const auto k4000 = static_cast<int64_t>(b * 4000.0f / nyquistHz + 0.5f);
    const int64_t span = std::max<int64_t>(k4000 - k500, 1);
    const auto slope =
        static_cast<float>(std::log(std::pow(10.0, 0.9 / static_cast<double>(span))));
    for (int i = 0; i <= blockLength; ++i) {
        float value = floorGain;
        if (i > k500) {
            value = floorGain * std::exp(static_cast<float>(i - k500) * slope);
        }
        curve[i] = std::min(value, 1.0f);
    }
}

void CorrectionCurve(float* curve, int blockLength, float a, float lowHz, float highHz,
                     int32_t sampleRateHz) {
    const float lo = CorrectionLowHz(lowHz);
    const float hi = CorrectionHighHz(highHz);
    const auto v = static_cast<float>(static_cast<int>(hi));
    const float rate = static_cast<float>(sampleRateHz);
    const float binHz = rate * 0.5f / static_cast<float>(blockLength);
    const auto omega = static_cast<float>(2.0 * std::numbers::pi / sampleRateHz);
    const auto d = [&](float hz) { return 1.0f + a * a - 2.0f * a * std::cos(omega * hz); };
    const float o = 1.0f / (1.0f + a / 2.0f);
    const float dTop = d(static_cast<float>(static_cast<int>(2.0f * hi)));
    const float dRef = d(v);
    const float flat = o * std::sqrt(dTop / dRef);
    const int kLo =
        ClampToBins(2.0f * static_cast<float>(blockLength) * lo / rate + 0.5f, blockLength);
    for (int k = kLo; k <= blockLength; ++k) {
        const float hz = std::max(static_cast<float>(k) * binHz, v);
        curve[k] = o * std::sqrt(dTop / d(hz));
    }
    for (int k = 0; k < kLo; ++k) {
        curve[k] = static_cast<float>(k) * binHz / lo * flat;
    }
}

void CorrectionCurve(float* curve, int blockLength, float lowHz, float highHz, int32_t tiltLowDb,
                     int32_t tiltSlopeDb, int32_t sampleRateHz) {
    const float lo = CorrectionLowHz(lowHz);
    const float hi = CorrectionHighHz(highHz);
    const auto low = static_cast<float>(std::min(tiltLowDb, kTiltLowDbLimit));
    const auto slope = static_cast<float>(std::min(tiltSlopeDb, kTiltSlopeDbLimit));
    const float rate = static_cast<float>(sampleRateHz);
    const float binHz = rate * 0.5f / static_cast<float>(blockLength);
    const float b2 = 2.0f * static_cast<float>(blockLength);
    const int kLo = ClampToBins(b2 * lo / rate + 0.5f, blockLength);
    const int kHi = ClampToBins(b2 * hi / rate + 0.5f, blockLength);
    curve[0] = 0.0f;
    for (int k = 1; k < kLo; ++k) {
        const float hz = static_cast<float>(k) * binHz;
        const float db = low > 0.0f ? low * (1.0f - hz / lo) : low * (lo / hz - 1.0f);
        curve[k] = std::pow(10.0f, db / 20.0f);
    }
    for (int k = kLo; k < kHi; ++k) {
        curve[k] = 1.0f;
    }
    for (int k = kHi; k <= blockLength; ++k) {
        const float db = std::min((static_cast<float>(k) * binHz / hi - 1.0f) * slope, 18.0f);
        curve[k] = std::pow(10.0f, db / 20.0f);
    }
}

}  // namespace velquor
