// In-place radix-2 real FFT of N = 2^order samples with a quarter-period sine
// table. Packed spectrum: element k holds Re X[k] for k = 0..N/2, element N-k
// holds Im X[k] for k = 1..N/2-1, with X[k] = (1/N) sum x[n] e^(-2 pi i k n / N).
#pragma once

namespace velquor {

// Fills table[0..N/4-1] with sin(2 pi i / N); the phase runs in double precision
// and grows by the single-precision step, as the transform was tuned with.
void BuildSineTable(float* table, int order);

void RealFft(float* buffer, int order, const float* sineTable);

// Inverse of RealFft without further scaling: InverseRealFft(RealFft(x)) == x.
void InverseRealFft(float* buffer, int order, const float* sineTable);

}  // namespace velquor
