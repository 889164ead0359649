#include <gtest/gtest.h>

#include "uimodel/AboutTexts.h"
#include "uimodel/LanguageChoice.h"

namespace {

TEST(AboutTexts, VersionAndStamp) {
    EXPECT_EQ(uimodel::ProgramVersionText(), "1.0.29.55");
    EXPECT_EQ(uimodel::VersionText(2, 10, 0, 7), "2.10.0.7");
    EXPECT_EQ(uimodel::BuildStampText("Jan 25 2011", "18:44:00"), "Jan 25 2011; 18:44:00");
    const std::string stamp = uimodel::ProgramBuildStampText();
    EXPECT_EQ(stamp.size(), std::string("Jan 25 2011; 18:44:00").size()) << stamp;
}

TEST(LanguageChoice, QuestionIsRussianThenEnglish) {
    EXPECT_EQ(uimodel::LanguageQuestion(true),
              "Выбранный язык (Английский) будет принят после перезагрузки программы. Применить "
              "выбранный язык?\r\nThe selected language (English) will be applied on application "
              "restart. Apply the selected language?");
    EXPECT_EQ(uimodel::LanguageQuestion(false).rfind("Выбранный язык (Русский)", 0), 0u);
    EXPECT_NE(uimodel::LanguageQuestion(false).find("\r\nThe selected language (Russian)"),
              std::string::npos);
}

}  // namespace
