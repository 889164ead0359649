// The settings store: the cleaning settings and the interface language in the
// current user's registry, key "SOFTWARE\Kestrova\Hushdesk\Settings", every
// value a REG_DWORD. Reads never report errors (a missing value keeps what
// the caller had); each failed write shows the Russian-only registry error
// box through platform::ShowMessage and the remaining values are still written.
#pragma once

#include <cstdint>
#include <string>

#include "pipeline/CleaningSettings.h"

inline constexpr char kSettingsKeyPath[] = "SOFTWARE\\Kestrova\\Hushdesk\\Settings";
inline constexpr uint32_t kRegDword = 4;  // REG_DWORD
inline constexpr char kRegistryErrorCaption[] = "Ошибка доступа к реестру";
inline constexpr char kRegistryErrorText[] = "Нет доступа к реестру, параметр ";

// Reads and writes one value of the current user's registry; opens the key for
// each call and closes it again.
class CRegKey {
public:
    virtual ~CRegKey() = default;
    // True with `value` set when HKEY_CURRENT_USER\keyPath holds a REG_DWORD
    // `valueName`; false (value untouched) when the key or value is missing or
    // holds another type.
    bool Read(const std::string& keyPath, const std::string& valueName, uint32_t& value) const;
    // Stores the value, creating the key and its parents when absent. Only
    // REG_DWORD is written; false for another type or when the write failed.
    bool Write(const std::string& keyPath, const std::string& valueName, uint32_t value,
               uint32_t type = kRegDword) const;
};

// Loads "NioseCancel", "WiteNoise", "Spectrum", "Tone", "GainMaxDB",
// "BuffSize", "AfterNC" into `settings`, in that order, then "SpeechMode":
// on only when it holds 1 (absent or any other value: off, so that records
// stored before it existed keep their meaning). False only when `settings`
// is null.
bool LoadSettings(CleaningSettings* settings);
// Writes the seven values in the same order, then "SpeechMode" when it is on
// or already stored (a record that never had it stays as it was). False only
// when `settings` is null.
bool SaveSettings(const CleaningSettings* settings);
// "EnglishGUI": true (English) when missing or non-zero. False only when
// `english` is null.
bool LoadLanguage(bool* english);
// Writes "EnglishGUI" as 1 or 0. Always true (a failure shows the error box).
bool SaveLanguage(bool english);
