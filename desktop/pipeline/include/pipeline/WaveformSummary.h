// The 10 ms min/max column summary of a recording that the waveform display
// draws from, and the pass that builds it (and, while loading a mapped
// recording, writes the working copy in the same pass).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "pipeline/SoundFile.h"

namespace platform {
class ManualResetEvent;
class MessageTarget;
}  // namespace platform

struct WaveformSummary {
    int32_t samplesPerColumn = 0;  // sample rate x 0.01: 80 at 8 kHz, 160 at 16 kHz
    int32_t columnCount = 0;       // frames / samplesPerColumn, +1 for a remainder
    int32_t channel0Min = 32767;
    int32_t channel0Max = -32768;
    int32_t channel1Min = 32767;  // left at the start values for mono
    int32_t channel1Max = -32768;
    std::vector<int16_t> channel0ColumnMin;
    std::vector<int16_t> channel0ColumnMax;
    std::vector<int16_t> channel1ColumnMin;  // empty for mono
    std::vector<int16_t> channel1ColumnMax;
};

// Rebuilds `summary` from the whole recording in one pass.
//  writeWorkingCopy: the loading pass. In mapped mode it copies every frame into
//    the working copy and then switches to it; it polls `cancel` (reset when
//    found set) once per column and reads samples without write access.
//  progress: posts WM_LOADING_PROGRESS (1, 1) about 100 times; when null,
//    `step` (if set) is called instead, as often.
// Ok; Cancelled (the sound file is then closed); TempFileDenied when the
// working copy cannot be switched to; NoDiskSpace when writing it falls short;
// OpenError when the mapped recording was cut short while it was copied (the
// sound file is then closed and the working copy deleted).
SoundFileResult BuildWaveformSummary(WaveformSummary& summary, CSoundFile& soundFile,
                                     bool writeWorkingCopy, platform::MessageTarget* progress,
                                     platform::ManualResetEvent* cancel,
                                     const std::function<void()>& step = {});
