// One engine set up for cleaning with the user's settings, as the job and the
// stream both need it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "pipeline/CleaningSettings.h"
#include "velquor/IVelquor.h"

// Sets "NioseCancel", "WiteNoise", "Spectrum", "Tone" and "GainMaxDB", in that
// order, on an engine that has not been Init'ed yet (floor depth and shape are
// read by Init).
void ApplyCleaningSettings(IVelquor& engine, const CleaningSettings& settings);

struct EngineRelease {
    void operator()(IVelquor* engine) const { engine->Release(); }
};
using EnginePtr = std::unique_ptr<IVelquor, EngineRelease>;

// An engine set up as the job sets up each channel's: white noise on, then the
// settings, then Init at `sampleRate`. Null when `create` gives none or Init
// fails.
EnginePtr MakeCleaningEngine(const std::function<IVelquor*()>& create,
                             const CleaningSettings& settings, uint32_t sampleRate);
