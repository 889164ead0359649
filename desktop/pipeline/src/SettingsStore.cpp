#include "pipeline/SettingsStore.h"

#include "platform/Registry.h"
#include "platform/ShowMessage.h"

namespace {

constexpr char kNoiseCancelName[] = "NioseCancel";
constexpr char kWhiteNoiseName[] = "WiteNoise";
constexpr char kSpectrumName[] = "Spectrum";
constexpr char kToneName[] = "Tone";
constexpr char kGainMaxName[] = "GainMaxDB";
constexpr char kBuffSizeName[] = "BuffSize";
constexpr char kAfterNcName[] = "AfterNC";
constexpr char kSpeechModeName[] = "SpeechMode";
constexpr char kEnglishName[] = "EnglishGUI";

// Stored buffer sizes below this are taken as unusable and replaced.
constexpr uint32_t kSmallestBuffSizeFrames = 128;
constexpr uint32_t kDefaultBuffSizeFrames = 1024;

void LoadSwitch(const CRegKey& key, const char* name, bool& field) {
    uint32_t value = 0;
    if (key.Read(kSettingsKeyPath, name, value)) {
        field = value != 0;
    }
}

void WriteOrComplain(const CRegKey& key, const char* name, uint32_t value) {
    if (!key.Write(kSettingsKeyPath, name, value, kRegDword)) {
        platform::ShowMessage(std::string(kRegistryErrorText) + name, kRegistryErrorCaption,
                              platform::kMbOk | platform::kMbSystemModal);
    }
}

}  // namespace

bool CRegKey::Read(const std::string& keyPath, const std::string& valueName,
                   uint32_t& value) const {
    // Only a REG_DWORD counts: a value of another type (a hand-edited text, say)
    // has no meaningful first four bytes here.
    const auto stored = platform::RegReadDword(platform::RegRoot::CurrentUser, keyPath, valueName);
    if (!stored) {
        return false;
    }
    value = *stored;
    return true;
}

bool CRegKey::Write(const std::string& keyPath, const std::string& valueName, uint32_t value,
                    uint32_t type) const {
    if (type != kRegDword) {
        return false;
    }
    return platform::RegWriteDword(platform::RegRoot::CurrentUser, keyPath, valueName, value) ==
           platform::RegStatus::Ok;
}

bool LoadSettings(CleaningSettings* settings) {
    if (settings == nullptr) {
        return false;
    }
    const CRegKey key;
    LoadSwitch(key, kNoiseCancelName, settings->noiseCancel);
    LoadSwitch(key, kWhiteNoiseName, settings->whiteNoise);
    LoadSwitch(key, kSpectrumName, settings->spectrum);
    LoadSwitch(key, kToneName, settings->tone);
    uint32_t value = 0;
    if (key.Read(kSettingsKeyPath, kGainMaxName, value)) {
        settings->gainMaxDb = value;
    }
    if (key.Read(kSettingsKeyPath, kBuffSizeName, value)) {
        settings->buffSize = value < kSmallestBuffSizeFrames ? kDefaultBuffSizeFrames : value;
    }
    // Only the dialog's two choices are taken; anything else keeps the field.
    if (key.Read(kSettingsKeyPath, kAfterNcName, value) && value <= 1) {
        settings->afterNc = static_cast<int32_t>(value);
    }
    settings->speechMode = key.Read(kSettingsKeyPath, kSpeechModeName, value) && value == 1;
    return true;
}

bool SaveSettings(const CleaningSettings* settings) {
    if (settings == nullptr) {
        return false;
    }
    const CRegKey key;
    WriteOrComplain(key, kNoiseCancelName, settings->noiseCancel ? 1 : 0);
    WriteOrComplain(key, kWhiteNoiseName, settings->whiteNoise ? 1 : 0);
    WriteOrComplain(key, kSpectrumName, settings->spectrum ? 1 : 0);
    WriteOrComplain(key, kToneName, settings->tone ? 1 : 0);
    WriteOrComplain(key, kGainMaxName, settings->gainMaxDb);
    WriteOrComplain(key, kBuffSizeName, settings->buffSize);
    WriteOrComplain(key, kAfterNcName, static_cast<uint32_t>(settings->afterNc));
    uint32_t stored = 0;
    if (settings->speechMode || key.Read(kSettingsKeyPath, kSpeechModeName, stored)) {
        WriteOrComplain(key, kSpeechModeName, settings->speechMode ? 1 : 0);
    }
    return true;
}

bool LoadLanguage(bool* english) {
    if (english == nullptr) {
        return false;
    }
    uint32_t value = 0;
    *english = CRegKey().Read(kSettingsKeyPath, kEnglishName, value) ? value != 0 : true;
    return true;
}

bool SaveLanguage(bool english) {
    WriteOrComplain(CRegKey(), kEnglishName, english ? 1 : 0);
    return true;
}
