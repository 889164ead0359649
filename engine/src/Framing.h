// Block and frame skeleton of the spectral processor: each block of B new
// samples makes two half-overlapping Hann frames, each frame goes through the
// forward transform, the gain step and the inverse transform, and the frames
// are overlap-added. The output lags the input by B samples.
#pragma once

#include <cstdint>

#include "ProcessorState.h"

namespace velquor {

// Fills gains[0..B] for the frame whose packed spectrum is in the work buffer.
using GainStep = void (*)(SpectralState&);

// Cleans B samples. 0, or kVelquorWrongLength when `length` is not B.
int32_t ProcessBlock(SpectralState* state, const float* in, float* out, int32_t length,
                     GainStep gainStep = nullptr);

// One frame over history[0..B-1]; always 0.
int32_t ProcessFrame(SpectralState* state, GainStep gainStep = nullptr);

}  // namespace velquor
