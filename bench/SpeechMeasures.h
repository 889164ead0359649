// Measures of cleaned speech against the clean speech: short-time objective
// intelligibility (STOI) and scale-invariant signal-to-distortion ratio
// (SI-SDR), with the resampling STOI needs.
#pragma once

#include <vector>

namespace measures {

using Signal = std::vector<double>;

// Windowed-sinc resampling from `fromHz` to `toHz`, band-limited to the lower
// of the two Nyquist frequencies.
Signal Resample(const Signal& x, int fromHz, int toHz);

// SI-SDR in dB (Le Roux et al., 2019): both signals made zero-mean, the
// estimate projected on the reference; the ratio of the projection's energy
// to that of the rest. Over the common length.
double SiSdr(const Signal& reference, const Signal& estimate);

// STOI (Taal et al., 2011), 0..1: both signals at 10 kHz, frames where the
// clean speech is more than 40 dB under its loudest frame removed, 15
// one-third-octave bands from 150 Hz, 30-frame (384 ms) segments, the
// processed envelope scaled to the clean one's energy and clipped at 15 dB
// above it, correlations averaged. Returns 0 when fewer than 30 frames hold
// speech.
double Stoi(const Signal& clean, const Signal& processed, int rateHz);

}  // namespace measures
