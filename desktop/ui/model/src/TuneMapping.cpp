#include "uimodel/TuneMapping.h"

namespace uimodel {
namespace {

constexpr uint32_t kGainStepDb = 6;
constexpr int kGainItemCount = 4;
constexpr uint32_t kBufferStep = 128;
constexpr int kBufferItemCount = 8;

}  // namespace

std::vector<std::string> GainItems() {
    std::vector<std::string> items;
    for (int i = 0; i < kGainItemCount; ++i) {
        items.push_back(std::to_string(GainFromIndex(i)));
    }
    return items;
}

std::vector<std::string> BufferItems() {
    std::vector<std::string> items;
    for (int i = 0; i < kBufferItemCount; ++i) {
        items.push_back(std::to_string(BufferFromIndex(i)));
    }
    return items;
}

int GainIndex(uint32_t gainMaxDb) {
    for (int i = 0; i < kGainItemCount; ++i) {
        if (GainFromIndex(i) == gainMaxDb) {
            return i;
        }
    }
    return kGainItemCount - 1;
}

uint32_t GainFromIndex(int index) {
    return static_cast<uint32_t>(index) * kGainStepDb;
}

int BufferIndex(uint32_t buffSize) {
    for (int i = 0; i < kBufferItemCount; ++i) {
        if (BufferFromIndex(i) == buffSize) {
            return i;
        }
    }
    return kBufferItemCount - 1;
}

uint32_t BufferFromIndex(int index) {
    return static_cast<uint32_t>(index + 1) * kBufferStep;
}

TuneControls ToControls(const CleaningSettings& settings) {
    TuneControls controls;
    controls.noiseCancel = settings.noiseCancel;
    controls.gainIndex = GainIndex(settings.gainMaxDb);
    controls.whiteNoise = settings.whiteNoise;
    controls.spectrum = settings.spectrum;
    controls.tone = settings.tone;
    controls.speechMode = settings.speechMode;
    controls.bufferIndex = BufferIndex(settings.buffSize);
    // Only 0 and 1 have a radio button. Any other stored value shows as the
    // button that means the same to the rest of the program (> 0 allows
    // recleaning), so some button is always selected.
    controls.afterNc = settings.afterNc > 0 ? 1 : 0;
    return controls;
}

void FromControls(const TuneControls& controls, CleaningSettings& settings) {
    settings.noiseCancel = controls.noiseCancel;
    settings.gainMaxDb = GainFromIndex(controls.gainIndex);
    settings.whiteNoise = controls.whiteNoise;
    settings.spectrum = controls.spectrum;
    settings.tone = controls.tone;
    settings.speechMode = controls.speechMode;
    settings.buffSize = BufferFromIndex(controls.bufferIndex);
    settings.afterNc = controls.afterNc;
}

}  // namespace uimodel
