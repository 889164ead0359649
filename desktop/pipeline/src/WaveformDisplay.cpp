#include "pipeline/WaveformDisplay.h"

SoundFileResult BuildWaveformDisplay(WaveformDisplay& display, CSoundFile& soundFile,
                                     const SummaryTitleProgress* title) {
    display.strips = {};
    const SoundFileResult result =
        BuildWaveformSummary(display.summary, soundFile, false, nullptr, nullptr, title);
    if (result != SoundFileResult::Ok) {
        return result;
    }
    CreateStrips(display.strips, soundFile, display.summary);
    return SoundFileResult::Ok;
}
