#include "pipeline/SettingsStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/Registry.h"
#include "platform/ShowMessage.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using platform::RegRoot;

class SettingsStoreTest : public ::testing::Test {
protected:
    void TearDown() override { platform::SetRegWriteFaultForTesting({}); }

    static void Store(const char* name, uint32_t value) {
        ASSERT_EQ(platform::RegWriteDword(RegRoot::CurrentUser, kSettingsKeyPath, name, value),
                  platform::RegStatus::Ok);
    }
    static std::optional<uint32_t> Stored(const char* name) {
        return platform::RegReadDword(RegRoot::CurrentUser, kSettingsKeyPath, name);
    }

    testsupport::TempFolder m_folder;
    testsupport::ScopedEnv m_registryDir{"KESTROVA_REGISTRY_DIR", m_folder.Path()};
};

TEST_F(SettingsStoreTest, NoKeyAtAllKeepsTheDefaultsAndWritesNothing) {
    CleaningSettings settings;
    ASSERT_TRUE(LoadSettings(&settings));
    EXPECT_TRUE(settings.noiseCancel);
    EXPECT_TRUE(settings.whiteNoise);
    EXPECT_FALSE(settings.spectrum);
    EXPECT_FALSE(settings.tone);
    EXPECT_EQ(settings.gainMaxDb, 18u);
    EXPECT_EQ(settings.buffSize, 1024u);
    EXPECT_EQ(settings.afterNc, 0);
    bool english = false;
    ASSERT_TRUE(LoadLanguage(&english));
    EXPECT_TRUE(english);
    EXPECT_TRUE(fs::is_empty(m_folder.Path()));
}

TEST_F(SettingsStoreTest, BuffSizeBelow128LoadsAsDefaultAndLargerIsTaken) {
    CleaningSettings settings;
    settings.buffSize = 256;
    Store("BuffSize", 64);
    LoadSettings(&settings);
    EXPECT_EQ(settings.buffSize, 1024u);

    Store("BuffSize", 127);
    settings.buffSize = 256;
    LoadSettings(&settings);
    EXPECT_EQ(settings.buffSize, 1024u);

    Store("BuffSize", 128);
    LoadSettings(&settings);
    EXPECT_EQ(settings.buffSize, 128u);

    // Kept as stored; the cleaning job is the one that caps it at 1024.
    Store("BuffSize", 4096);
    LoadSettings(&settings);
    EXPECT_EQ(settings.buffSize, 4096u);
}

TEST_F(SettingsStoreTest, AfterNcTakesOnlyZeroOrOne) {
    CleaningSettings settings;
    Store("AfterNC", 1);
    LoadSettings(&settings);
    EXPECT_EQ(settings.afterNc, 1);

    for (const uint32_t unusable : {2u, 0xFFFFFFFFu}) {
        Store("AfterNC", unusable);
        LoadSettings(&settings);
        EXPECT_EQ(settings.afterNc, 1) << unusable;
    }
    Store("AfterNC", 0);
    LoadSettings(&settings);
    EXPECT_EQ(settings.afterNc, 0);
}

TEST_F(SettingsStoreTest, SwitchesReadAnyNonZeroAsOnAndSaveBackAsOne) {
    Store("Spectrum", 7);
    Store("NioseCancel", 0);
    Store("GainMaxDB", 7);
    CleaningSettings settings;
    LoadSettings(&settings);
    EXPECT_TRUE(settings.spectrum);
    EXPECT_FALSE(settings.noiseCancel);
    EXPECT_EQ(settings.gainMaxDb, 7u);  // taken unchanged

    ASSERT_TRUE(SaveSettings(&settings));
    EXPECT_EQ(Stored("Spectrum"), 1u);
    EXPECT_EQ(Stored("NioseCancel"), 0u);
    EXPECT_EQ(Stored("GainMaxDB"), 7u);
}

