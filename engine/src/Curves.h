// The per-bin curves SetUp builds once per Init: the gain floor and the two
// shapes of the spectrum correction. Each writes entries 0..blockLength.
#pragma once

#include <cstdint>

namespace velquor {

inline constexpr float kDeEmphasisCoefficient = 0.95f;

// Floor `floorGain` up to 500 Hz, rising 18 dB from there to 4 kHz and on
// until it reaches 1.
void FloorCurve(float* curve, float floorGain, int blockLength, float nyquistHz);

// De-emphasis: the inverse response of the pre-emphasis 1 - a z^-1, flat
// between the corners and a ramp from 0 Hz up to the lower corner.
void CorrectionCurve(float* curve, int blockLength, float a, float lowHz, float highHz,
                     int32_t sampleRateHz);

// Tilt: a shelf below the lower corner, 1 between the corners, rising by
// `tiltSlopeDb` per upper-corner frequency above (at most +18 dB).
void CorrectionCurve(float* curve, int blockLength, float lowHz, float highHz, int32_t tiltLowDb,
                     int32_t tiltSlopeDb, int32_t sampleRateHz);

// Nearest bin of `hz`, held within 0..blockLength.
int NearestBin(int blockLength, float hz, float nyquistHz);

}  // namespace velquor
