// The sample installation medium in samples/setup-medium, read as Setup reads
// it: both language files offer themselves, describe the same installation
// (so the English and the Russian page run the same installers), and every
// installer they name is there to run, apart from the two that are missing
// on purpose.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "installer/Config.h"
#include "installer/LangDlgItem.h"
#include "installer/Log.h"
#include "platform/CommandLine.h"
#include "platform/Process.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedCurrentDirectory.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace installer {
namespace {

// What a page of the medium runs and how its rows depend on each other,
// without the texts, which differ by language.
std::string WhatRuns(const SetupItem& item) {
    std::ostringstream out;
    out << item.Action << " type=" << item.Type << " product=" << item.ProductCode
        << " registry=" << item.ProductRegistryString << " run=" << item.CommandLine
        << " installed-run=" << item.InstalledCommandLine << " check=" << item.CheckCommandLine
        << " warns=" << !item.InstalledWarning.empty();
    for (const std::string& name : item.Depends) {
        out << " depends=" << name;
    }
    for (const std::string& name : item.AntiDepends) {
        out << " conflicts=" << name;
    }
    for (const FeatureRule& rule : item.FeatureDepends) {
        out << " feature=" << rule.Product << "/" << rule.Feature << ":" << !rule.Text.empty();
    }
    for (const FeatureRule& rule : item.FeatureAntiDepends) {
        out << " anti-feature=" << rule.Product << "/" << rule.Feature << ":" << !rule.Text.empty();
    }
    for (const ShellExecuteEntry& entry : item.shellExecutes) {
        out << " opens=" << entry.File;
    }
    return out.str();
}

std::vector<std::string> WhatRuns(const std::vector<SetupItem>& items) {
    std::vector<std::string> lines;
    for (const SetupItem& item : items) {
        lines.push_back(WhatRuns(item));
    }
    return lines;
}

class SampleMediumTest : public ::testing::Test {
protected:
    SampleMediumTest() {
        std::filesystem::copy(std::string(SAMPLE_MEDIUM) + "/seed", m_registry.Path());
        SetLogSinkForTesting([](const std::string&) {});
    }
    ~SampleMediumTest() override { SetLogSinkForTesting({}); }

