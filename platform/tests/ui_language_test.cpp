#include "platform/UiLanguage.h"

#include <gtest/gtest.h>

#include "testsupport/ScopedEnv.h"

namespace platform {
namespace {

using testsupport::ScopedEnv;

TEST(UiLanguageTest, LocaleNamesMapToWindowsLanguageIds) {
    const std::pair<const char*, uint16_t> cases[] = {
        {"ru_RU.UTF-8", 1049},
        {"ru_UA", 1049},
        {"en_US.UTF-8", 1033},
        {"en_GB", 2057},
        {"en_AU", 1033},
        {"ar_EG.UTF-8", 1025},
        {"de_AT@euro", 1031},
        {"pt_BR", 1046},
        {"pt_PT", 0},
        {"zh_CN.GB2312", 2052},
        {"zh_TW", 0},
        {"uk_UA", 1058},
        {"kk_KZ", 1087},
        {"he_IL", 1037},
        {"es", 3082},
        {"C", 1033},
        {"C.UTF-8", 1033},
        {"POSIX", 1033},
        {"", 1033},
        {"xx_YY", 0},
    };
    for (const auto& [locale, id] : cases) {
        EXPECT_EQ(WindowsLanguageIdForLocale(locale), id) << locale;
    }
}

TEST(UiLanguageTest, LcAllThenLcMessagesThenLang) {
    ScopedEnv all("LC_ALL", "de_DE.UTF-8");
    ScopedEnv messages("LC_MESSAGES", "fr_FR.UTF-8");
    ScopedEnv lang("LANG", "ru_RU.UTF-8");
    EXPECT_EQ(UserDefaultUILanguage(), 1031);
    {
        ScopedEnv emptyAll("LC_ALL", "");
        EXPECT_EQ(UserDefaultUILanguage(), 1036);
        ScopedEnv noMessages("LC_MESSAGES", std::nullopt);
        EXPECT_EQ(UserDefaultUILanguage(), 1049);
        ScopedEnv noLang("LANG", std::nullopt);
        EXPECT_EQ(UserDefaultUILanguage(), 1033);
    }
}

}  // namespace
}  // namespace platform
