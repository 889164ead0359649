// The tracking noise estimate's per-bin state and its life (the per-frame
// loops are in NoiseTrackingLoops.h). Chosen at Init by the parameter block's
// noiseEstimator; an engine on the default estimate allocates none of it.
//
// Method: a recursive average of bin power gated by the a posteriori
// probability of speech presence for a fixed a priori SNR of 15 dB (Gerkmann
// and Hendriks, "Unbiased MMSE-based noise power estimation with low
// complexity and low tracking delay", 2012). Their cap on the smoothed
// presence, which keeps a stuck estimate moving, lets part of every frame's
// power in while speech goes on and so lets continuous speech into the
// estimate. Here instead the estimate is kept no lower than the minimum of
// the lightly smoothed power over the last 1.5 s, found by the sub-window
// search of minimum statistics (Martin, 2001): a rise of the noise is
// followed within that window, while speech gets in no further than the
// quiet moments between its syllables.
#pragma once

#include <cstdint>

namespace velquor {

// Sub-windows of the minimum search.
inline constexpr int kMinimumSubWindows = 8;

struct NoiseTracking {
    float* noisePower = nullptr;     // estimated noise power, B+1
    float* smoothedPower = nullptr;  // bin power smoothed over time, B+1
    float* windowMinimum = nullptr;  // minimum of smoothedPower in the current sub-window
    float* pastMinimum = nullptr;    // minimum over the stored sub-windows
    float* subMinima = nullptr;      // kMinimumSubWindows rows of B+1
    float powerCoefficient = 0.0f;   // per frame, of the noise power average
    float smoothingCoefficient = 0.0f;
    int32_t warmUpFrames = 0;     // frames averaged plainly, as noise, after a reset
    int32_t subWindowFrames = 0;  // frames per sub-window
    int32_t frame = 0;            // frames since the reset, up to warmUpFrames
    int32_t subWindowFrame = 0;   // frames in the current sub-window so far
    int32_t nextSubWindow = 0;    // row of subMinima the current sub-window goes to
};

// Allocates the arrays for B and sets the coefficients for a hop of B/2
// samples at `sampleRateHz`. False when memory ran out (call FreeTracking).
bool SetUpTracking(NoiseTracking& t, int b, int32_t sampleRateHz);

// Releases the arrays; harmless when there are none.
void FreeTracking(NoiseTracking& t);

inline bool HasTracking(const NoiseTracking& t) {
    return t.noisePower != nullptr;
}

// Back to the start: the next frame begins the warm-up.
void ResetTracking(NoiseTracking& t, int b);

// After every frame's update: counts the frame and, at the end of a
// sub-window, stores its minimum and starts the next.
void EndTrackingFrame(NoiseTracking& t, int b);

}  // namespace velquor
