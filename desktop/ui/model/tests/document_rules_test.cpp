#include <gtest/gtest.h>

#include "uimodel/CleaningPasses.h"
#include "uimodel/FileInformation.h"

namespace uimodel {
namespace {

TEST(FileInformationTest, DurationIsWholeMinutesAndSeconds) {
    EXPECT_EQ(DurationText(150000, 16000), "0:09");
    EXPECT_EQ(DurationText(60 * 8000, 8000), "1:00");
    EXPECT_EQ(DurationText(60 * 8000 - 1, 8000), "0:59");
    EXPECT_EQ(DurationText(3725u * 16000, 16000), "62:05");
    EXPECT_EQ(DurationText(100, 0), "0:00");
}

TEST(FileInformationTest, TextInBothLanguagesWithItsExactSpacing) {
    EXPECT_EQ(FileInformationText("/rec/a.wav", 16000, 150000, 2, true),
              "File Name:     /rec/a.wav\r\n"
              "Sampling Rate: 16000 \r\n"
              "Duration:      0:09 min\r\n"
              "Channels:      2 - STEREO");
    EXPECT_EQ(FileInformationText("/rec/b.wav", 8000, 480000, 1, false),
              "Имя файла:             /rec/b.wav\r\n"
              "Частота дискретизации: 8000 Гц\r\n"
              "Длительность:          1:00 мин\r\n"
              "Количество каналов:    1 - MONO");
    // A path with a printf directive in it is shown as it is.
    EXPECT_EQ(FileInformationText("/tmp/100%s.wav", 8000, 0, 1, true).substr(0, 29),
              "File Name:     /tmp/100%s.wav");
}

TEST(FileInformationTest, TitleIsTheNameAfterTheLastSlash) {
    EXPECT_EQ(TitleFromPath("/home/user/talks/interview.wav"), "interview.wav");
    EXPECT_EQ(TitleFromPath("interview.wav"), "interview.wav");
    EXPECT_EQ(TitleFromPath("/odd\\name.wav"), "odd\\name.wav");
    EXPECT_EQ(TitleFromPath(""), "");
}

TEST(CleaningPassesTest, FinishedAndCancelledPassesCountAndFollowAfterNc) {
    CleaningPasses state;
    EXPECT_FALSE(state.m_bCleanAllowed);
    state.Opened();
    EXPECT_TRUE(state.m_bCleanAllowed);
    EXPECT_EQ(state.m_nCleanPasses, 0u);

    state.PassStarted();
    EXPECT_FALSE(state.m_bCleanAllowed);
    state.PassEnded(PassEnd::Finished, 0);
    EXPECT_EQ(state.m_nCleanPasses, 1u);
    EXPECT_FALSE(state.m_bCleanAllowed);
    EXPECT_TRUE(state.m_bUnsavedResult);

    // Enabling re-cleaning in the settings after a pass allows it again.
    state.SettingsChanged(1);
    EXPECT_TRUE(state.m_bCleanAllowed);
    state.PassStarted();
    state.PassEnded(PassEnd::Cancelled, 1);
    EXPECT_EQ(state.m_nCleanPasses, 2u);
    EXPECT_TRUE(state.m_bCleanAllowed);
    state.SettingsChanged(0);
    EXPECT_FALSE(state.m_bCleanAllowed);

    state.Saved();
    EXPECT_FALSE(state.m_bUnsavedResult);
    // A new recording starts over.
    state.Opened();
    EXPECT_EQ(state.m_nCleanPasses, 0u);
    EXPECT_TRUE(state.m_bCleanAllowed);
}

TEST(CleaningPassesTest, AFailedPassNeitherCountsNorBlocksCleaning) {
    CleaningPasses state;
    state.Opened();
    state.PassStarted();
    state.PassEnded(PassEnd::Failed, 0);
    EXPECT_EQ(state.m_nCleanPasses, 0u);
    EXPECT_TRUE(state.m_bCleanAllowed);
    EXPECT_TRUE(state.m_bUnsavedResult);  // chunks before the failure were written
    // Settings before the first pass leave the rule alone.
    state.SettingsChanged(0);
    EXPECT_TRUE(state.m_bCleanAllowed);
    state.Closed();
    EXPECT_FALSE(state.m_bCleanAllowed);
    EXPECT_FALSE(state.m_bUnsavedResult);
}

TEST(CleaningPassesTest, APassThatWroteNothingLeavesNothingToSave) {
    CleaningPasses state;
    state.Opened();
    state.PassStarted();
    state.PassEnded(PassEnd::Failed, 0, false);
    EXPECT_FALSE(state.m_bUnsavedResult);
    state.PassStarted();
    state.PassEnded(PassEnd::Finished, 1, true);
    EXPECT_TRUE(state.m_bUnsavedResult);
    // A later pass that wrote nothing does not hide the earlier result.
    state.PassStarted();
    state.PassEnded(PassEnd::Failed, 1, false);
    EXPECT_TRUE(state.m_bUnsavedResult);
}

TEST(CleaningPassesTest, CloseKeepsTheCountAndOnlyOpenStartsItOver) {
    CleaningPasses state;
    state.Opened();
    state.PassStarted();
    state.PassEnded(PassEnd::Finished, 1);
    state.Closed();
    EXPECT_EQ(state.m_nCleanPasses, 1u);
    EXPECT_FALSE(state.m_bCleanAllowed);
    state.Opened();
    EXPECT_EQ(state.m_nCleanPasses, 0u);
}

}  // namespace
}  // namespace uimodel
