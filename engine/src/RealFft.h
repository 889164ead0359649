// In-place radix-2 real FFT of N = 2^order samples with a quarter-period sine
// table. Packed spectrum: element k holds Re X[k] for k = 0..N/2, element N-k
// holds Im X[k] for k = 1..N/2-1, with X[k] = (1/N) sum x[n] e^(-2 pi i k n / N).
//
// The N real samples are transformed as N/2 complex ones (even samples real,
// odd samples imaginary) by a radix-2 decimation-in-time FFT, and a split step
// separates the two interleaved spectra. The inverse mirrors it. The result
// replaces the input in the caller's buffer; the plan lends the intermediate
// room. Every order here is at least kMinFftOrder.
#pragma once

#include <cstdint>

#include "KernelPath.h"

namespace velquor {

// Smallest order the transform handles (N = 8).
inline constexpr int kMinFftOrder = 3;

// Fills table[0..N/4-1] with sin(2 pi i / N); the phase runs in double precision
// and grows by the single-precision step, as the transform was tuned with.
void BuildSineTable(float* table, int order);

// What a transform of one order needs besides its buffer: twiddles taken from
// the sine table, the bit-reversed start of every 4-point group, and a work
// area. The arrays belong to whoever allocated the plan; a frame only reads
// the tables and overwrites the work area.
struct FftPlan {
    int32_t order = 0;
    float* tables = nullptr;                  // 2N floats of twiddles, then 2N of work area
    int32_t* origins = nullptr;               // N/8 entries
    KernelPath path = KernelPath::kPortable;  // the build of the kernels that runs it
};

// Allocates the plan's arrays (without throwing) and fills them from the
// quarter-period sine table of this order, for the chosen kernel path. False when memory runs out,
// with nothing left allocated.
bool MakeFftPlan(FftPlan& plan, int order, const float* sineTable);
// Harmless on a plan without arrays.
void FreeFftPlan(FftPlan& plan);

// The frame path: in place, allocates nothing.
void RealFft(float* buffer, const FftPlan& plan);
// RealFft of a buffer whose first and last quarters are zero (a frame centred
// in a buffer twice its length), skipping the zero terms: the same result.
void RealFftOfCentredFrame(float* buffer, const FftPlan& plan);
// Inverse of RealFft without further scaling: InverseRealFft(RealFft(x)) == x.
void InverseRealFft(float* buffer, const FftPlan& plan);

// One-off transforms straight from a sine table; these build a plan for the
// call, so they allocate.
void RealFft(float* buffer, int order, const float* sineTable);
void InverseRealFft(float* buffer, int order, const float* sineTable);

}  // namespace velquor
