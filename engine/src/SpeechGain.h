// The speech mode's gain rule: its per-bin state and its life (the per-frame
// loops are in SpeechGainLoops.h). Set up at Init beside the tracking noise
// estimate when the parameter block asks for the speech mode.
//
// Method: the a priori SNR of each bin is estimated by the decision-directed
// rule (Ephraim and Malah, 1984), a weighted sum of the last frame's cleaned
// power over the noise and this frame's excess power over the noise; the gain
// is the MMSE estimator of the log-spectral amplitude (Ephraim and Malah,
// 1985) for that SNR, held at or above the gain floor. The decision-directed
// average is what keeps the residual noise free of isolated tones, so the
// gains are not smoothed over time as in the default mode.
#pragma once

#include <cstdint>

namespace velquor {

struct SpeechGain {
    float* cleanSnr = nullptr;  // last frame's cleaned power over the noise, B+1
};

// Allocates the arrays for B. False when memory ran out (call FreeSpeechGain).
bool SetUpSpeechGain(SpeechGain& g, int b);

void FreeSpeechGain(SpeechGain& g);

inline bool HasSpeechGain(const SpeechGain& g) {
    return g.cleanSnr != nullptr;
}

// Back to the start of a recording: no cleaned power seen yet.
void ResetSpeechGain(SpeechGain& g, int b);

}  // namespace velquor
