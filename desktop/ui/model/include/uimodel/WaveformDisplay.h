// A waveform summary together with the strips that read it. The strips hold
// spans into the summary's column arrays, so the two are built, swapped and
// released as one: a rebuild always fills a fresh WaveformDisplay and the
// owner moves it over the old one (moving keeps the arrays where they are, so
// the moved strips stay valid). No strip can point into a summary that a
// rebuild has reallocated.
#pragma once

#include <cstdint>
#include <functional>

#include "pipeline/SoundFile.h"
#include "pipeline/WaveformSummary.h"
#include "uimodel/WavSample.h"

struct WaveformDisplay {
    WaveformSummary summary;
    WaveformStrips strips;

    WaveformDisplay() = default;
    WaveformDisplay(WaveformDisplay&& other) noexcept = default;
    // The strips go before the summary they read.
    WaveformDisplay& operator=(WaveformDisplay&& other) noexcept {
        strips = {};
        summary = std::move(other.summary);
        strips = std::move(other.strips);
        return *this;
    }
    WaveformDisplay(const WaveformDisplay&) = delete;
    WaveformDisplay& operator=(const WaveformDisplay&) = delete;

    // Both channel strips (as far as the recording has them) and the overview.
    bool HasStrips() const { return strips.channel0 != nullptr && strips.overview != nullptr; }
    void Clear() { *this = WaveformDisplay(); }
};

// How the redisplay reports without a progress window: the main window shows
// the percent in its title while the pass runs and gets its own title back after.
struct SummaryTitleProgress {
    std::function<void(uint32_t percent)> show;  // first with 0, then 1, 2, ...
    std::function<void()> restore;
};

// The redisplay after a cleaning pass: summarises the recording as it now
// stands (reading with write access, no working copy written; `title` is told
// the percent) and creates the strips, all in `display`, which must be a fresh
// staging object. Ok, or the summary's failure.
SoundFileResult BuildWaveformDisplay(WaveformDisplay& display, CSoundFile& soundFile,
                                     const SummaryTitleProgress* title);
