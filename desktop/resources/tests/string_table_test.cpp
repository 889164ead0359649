#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

TEST(StringTable, EveryLanguagePairHasBothTexts) {
    const uint32_t pairs[] = {
        res::IDS_ERR_OPEN_EN,          res::IDS_ERR_FORMAT_EN,       res::IDS_ERR_TEMP_DENIED_EN,
        res::IDS_ERR_DISK_SPACE_EN,    res::IDS_CLI_USAGE,           res::IDS_CLI_HELP,
        res::IDS_CLI_UNKNOWN_OPTION,   res::IDS_CLI_MISSING_VALUE,   res::IDS_CLI_BAD_VALUE,
        res::IDS_CLI_BAD_OPERANDS,     res::IDS_CLI_SAME_FILE,       res::IDS_CLI_OUTPUT_EXISTS,
        res::IDS_CLI_CANNOT_READ,      res::IDS_CLI_CANNOT_WRITE,    res::IDS_CLI_CLEANED,
        res::IDS_CLI_INTERRUPTED,      res::IDS_CLI_CLEANING_FAILED, res::IDS_CLI_NOT_A_FOLDER,
        res::IDS_CLI_DUPLICATE_OUTPUT, res::IDS_CLI_UNREADABLE,      res::IDS_CLI_RATE,
        res::IDS_CLI_DAMAGED,          res::IDS_CLI_CANNOT_ENCODE};
    const uint32_t archivePairs[] = {res::IDS_CLI_FILE_OR_DASH,     res::IDS_CLI_NUL_NEEDS_LIST,
                                     res::IDS_CLI_NEEDS_OUTPUT_DIR, res::IDS_CLI_LIST_AND_OPERANDS,
                                     res::IDS_CLI_CONFLICT,         res::IDS_CLI_EMPTY_ENTRY,
                                     res::IDS_CLI_SKIPPED,          res::IDS_CLI_KEEP_TREE_HINT};
    for (const auto& ids :
         {std::vector<uint32_t>(std::begin(pairs), std::end(pairs)),
          std::vector<uint32_t>(std::begin(archivePairs), std::end(archivePairs))}) {
        for (uint32_t id : ids) {
            EXPECT_GT(std::strlen(res::LoadPair(id, true)), 0u) << id;
            EXPECT_GT(std::strlen(res::LoadPair(id, false)), 0u) << id;
        }
    }
    EXPECT_STREQ(res::LoadText(9999), "");
}

TEST(StringTable, IdsAreSortedAndUniqueSoLookupsFindEveryText) {
    const std::vector<uint32_t> ids = res::AllTextIds();
    EXPECT_TRUE(std::adjacent_find(ids.begin(), ids.end(), std::greater_equal<>()) == ids.end())
        << "kEntries must stay sorted by id without duplicates";
    for (uint32_t id : ids) {
        EXPECT_GT(std::strlen(res::LoadText(id)), 0u) << id;
    }
}

TEST(StringTable, DesktopPairsWhoseRussianTextIsNotAtTheNextId) {
    // Tooltips and status-bar panes share English texts with the menu and the
    // settings dialog, so their Russian texts sit elsewhere.
    EXPECT_STREQ(res::LoadPair(res::kTextTipStop, true), "Stop");
    EXPECT_STREQ(res::LoadPair(res::kTextTipStop, false), "Останов");
    EXPECT_STREQ(res::LoadPair(res::kTextTipPlayFromCursor, false), "Воспр. от курсора");
    EXPECT_STREQ(res::LoadPair(res::kTextPaneRecleaningDisabled, true), "Disable Recleaning");
    EXPECT_STREQ(res::LoadPair(res::kTextPaneRecleaningDisabled, false),
                 "Повторная шумоочистка ЗАПР.");
    EXPECT_STREQ(res::LoadPair(res::kTextPaneRecleaningEnabled, false),
                 "Повторная шумоочистка РАЗР.");
    // The settings dialog's radio buttons use the same English texts with the
    // dialog's own Russian wording.
    EXPECT_STREQ(res::LoadPair(res::kTextTuneEnableRecleaning, false),
                 "Разрешить повторную шумоочистку ");
    EXPECT_STREQ(res::LoadPair(res::kTextCancel, false), "Отмена");
    EXPECT_STREQ(res::LoadPair(res::kTextCancel, true), "Cancel");
}

TEST(StringTable, DesktopTextsKeepTheirStoredSpellingAndBlanks) {
    EXPECT_STREQ(res::LoadText(res::IDS_MENU_CLOSE), "Clo&se\tCtrt+W");
    EXPECT_STREQ(res::LoadPair(res::kTextPaneSpectrum, true), "Spectrum Correct");
    EXPECT_STREQ(res::LoadPair(res::kTextPaneNoiseCancel, true), "Noise Supression ");
    EXPECT_STREQ(res::LoadPair(res::kTextPaneTone, false), "Подавл. тональн. помех ");
    EXPECT_STREQ(res::LoadText(res::IDS_OLE_INIT_FAILED),
                 "OLE initialization failed.  Make sure that the OLE libraries are the correct "
                 "version.");
    EXPECT_STREQ(res::LoadText(res::IDS_RU_MENU_LANGUAGE), "Язык Интерфейса ");
    EXPECT_STREQ(res::LoadText(res::IDS_RU_TUNE_AFTER_NC), "После проведения шумоочистки ");
}

TEST(StringTable, FileInformationFormatsTheDescribedLines) {
    EXPECT_EQ(res::Format(res::LoadPair(res::kTextFileInfo, true), "/a/b.wav", 16000u, "0:09", 2u,
                          res::LoadText(res::IDS_CHANNELS_STEREO)),
              "File Name:     /a/b.wav\r\nSampling Rate: 16000 \r\nDuration:      0:09 "
              "min\r\nChannels:      2 - STEREO");
    EXPECT_EQ(res::Format(res::LoadPair(res::kTextFileInfo, false), "b.wav", 8000u, "1:00", 1u,
                          res::LoadText(res::IDS_CHANNELS_MONO)),
              "Имя файла:             b.wav\r\nЧастота дискретизации: 8000 "
              "Гц\r\nДлительность:          1:00 мин\r\nКоличество каналов:    1 - MONO");
}

TEST(StringTable, LoadingErrorsKeepTheirExactTexts) {
    EXPECT_STREQ(res::LoadingErrorText(1, true),
                 "Wrong file format! Only 8/16 kHz A/mu-Law Wave (8 bit) and PCM Wave (16 bit) "
                 "formats are supported.");
    EXPECT_STREQ(res::LoadingErrorText(3, false),
                 "Недостаточно места на диске для создания временного файла.");
    EXPECT_STREQ(res::LoadingErrorText(10, true), "Error File Opening (");
    EXPECT_NE(std::strstr(res::LoadingErrorText(2, true), "privileges.  \nTo run"), nullptr);
    // Kind 4 (missing, unreadable, no regular file) has its own pair.
    EXPECT_STREQ(res::LoadingErrorText(4, true), "The file cannot be found or cannot be read.");
    EXPECT_STREQ(res::LoadingErrorText(4, false), "Файл не найден или не может быть прочитан.");
    EXPECT_STREQ(res::LoadingErrorText(5, true), "");
}

TEST(StringTable, FormatsArguments) {
    EXPECT_EQ(res::Format(res::LoadPair(res::IDS_CLI_CLEANED, true), "a.wav", "b.wav"),
              "a.wav -> b.wav");
    EXPECT_EQ(res::Format("%s", ""), "");
}

}  // namespace
