// The user's cleaning settings, as the desktop program stores them. The
// registry names (misspellings kept for existing users' stored values) and
// the load/save rules live with the settings store.
#pragma once

#include <cstdint>

struct CleaningSettings {
    bool noiseCancel = true;   // "NioseCancel"
    uint32_t gainMaxDb = 18;   // "GainMaxDB": 0, 6, 12 or 18
    bool whiteNoise = true;    // "WiteNoise"
    bool spectrum = false;     // "Spectrum"
    bool tone = false;         // "Tone"
    uint32_t buffSize = 1024;  // "BuffSize": 128..1024 in steps of 128
    int32_t afterNc = 0;       // "AfterNC": 1 lets a cleaned recording be cleaned again
    bool speechMode = false;   // "SpeechMode": the engine's speech mode
};
