// The user's interface language as a Windows language identifier.
//
// Stands in for the user's default UI language. Read from the locale variables,
// so that "LANG=ru_RU.UTF-8 setup" starts in Russian.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// The identifier for a POSIX locale name ("ru_RU.UTF-8", "de_AT@euro", "en"):
// the language with its territory when the table has that pair, else the
// language alone. "C", "POSIX" and "" give 1033 (English, the system default);
// a language the table does not know gives 0 (no preference).
uint16_t WindowsLanguageIdForLocale(std::string_view locale);

// WindowsLanguageIdForLocale of the first non-empty of LC_ALL, LC_MESSAGES
// and LANG.
uint16_t UserDefaultUILanguage();

}  // namespace platform