TEST_F(SettingsStoreTest, MissingValuesKeepWhatWasLoadedBefore) {
    CleaningSettings settings;
    settings.tone = true;
    settings.gainMaxDb = 6;
    Store("WiteNoise", 0);
    LoadSettings(&settings);
    EXPECT_TRUE(settings.tone);
    EXPECT_EQ(settings.gainMaxDb, 6u);
    EXPECT_FALSE(settings.whiteNoise);
}

TEST_F(SettingsStoreTest, ValueOfAnotherTypeIsIgnored) {
    ASSERT_EQ(platform::RegWriteString(RegRoot::CurrentUser, kSettingsKeyPath, "BuffSize", "512"),
              platform::RegStatus::Ok);
    CleaningSettings settings;
    LoadSettings(&settings);
    EXPECT_EQ(settings.buffSize, 1024u);
}

TEST_F(SettingsStoreTest, SaveWritesTheSevenValuesInOrderAndTheyLoadBack) {
    std::vector<std::string> order;
    platform::SetRegWriteFaultForTesting(
        [&](RegRoot root, std::string_view key, std::string_view name) {
            EXPECT_EQ(root, RegRoot::CurrentUser);
            EXPECT_EQ(key, kSettingsKeyPath);
            order.emplace_back(name);
            return false;
        });
    CleaningSettings saved;
    saved.noiseCancel = false;
    saved.whiteNoise = false;
    saved.spectrum = true;
    saved.tone = true;
    saved.gainMaxDb = 12;
    saved.buffSize = 384;
    saved.afterNc = 1;
    ASSERT_TRUE(SaveSettings(&saved));
    platform::SetRegWriteFaultForTesting({});
    EXPECT_EQ(order, (std::vector<std::string>{"NioseCancel", "WiteNoise", "Spectrum", "Tone",
                                               "GainMaxDB", "BuffSize", "AfterNC"}));

    CleaningSettings loaded;
    LoadSettings(&loaded);
    EXPECT_FALSE(loaded.noiseCancel);
    EXPECT_FALSE(loaded.whiteNoise);
    EXPECT_TRUE(loaded.spectrum);
    EXPECT_TRUE(loaded.tone);
    EXPECT_EQ(loaded.gainMaxDb, 12u);
    EXPECT_EQ(loaded.buffSize, 384u);
    EXPECT_EQ(loaded.afterNc, 1);
}

TEST_F(SettingsStoreTest, SpeechModeIsOnOnlyWhenStoredAsOne) {
    CleaningSettings settings;
    settings.speechMode = true;
    ASSERT_TRUE(LoadSettings(&settings));
    EXPECT_FALSE(settings.speechMode);  // absent: off
    for (const auto& [value, on] : {std::pair{1u, true}, std::pair{0u, false}, std::pair{2u, false},
                                    std::pair{0xffffffffu, false}}) {
        Store("SpeechMode", value);
        settings.speechMode = !on;
        LoadSettings(&settings);
        EXPECT_EQ(settings.speechMode, on) << value;
    }
}

TEST_F(SettingsStoreTest, SpeechModeRoundTripsAndIsWrittenOnlyOnceUsed) {
    // Off and never stored: the record keeps exactly the seven values.
    CleaningSettings settings;
    ASSERT_TRUE(SaveSettings(&settings));
    EXPECT_FALSE(Stored("SpeechMode"));
    EXPECT_EQ(Stored("AfterNC"), 0u);

    settings.speechMode = true;
    ASSERT_TRUE(SaveSettings(&settings));
    EXPECT_EQ(Stored("SpeechMode"), 1u);
    CleaningSettings loaded;
    LoadSettings(&loaded);
    EXPECT_TRUE(loaded.speechMode);

    // Turned off again: stored as 0, read back as off.
    settings.speechMode = false;
    ASSERT_TRUE(SaveSettings(&settings));
    EXPECT_EQ(Stored("SpeechMode"), 0u);
    LoadSettings(&loaded);
    EXPECT_FALSE(loaded.speechMode);
}

