#include "uimodel/PaneTexts.h"

#include "resources/StringTable.h"

namespace uimodel {
namespace {

std::string OnOff(res::TextPair label, bool on, bool english) {
    return res::Format("%s %s", res::LoadPair(label, english),
                       res::LoadPair(on ? res::kTextOn : res::kTextOff, english));
}

std::string Number(res::TextPair label, uint32_t value, bool english) {
    return res::Format("%s %u", res::LoadPair(label, english), value);
}

}  // namespace

PaneTextArray PaneTexts(const CleaningSettings& settings, uint32_t cleanPasses, bool mapped,
                        bool english) {
    return {
        OnOff(res::kTextPaneNoiseCancel, settings.noiseCancel, english),
        OnOff(res::kTextPaneWhiteNoise, settings.whiteNoise, english),
        OnOff(res::kTextPaneSpectrum, settings.spectrum, english),
        OnOff(res::kTextPaneTone, settings.tone, english),
        Number(res::kTextPaneGainMax, settings.gainMaxDb, english),
        Number(res::kTextPaneBuffSize, settings.buffSize, english),
        res::LoadPair(settings.afterNc > 0 ? res::kTextPaneRecleaningEnabled
                                           : res::kTextPaneRecleaningDisabled,
                      english),
        res::Format(mapped ? "%s %u." : "%s %u", res::LoadPair(res::kTextPanePasses, english),
                    cleanPasses),
    };
}

std::array<std::vector<std::string>, res::kIndicatorCount> WidestPaneTexts() {
    CleaningSettings on;
    on.noiseCancel = on.whiteNoise = on.spectrum = on.tone = true;
    on.gainMaxDb = 18;
    on.buffSize = 1024;
    on.afterNc = 1;
    CleaningSettings off;
    off.noiseCancel = off.whiteNoise = off.spectrum = off.tone = false;
    off.afterNc = 0;
    std::array<std::vector<std::string>, res::kIndicatorCount> samples;
    for (bool english : {true, false}) {
        for (const CleaningSettings& settings : {on, off}) {
            const PaneTextArray texts = PaneTexts(settings, 999, true, english);
            for (size_t i = 0; i < texts.size(); ++i) {
                samples[i].push_back(texts[i]);
            }
        }
    }
    return samples;
}

}  // namespace uimodel