    testsupport::TempFolder m_registry;
    testsupport::ScopedEnv m_registryDir{"KESTROVA_REGISTRY_DIR", m_registry.Path()};
    testsupport::ScopedCurrentDirectory m_cwd{SAMPLE_MEDIUM};
};

TEST_F(SampleMediumTest, EnglishAndRussianOfferThemselvesAndRunTheSameInstallers) {
    const LangDlgItem english("1033.xml");
    const LangDlgItem russian("1049.xml");
    EXPECT_EQ(english.ID, 1033);
    EXPECT_EQ(english.Default, 1);
    EXPECT_EQ(english.Name, "English");
    EXPECT_EQ(russian.ID, 1049);
    EXPECT_EQ(russian.Name, "Русский");
    EXPECT_FALSE(russian.BtnOk.empty());

    const Config en("1033.xml");
    const Config ru("1049.xml");
    ASSERT_EQ(en.mainItems.size(), 7u) << "the English file did not read";
    EXPECT_EQ(WhatRuns(ru.mainItems), WhatRuns(en.mainItems));
    EXPECT_EQ(WhatRuns(ru.prerequisites), WhatRuns(en.prerequisites));
    EXPECT_EQ(ru.MaxItemsInColumn, en.MaxItemsInColumn);
    EXPECT_EQ(ru.ReadmeHref, en.ReadmeHref);
    for (const Config* config : {&en, &ru}) {
        for (const SetupItem& item : config->mainItems) {
            EXPECT_FALSE(item.Title.empty()) << item.Action;
        }
        EXPECT_FALSE(config->ExitLabel.empty());
        EXPECT_FALSE(config->ReadmeLabel.empty());
    }
    // The seeded runtime is dropped; only the sound kit is left to install.
    ASSERT_EQ(en.prerequisites.size(), 1u);
    EXPECT_EQ(en.prerequisites[0].Action, "SoundKit");
    EXPECT_FALSE(en.hasBlockingMessage);
}

TEST_F(SampleMediumTest, EveryInstallerAndDocumentIsThereExceptTheMissingOnes) {
    const Config config("1033.xml");
    std::vector<SetupItem> items = config.mainItems;
    items.insert(items.end(), config.prerequisites.begin(), config.prerequisites.end());
    for (const SetupItem& item : items) {
        for (const std::string* line : {&item.CommandLine, &item.InstalledCommandLine}) {
            if (line->empty()) {
                continue;
            }
            const auto words = platform::CommandLineArguments(*line);
            ASSERT_TRUE(words && !words->empty()) << *line;
            const bool meantToBeMissing = item.Action == "Extras" || item.Action == "Legacy";
            EXPECT_EQ(access(words->front().c_str(), X_OK) == 0, !meantToBeMissing)
                << item.Action << ": " << *line;
        }
        for (const ShellExecuteEntry& entry : item.shellExecutes) {
            EXPECT_TRUE(std::filesystem::is_regular_file(entry.File)) << entry.File;
        }
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(config.ReadmeHref));

    // Which rows the page shows and which it greys out for missing files.
    std::map<std::string, const SetupItem*> byAction;
    for (const SetupItem& item : config.mainItems) {
        byAction[item.Action] = &item;
    }
    EXPECT_TRUE(byAction.at("Hushdesk")->filesPresent);
    EXPECT_TRUE(byAction.at("Hushdesk")->enabled);
    EXPECT_FALSE(byAction.at("Extras")->filesPresent);
    EXPECT_FALSE(IsVisible(*byAction.at("Legacy")));
    EXPECT_FALSE(byAction.at("HushdeskClean")->enabled) << "needs Hushdesk first";
}

TEST_F(SampleMediumTest, TheBlockingMediumShowsOnlyItsMessage) {
    const Config config("blocking/1033.xml");
    EXPECT_TRUE(config.hasBlockingMessage);
    ASSERT_EQ(config.prerequisites.size(), 1u);
    EXPECT_FALSE(config.prerequisites[0].Message.empty());
}

// The uninstaller removes what its manifest lists: an edited manifest must not
// make it remove files outside the prefix.
TEST_F(SampleMediumTest, TheUninstallerRefusesManifestsThatReachOutsideThePrefix) {
    testsupport::TempFolder prefix;
    testsupport::TempFolder elsewhere;
    std::filesystem::create_directories(prefix.File("share/hushdesk"));
    std::filesystem::create_directories(prefix.File("bin"));
    testsupport::WriteText(prefix.File("bin/hushdesk"), "x");
    testsupport::WriteText(elsewhere.File("precious"), "x");
    std::filesystem::create_directory_symlink(elsewhere.Path(), prefix.File("linked"));
    testsupport::ScopedEnv prefixEnv("HUSHDESK_PREFIX", prefix.Path());
    const std::string manifest = prefix.File("share/hushdesk/install_manifest.txt");
    const std::string outside[] = {elsewhere.File("precious"),
                                   prefix.File("bin/../../") +
                                       std::filesystem::path(elsewhere.Path()).filename().string() +
                                       "/precious",
                                   prefix.File("linked/precious")};
    for (const std::string& path : outside) {
        testsupport::WriteText(manifest, prefix.File("bin/hushdesk") + "\n" + path);
        const auto child = platform::StartProcess({"bin/uninstall-hushdesk.sh"}, "");
        ASSERT_TRUE(child);
        const int status = platform::WaitForExit(*child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << path;
        EXPECT_TRUE(std::filesystem::exists(elsewhere.File("precious"))) << path;
        EXPECT_TRUE(std::filesystem::exists(prefix.File("bin/hushdesk"))) << path;
        EXPECT_TRUE(std::filesystem::exists(manifest)) << path;
    }
}

}  // namespace
}  // namespace installer