TEST_F(SettingsStoreTest, FailedWriteShowsTheRussianBoxAndTheRestIsWritten) {
    platform::SetRegWriteFaultForTesting(
        [](RegRoot, std::string_view, std::string_view name) { return name == "NioseCancel"; });
    platform::MessageRecorder recorder;
    CleaningSettings settings;
    settings.tone = true;
    EXPECT_TRUE(SaveSettings(&settings));

    const auto messages = recorder.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Нет доступа к реестру, параметр NioseCancel");
    EXPECT_EQ(messages[0].caption, "Ошибка доступа к реестру");
    EXPECT_EQ(messages[0].flags, 0x1000u);
    EXPECT_FALSE(Stored("NioseCancel"));
    EXPECT_EQ(Stored("WiteNoise"), 1u);
    EXPECT_EQ(Stored("Tone"), 1u);
    EXPECT_EQ(Stored("AfterNC"), 0u);
}

TEST_F(SettingsStoreTest, UnwritableRegistryShowsOneBoxPerValue) {
    // A file where the registry folder should be: no write can succeed, even as root.
    const std::string blocker = m_folder.File("blocker");
    std::ofstream(blocker) << "x";
    testsupport::ScopedEnv registryDir("KESTROVA_REGISTRY_DIR", blocker + "/kestrova");
    platform::MessageRecorder recorder;
    CleaningSettings settings;
    EXPECT_TRUE(SaveSettings(&settings));
    EXPECT_TRUE(SaveLanguage(true));
    std::vector<std::string> texts;
    for (const auto& message : recorder.Messages()) {
        texts.push_back(message.text);
    }
    const std::string prefix = "Нет доступа к реестру, параметр ";
    EXPECT_EQ(texts, (std::vector<std::string>{prefix + "NioseCancel", prefix + "WiteNoise",
                                               prefix + "Spectrum", prefix + "Tone",
                                               prefix + "GainMaxDB", prefix + "BuffSize",
                                               prefix + "AfterNC", prefix + "EnglishGUI"}));
}

TEST_F(SettingsStoreTest, LanguageZeroIsRussianAnythingElseEnglish) {
    bool english = true;
    Store("EnglishGUI", 0);
    ASSERT_TRUE(LoadLanguage(&english));
    EXPECT_FALSE(english);
    Store("EnglishGUI", 5);
    LoadLanguage(&english);
    EXPECT_TRUE(english);

    EXPECT_TRUE(SaveLanguage(false));
    EXPECT_EQ(Stored("EnglishGUI"), 0u);
    LoadLanguage(&english);
    EXPECT_FALSE(english);
    EXPECT_TRUE(SaveLanguage(true));
    EXPECT_EQ(Stored("EnglishGUI"), 1u);
}

TEST_F(SettingsStoreTest, NoRecordOrDestinationIsRefused) {
    EXPECT_FALSE(LoadSettings(nullptr));
    EXPECT_FALSE(SaveSettings(nullptr));
    EXPECT_FALSE(LoadLanguage(nullptr));
    EXPECT_TRUE(fs::is_empty(m_folder.Path()));
}

TEST_F(SettingsStoreTest, RegKeyWritesOnlyDwords) {
    const CRegKey key;
    EXPECT_FALSE(key.Write(kSettingsKeyPath, "Tone", 1, 1 /* REG_SZ */));
    EXPECT_FALSE(Stored("Tone"));
    EXPECT_TRUE(key.Write("SOFTWARE\\Kestrova\\Hushdesk\\Other", "Tone", 3));
    uint32_t value = 0;
    EXPECT_TRUE(key.Read("software\\kestrova\\hushdesk\\other", "TONE", value));
    EXPECT_EQ(value, 3u);
    value = 99;
    EXPECT_FALSE(key.Read(kSettingsKeyPath, "Tone", value));
    EXPECT_EQ(value, 99u);
}

}  // namespace
