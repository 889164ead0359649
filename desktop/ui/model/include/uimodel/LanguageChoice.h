// The question the interface-language commands ask, always in both languages.
#pragma once

#include <string>

namespace uimodel {

// "%s\r\n%s" of the Russian and the English sentence for the chosen language.
std::string LanguageQuestion(bool toEnglish);

}  // namespace uimodel
