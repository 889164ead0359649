#include "platform/UiLanguage.h"

#include <array>
#include <cstdlib>
#include <utility>

namespace platform {
namespace {

constexpr uint16_t kEnglishUnitedStates = 1033;

// Locale language (or language_TERRITORY) → Windows language identifier.
constexpr std::array<std::pair<std::string_view, uint16_t>, 20> kLanguageIds{{
    {"ar", 1025},    {"be", 1059},    {"cs", 1029}, {"de", 1031}, {"en", 1033},
    {"en_GB", 2057}, {"en_US", 1033}, {"es", 3082}, {"fr", 1036}, {"he", 1037},
    {"it", 1040},    {"ja", 1041},    {"kk", 1087}, {"pl", 1045}, {"pt_BR", 1046},
    {"ru", 1049},    {"ru_RU", 1049}, {"tr", 1055}, {"uk", 1058}, {"zh_CN", 2052},
}};

uint16_t Lookup(std::string_view key) {
    for (const auto& [name, id] : kLanguageIds) {
        if (name == key) {
            return id;
        }
    }
    return 0;
}

}  // namespace

uint16_t WindowsLanguageIdForLocale(std::string_view locale) {
    // Drop ".codeset" and "@modifier": they do not change the language.
    locale = locale.substr(0, locale.find_first_of(".@"));
    if (locale.empty() || locale == "C" || locale == "POSIX") {
        return kEnglishUnitedStates;
    }
    if (const uint16_t exact = Lookup(locale)) {
        return exact;
    }
    const size_t underscore = locale.find('_');
    return underscore == std::string_view::npos ? 0 : Lookup(locale.substr(0, underscore));
}

uint16_t UserDefaultUILanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return WindowsLanguageIdForLocale(value);
        }
    }
    return kEnglishUnitedStates;
}

}  // namespace platform
