#include "pipeline/CleaningEngine.h"

#include <algorithm>
#include <climits>

EnginePtr MakeCleaningEngine(const std::function<IVelquor*()>& create,
                             const CleaningSettings& settings, uint32_t sampleRate) {
    EnginePtr engine(create ? create() : nullptr);
    if (!engine) {
        return nullptr;
    }
    engine->SetWhiteNoise(1);
    // Before Init: the floor depth and shape are read only there.
    ApplyCleaningSettings(*engine, settings);
    if (engine->Init(static_cast<int32_t>(sampleRate)) != kVelquorOk) {
        return nullptr;
    }
    return engine;
}

void ApplyCleaningSettings(IVelquor& engine, const CleaningSettings& settings) {
    engine.SetNoiseSuppression(settings.noiseCancel ? 1 : 0);
    engine.SetWhiteNoise(settings.whiteNoise ? 1 : 0);
    engine.SetSpectrumCorrection(settings.spectrum ? 1 : 0);
    engine.SetToneCleaning(settings.tone ? 1 : 0);
    engine.SetGainMaxDb(static_cast<int32_t>(std::min<uint32_t>(settings.gainMaxDb, INT32_MAX)));
    engine.SetNoiseEstimator(settings.speechMode ? kVelquorNoiseEstimateSpeech
                                                 : kVelquorNoiseEstimateAverage);
}
