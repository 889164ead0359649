#include "uimodel/LanguageChoice.h"

#include "resources/StringTable.h"

namespace uimodel {

std::string LanguageQuestion(bool toEnglish) {
    return toEnglish ? res::Format("%s\r\n%s", res::LoadText(res::IDS_ASK_ENGLISH_RU),
                                   res::LoadText(res::IDS_ASK_ENGLISH_EN))
                     : res::Format("%s\r\n%s", res::LoadText(res::IDS_ASK_RUSSIAN_RU),
                                   res::LoadText(res::IDS_ASK_RUSSIAN_EN));
}

}  // namespace uimodel
