#include <gtest/gtest.h>

#include <cstring>

#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

TEST(StringTable, EveryLanguagePairHasBothTexts) {
    const uint32_t pairs[] = {
        res::IDS_ERR_OPEN_EN,         res::IDS_ERR_FORMAT_EN,       res::IDS_ERR_TEMP_DENIED_EN,
        res::IDS_ERR_DISK_SPACE_EN,   res::IDS_CLI_USAGE,           res::IDS_CLI_HELP,
        res::IDS_CLI_UNKNOWN_OPTION,  res::IDS_CLI_MISSING_VALUE,   res::IDS_CLI_BAD_VALUE,
        res::IDS_CLI_BAD_OPERANDS,    res::IDS_CLI_SAME_FILE,       res::IDS_CLI_OUTPUT_EXISTS,
        res::IDS_CLI_CANNOT_READ,     res::IDS_CLI_CANNOT_WRITE,    res::IDS_CLI_CLEANED,
        res::IDS_CLI_INTERRUPTED,     res::IDS_CLI_CLEANING_FAILED, res::IDS_CLI_NOT_A_FOLDER,
        res::IDS_CLI_DUPLICATE_OUTPUT};
    for (uint32_t id : pairs) {
        EXPECT_GT(std::strlen(res::LoadPair(id, true)), 0u) << id;
        EXPECT_GT(std::strlen(res::LoadPair(id, false)), 0u) << id;
    }
    EXPECT_STREQ(res::LoadText(9999), "");
}

TEST(StringTable, LoadingErrorsKeepTheirExactTexts) {
    EXPECT_STREQ(res::LoadingErrorText(1, true),
                 "Wrong file format! Only 8/16 kHz A/mu-Law Wave (8 bit) and PCM Wave (16 bit) "
                 "formats are supported.");
    EXPECT_STREQ(res::LoadingErrorText(3, false),
                 "Недостаточно места на диске для создания временного файла.");
    EXPECT_STREQ(res::LoadingErrorText(10, true), "Error File Opening (");
    EXPECT_NE(std::strstr(res::LoadingErrorText(2, true), "privileges.  \nTo run"), nullptr);
    EXPECT_STREQ(res::LoadingErrorText(4, true), "");
}

TEST(StringTable, FormatsArguments) {
    EXPECT_EQ(res::Format(res::LoadPair(res::IDS_CLI_CLEANED, true), "a.wav", "b.wav"),
              "a.wav -> b.wav");
    EXPECT_EQ(res::Format("%s", ""), "");
}

}  // namespace
