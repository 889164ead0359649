#include "uimodel/WaveformDisplay.h"

SoundFileResult BuildWaveformDisplay(WaveformDisplay& display, CSoundFile& soundFile,
                                     const SummaryTitleProgress* title) {
    display.strips = {};
    uint32_t percent = 0;
    std::function<void()> step;
    if (title != nullptr && title->show) {
        title->show(percent);
        step = [title, &percent] { title->show(++percent); };
    }
    const SoundFileResult result =
        BuildWaveformSummary(display.summary, soundFile, false, nullptr, nullptr, step);
    if (title != nullptr && title->restore) {
        title->restore();
    }
    if (result != SoundFileResult::Ok) {
        return result;
    }
    CreateStrips(display.strips, soundFile, display.summary);
    return SoundFileResult::Ok;
}
