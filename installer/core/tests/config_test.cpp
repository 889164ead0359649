#include "installer/Config.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "SetupTestSupport.h"
#include "platform/Registry.h"
#include "testsupport/Files.h"

namespace installer {
namespace {

using platform::RegRoot;
using ::testing::ElementsAre;
using ::testing::Pair;

constexpr char kProductA[] = "{11111111-2222-3333-4444-555555555555}";

class ConfigTest : public testing::SetupTest {
protected:
    Config Read(const std::string& xml) {
        WriteMediumFile("1033.xml", xml);
        return Config("1033.xml");
    }
    void MarkUninstallable(const std::string& name) {
        ASSERT_EQ(platform::RegWriteString(
                      RegRoot::LocalMachine,
                      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name,
                      "UninstallString", "remove " + name),
                  platform::RegStatus::Ok);
    }
    void SetFeature(const char* product, const char* feature, uint32_t state) {
        ASSERT_EQ(platform::RegWriteDword(RegRoot::LocalMachine,
                                          std::string("SOFTWARE\\Kestrova\\Installer\\Products\\") +
                                              product + "\\Features",
                                          feature, state),
                  platform::RegStatus::Ok);
    }
};

constexpr char kFullSchema[] = R"(<?xml version="1.0" encoding="utf-8"?>
<AutoRun>
  <LangSelectionDlg ID="1033" Default="1" Name="English"/>
  <Windows MinVersion="5.1" Message="Needs XP">
    <If Version="5.1" ThenNeed="Service Pack 2" Message="Needs SP2"/>
    <If OsVersion="5.0" Version="5.2" ThenNeed="Service Pack 1" Message="m2"/>
    <If Version="5.0" OsVersion="6.0"/>
  </Windows>
  <If Version="9.9" Message="outside Windows: ignored"/>
  <Prerequisites Title="Before you start" Description="These are missing"
                 InstallLabel="Install them" NotInstalledDescription="Still missing">
    <Item Action="Runtime" Title="Runtime" CommandLine="bin/runtime.sh" Message="Stop"/>
  </Prerequisites>
  <Item Action="Main" Title="Hushdesk" InstalledDescription="Ready" NotInstalledDescription="Not yet"
        ProductCode="{11111111-2222-3333-4444-555555555555}" CommandLine="bin/install.sh"
        CommandLineX64="bin/install64.sh" InstalledCommandLine="bin/remove.sh"
        InstalledWarning="Remove?" MinVersion="1.0" Message="msg" CheckMSSQL2000="yes"
        MSSQL2000InstalledDescription="Old tools" Type="blue" ProductRegistryString=""
        CheckCommandLine="checkAndHide" FileNotFoundDescription="Gone" SetCurrentDirectory="bin"
        HideIfInstalled="yes" Unknown="ignored">
    <AltProductCode>  {AAAAAAAA-2222-3333-4444-555555555555}
    </AltProductCode>
    <Command>bin/first.sh</Command>
    <IntelliCommand ProductCode="{P}" ProductFeature="F" NotInstalledCommand="ni" InstalledCommand="i"
                    NotInstalledCommandX64="ni64" OsMinVersion="5.0" OsMaxVersion="6.1"/>
    <ShellExecute File="docs/guide.pdf" Parameters="-p"/>
    <AltProductRegistryString>OldHushdesk</AltProductRegistryString>
    <Depends Item="Base"/>
    <Depends Item="Other"/>
    <FeatureDepends Product="{P}" Feature="Engine" NotInstalledText="first" Text="second"/>
    <AntiDepends Item="Legacy"/>
    <FeatureAntiDepends Product="{Q}" Feature="Old" Text="conflict" DisableOnItemAlreadyInstalled="no"/>
    <FeatureAntiDepends Product="{Q}" Feature="Old2"/>
  </Item>
  <Item Action="Second"/>
  <MainDialog Title="Setup" Company="Kestrova" Width="640" MaxItemsInColumn="4"
              ReadmeLabel="Read me" ReadmeHref="README.html" ExitLabel="Exit"/>
</AutoRun>
)";

TEST_F(ConfigTest, ReadsEveryElementAttributeAndChildOfTheSchema) {
    const Config config = Read(kFullSchema);

    EXPECT_EQ(config.Title, "Setup");
    EXPECT_EQ(config.Company, "Kestrova");
    EXPECT_EQ(config.Width, 640);
    EXPECT_EQ(config.MaxItemsInColumn, 4);
    EXPECT_EQ(config.ReadmeLabel, "Read me");
    EXPECT_EQ(config.ReadmeHref, "README.html");
    EXPECT_EQ(config.ExitLabel, "Exit");
    EXPECT_EQ(config.prerequisitesTexts.Title, "Before you start");
    EXPECT_EQ(config.prerequisitesTexts.Description, "These are missing");
    EXPECT_EQ(config.prerequisitesTexts.InstallLabel, "Install them");
    EXPECT_EQ(config.prerequisitesTexts.NotInstalledDescription, "Still missing");
    EXPECT_EQ(config.WindowsMinVersion, "5.1");
    EXPECT_EQ(config.WindowsMessage, "Needs XP");
    // Version and OsVersion fill one field; the later attribute wins. An If
    // outside Windows is not a rule.
    ASSERT_EQ(config.windowsRules.size(), 3u);
    EXPECT_EQ(config.windowsRules[0].OsVersion, "5.1");
    EXPECT_EQ(config.windowsRules[0].ThenNeed, "Service Pack 2");
    EXPECT_EQ(config.windowsRules[0].Message, "Needs SP2");
    EXPECT_EQ(config.windowsRules[1].OsVersion, "5.2");
    EXPECT_EQ(config.windowsRules[2].OsVersion, "6.0");

    ASSERT_EQ(config.prerequisites.size(), 1u);
    EXPECT_EQ(config.prerequisites[0].Action, "Runtime");
    EXPECT_THAT(config.prerequisiteIndex, ElementsAre(Pair("Runtime", 0u)));
    EXPECT_TRUE(config.hasBlockingMessage);

    ASSERT_EQ(config.mainItems.size(), 2u);
    EXPECT_THAT(config.mainIndex, ElementsAre(Pair("Main", 0u), Pair("Second", 1u)));
    const SetupItem& item = config.mainItems[0];
    EXPECT_EQ(item.Title, "Hushdesk");
    EXPECT_EQ(item.InstalledDescription, "Ready");
    EXPECT_EQ(item.NotInstalledDescription, "Not yet");
    EXPECT_EQ(item.ProductCode, kProductA);
    EXPECT_EQ(item.CommandLine, "bin/install.sh");
    EXPECT_EQ(item.CommandLineX64, "bin/install64.sh");
    EXPECT_TRUE(item.hasCommandLineX64);
    EXPECT_EQ(item.InstalledCommandLine, "bin/remove.sh");
    EXPECT_FALSE(item.hasInstalledCommandLineX64);
    EXPECT_EQ(item.InstalledWarning, "Remove?");
    EXPECT_EQ(item.MinVersion, "1.0");
    EXPECT_EQ(item.Message, "msg");
    EXPECT_TRUE(item.CheckMSSQL2000);
    EXPECT_EQ(item.MSSQL2000InstalledDescription, "Old tools");
    EXPECT_EQ(item.Type, "blue");
    EXPECT_EQ(item.CheckCommandLine, kCheckAndHide);
    EXPECT_EQ(item.FileNotFoundDescription, "Gone");
    EXPECT_EQ(item.SetCurrentDirectory, File("bin"));
    EXPECT_TRUE(item.HideIfInstalled);
    EXPECT_THAT(item.AltProductCode, ElementsAre("{AAAAAAAA-2222-3333-4444-555555555555}"));
    EXPECT_THAT(item.AltProductRegistryString, ElementsAre("OldHushdesk"));
    ASSERT_EQ(item.commands.size(), 2u);
    EXPECT_EQ(item.commands[0].NotInstalledCommand, "bin/first.sh");
    EXPECT_EQ(item.commands[0].ProductCode, "");
    const IntelliCommandEntry& intelli = item.commands[1];
    EXPECT_EQ(intelli.ProductCode, "{P}");
    EXPECT_EQ(intelli.ProductFeature, "F");
    EXPECT_EQ(intelli.NotInstalledCommand, "ni");
    EXPECT_EQ(intelli.InstalledCommand, "i");
    EXPECT_EQ(intelli.NotInstalledCommandX64, "ni64");
    EXPECT_TRUE(intelli.hasNotInstalledCommandX64);
    EXPECT_FALSE(intelli.hasInstalledCommandX64);
    EXPECT_EQ(intelli.OsMinVersion, "5.0");
    EXPECT_EQ(intelli.OsMaxVersion, "6.1");
    ASSERT_EQ(item.shellExecutes.size(), 1u);
    EXPECT_EQ(item.shellExecutes[0].File, "docs/guide.pdf");
    EXPECT_EQ(item.shellExecutes[0].Parameters, "-p");
    EXPECT_THAT(item.Depends, ElementsAre("Base", "Other"));
    EXPECT_THAT(item.AntiDepends, ElementsAre("Legacy"));
    ASSERT_EQ(item.FeatureDepends.size(), 1u);
    EXPECT_EQ(item.FeatureDepends[0].Text, "second");  // NotInstalledText, then Text: the later
    ASSERT_EQ(item.FeatureAntiDepends.size(), 2u);
    EXPECT_EQ(item.FeatureAntiDepends[0].Product, "{Q}");
    EXPECT_EQ(item.FeatureAntiDepends[0].Feature, "Old");
    EXPECT_EQ(item.FeatureAntiDepends[0].Text, "conflict");
    EXPECT_FALSE(item.FeatureAntiDepends[0].DisableOnItemAlreadyInstalled);
    EXPECT_TRUE(item.FeatureAntiDepends[1].DisableOnItemAlreadyInstalled);

    const SetupItem& plain = config.mainItems[1];
    EXPECT_EQ(plain.FileNotFoundDescription, "Installation file is not found on this disk");
    EXPECT_EQ(plain.CheckCommandLine, kCheckCommandLineOff);
    EXPECT_EQ(plain.SetCurrentDirectory, "");
    EXPECT_FALSE(plain.CheckMSSQL2000);
    EXPECT_FALSE(plain.HideIfInstalled);
    EXPECT_TRUE(plain.filesPresent);
}

TEST_F(ConfigTest, ElementOrderInTheFileDoesNotChangeTheModel) {
    const Config shuffled = Read(R"(<AutoRun>
      <MainDialog Title="T" Width="500"/>
      <Item Action="B"/>
      <Prerequisites Title="P"><Item Action="R"/></Prerequisites>
      <Item Action="A"/>
      <Windows MinVersion="5.0"><If Version="5.0"/></Windows>
    </AutoRun>)");
    EXPECT_EQ(shuffled.Title, "T");
    EXPECT_EQ(shuffled.Width, 500);
    EXPECT_EQ(shuffled.prerequisitesTexts.Title, "P");
    ASSERT_EQ(shuffled.prerequisites.size(), 1u);
    ASSERT_EQ(shuffled.mainItems.size(), 2u);
    EXPECT_EQ(shuffled.mainItems[0].Action, "B");
    EXPECT_EQ(shuffled.mainItems[1].Action, "A");
    EXPECT_EQ(shuffled.WindowsMinVersion, "5.0");
    EXPECT_EQ(shuffled.windowsRules.size(), 1u);
}

TEST_F(ConfigTest, IntegersKeepTheirDefaultUnlessTheyStartWithAPositiveNumber) {
    struct Case {
        const char* width;
        const char* maxItems;
        int expectedWidth;
        int expectedMax;
    };
    const Case cases[] = {
        {"640", "3", 640, 3},
        {" 640", "\t3", 640, 3},
        {"+640", "+3", 640, 3},
        {"12abc", "5px", 12, 5},
        {"abc", "x", 480, 7},
        {"", "", 480, 7},
        {"99999999999", "99999999999", 480, 7},
        {"0", "0", 480, 7},
        {"-3", "-3", 480, 7},
        {"0x10", "0x10", 480, 7},
    };
    for (const Case& c : cases) {
        const Config config = Read(std::string("<AutoRun><MainDialog Width=\"") + c.width +
                                   "\" MaxItemsInColumn=\"" + c.maxItems + "\"/></AutoRun>");
        EXPECT_EQ(config.Width, c.expectedWidth) << c.width;
        EXPECT_EQ(config.MaxItemsInColumn, c.expectedMax) << c.maxItems;
    }
}

TEST_F(ConfigTest, BooleansAreTrueOnlyForExactlyYes) {
    const Config config = Read(R"(<AutoRun>
      <Item Action="a" HideIfInstalled="yes" CheckMSSQL2000="yes">
        <FeatureAntiDepends Product="p" Feature="f" DisableOnItemAlreadyInstalled="yes"/>
      </Item>
      <Item Action="b" HideIfInstalled="Yes" CheckMSSQL2000="true">
        <FeatureAntiDepends Product="p" Feature="f" DisableOnItemAlreadyInstalled="Yes"/>
      </Item>
      <Item Action="c" hideifinstalled="yes" CheckCommandLine="CheckAndShow">
        <FeatureAntiDepends Product="p" Feature="f"/>
      </Item>
    </AutoRun>)");
    ASSERT_EQ(config.mainItems.size(), 3u);
    EXPECT_TRUE(config.mainItems[0].HideIfInstalled);
    EXPECT_TRUE(config.mainItems[0].CheckMSSQL2000);
    EXPECT_TRUE(config.mainItems[0].FeatureAntiDepends[0].DisableOnItemAlreadyInstalled);
    EXPECT_FALSE(config.mainItems[1].HideIfInstalled);
    EXPECT_FALSE(config.mainItems[1].CheckMSSQL2000);
    EXPECT_FALSE(config.mainItems[1].FeatureAntiDepends[0].DisableOnItemAlreadyInstalled);
    EXPECT_FALSE(config.mainItems[2].HideIfInstalled);  // names are case-sensitive
    EXPECT_EQ(config.mainItems[2].CheckCommandLine, kCheckCommandLineOff);
    EXPECT_TRUE(config.mainItems[2].FeatureAntiDepends[0].DisableOnItemAlreadyInstalled);
}

TEST_F(ConfigTest, ChildElementsFollowTheirOwnRules) {
    const Config config = Read(R"(<AutoRun><Item Action="a">
      <Command/>
      <IntelliCommand/>
      <ShellExecute/>
      <IntelliCommand Other="x"/>
      <Command>
        bin/run.sh
        --quiet
      </Command>
      <Command>bin/<![CDATA[a&b]]>.sh<!-- note -->x &amp; y</Command>
      <Depends/>
      <Depends Item=""/>
      <Sub><Depends Item="deep"/></Sub>
    </Item></AutoRun>)");
    ASSERT_EQ(config.mainItems.size(), 1u);
    const SetupItem& item = config.mainItems[0];
    // An empty Command adds an entry; attribute-less IntelliCommand and
    // ShellExecute add none; one with only unknown attributes adds one.
    ASSERT_EQ(item.commands.size(), 4u);
    EXPECT_EQ(item.commands[0].NotInstalledCommand, "");
    EXPECT_EQ(item.commands[1].NotInstalledCommand, "");
    EXPECT_EQ(item.commands[2].NotInstalledCommand, "bin/run.sh\n        --quiet");
    EXPECT_EQ(item.commands[3].NotInstalledCommand, "bin/a&b.shx & y");
    EXPECT_TRUE(item.shellExecutes.empty());
    EXPECT_THAT(item.Depends, ElementsAre(""));
}

TEST_F(ConfigTest, InstalledPrerequisitesAreDroppedAndDoNotBlock) {
    MarkUninstallable("Runtime");
    const Config config = Read(R"(<AutoRun><Prerequisites>
      <Item Action="Installed" ProductRegistryString="Runtime" Message="would block"/>
      <Item Action="Missing" ProductRegistryString="Absent"/>
    </Prerequisites></AutoRun>)");
    ASSERT_EQ(config.prerequisites.size(), 1u);
    EXPECT_EQ(config.prerequisites[0].Action, "Missing");
    EXPECT_THAT(config.prerequisiteIndex, ElementsAre(Pair("Missing", 0u)));
    EXPECT_FALSE(config.hasBlockingMessage);
    EXPECT_TRUE(config.prerequisites[0].enabled);
}

TEST_F(ConfigTest, DuplicateActionsAreBothListedAndTheIndexNamesTheLater) {
    const Config config = Read(
        R"(<AutoRun><Item Action="X" Title="1"/><Item Action="Y"/><Item Action="X" Title="2"/></AutoRun>)");
    ASSERT_EQ(config.mainItems.size(), 3u);
    EXPECT_THAT(config.mainIndex, ElementsAre(Pair("X", 2u), Pair("Y", 1u)));
}

TEST_F(ConfigTest, WorkingDirectoryIsJoinedToTheCurrentDirectoryUnlessAbsolute) {
    const std::string longName(2000, 'd');
    const Config config = Read(
        "<AutoRun><Item SetCurrentDirectory=\"sub\\dir\"/>"
        "<Item SetCurrentDirectory=\"/opt/medium\"/>"
        "<Item SetCurrentDirectory=\"\"/>"
        "<Item SetCurrentDirectory=\"" +
        longName + "\"/></AutoRun>");
    ASSERT_EQ(config.mainItems.size(), 4u);
    EXPECT_EQ(config.mainItems[0].SetCurrentDirectory, File("sub/dir"));
    EXPECT_EQ(config.mainItems[1].SetCurrentDirectory, "/opt/medium");
    EXPECT_EQ(config.mainItems[2].SetCurrentDirectory, m_medium.Path() + "/");
    EXPECT_EQ(config.mainItems[3].SetCurrentDirectory, File(longName));
}

TEST_F(ConfigTest, UnreadableFilesGiveAnEmptyConfigurationAndBothLogLines) {
    const std::string cases[] = {
        "",                                                                    // empty
        "<AutoRun><Item Action=\"a\"/><Item Action=\"b\"><broken></AutoRun>",  // malformed
        "<AutoRun><Item Action=\"a\"/><Item Action=\"b\"",                     // truncated
        "<?xml version=\"1.0\" encoding=\"x-no-such-code-page\"?><AutoRun><Item/></AutoRun>",
    };
    for (const std::string& text : cases) {
        m_log.Clear();
        const Config config = Read(text);
        EXPECT_TRUE(config.mainItems.empty()) << text;
        EXPECT_EQ(config.Width, 480);
        EXPECT_EQ(config.MaxItemsInColumn, 7);
        EXPECT_THAT(m_log.Lines(),
                    ElementsAre("Config::Config - started\n", "Config::Config - finished\n"));
    }
    m_log.Clear();
    const Config missing("no-such.xml");
    EXPECT_TRUE(missing.mainItems.empty());
    EXPECT_THAT(m_log.Lines(),
                ElementsAre("Config::Config - started\n", "Config::Config - finished\n"));
    EXPECT_TRUE(Read("<Setup><Item Action=\"a\"/></Setup>").mainItems.empty());  // wrong root
}

TEST_F(ConfigTest, LegacyCodePagesAndUtf16AreReadAsTheyAreDeclared) {
    // "Установка" in windows-1251.
    const std::string cp1251 =
        "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<AutoRun><MainDialog Title=\""
        "\xD3\xF1\xF2\xE0\xED\xEE\xE2\xEA\xE0\"/></AutoRun>";
    EXPECT_EQ(Read(cp1251).Title, "Установка");

    const std::string ascii = "<AutoRun><MainDialog Title=\"Setup\"/></AutoRun>";
    std::string utf16 = "\xFF\xFE";
    for (char c : ascii) {
        utf16 += c;
        utf16 += '\0';
    }
    EXPECT_EQ(Read(utf16).Title, "Setup");
    EXPECT_EQ(Read("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1251\"?>"
                   "<AutoRun><MainDialog Title=\"Установка\"/></AutoRun>")
                  .Title,
              "Установка");  // the byte-order mark wins over the declaration
}

// A translator's windows-1251 file that declares UTF-8, or nothing: one bad
// byte used to give a white window with probes and launches still running.
TEST_F(ConfigTest, TextThatIsNotUtf8IsUnreadableAndTheLogNamesTheByte) {
    const std::string cases[] = {
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<AutoRun><Item Action=\"a\" "
        "Title=\"\xD3\xF1\"/></AutoRun>",
        "<AutoRun><Item Action=\"a\" Title=\"\xD3\xF1\"/></AutoRun>",
    };
    for (const std::string& text : cases) {
        m_log.Clear();
        const Config config = Read(text);
        EXPECT_TRUE(config.mainItems.empty()) << text;
        const size_t offset = text.find('\xD3');
        EXPECT_THAT(m_log.Lines(),
                    ElementsAre("Config::Config - started\n",
                                "Config::Config - 1033.xml is not valid UTF-8 (byte " +
                                    std::to_string(offset) + "), so it is not read\n",
                                "Config::Config - finished\n"));
    }
    // Valid UTF-8, a byte-order mark included, still reads.
    EXPECT_EQ(Read("\xEF\xBB\xBF<AutoRun><Item Action=\"a\" Title=\"Установка\"/></AutoRun>")
                  .mainItems.at(0)
                  .Title,
              "Установка");
}

// --- UpdateEnabled and IsVisible ---

class UpdateEnabledTest : public ConfigTest {};

TEST_F(UpdateEnabledTest, DependsAndAntiDependsFollowTheStateOfTheNamedItems) {
    MarkUninstallable("On");
    const Config config = Read(R"(<AutoRun>
      <Item Action="On" ProductRegistryString="On"/>
      <Item Action="Off"/>
      <Item Action="NeedsOn"><Depends Item="On"/></Item>
      <Item Action="NeedsOff"><Depends Item="On"/><Depends Item="Off"/></Item>
      <Item Action="NeedsMissing"><Depends Item="Nobody"/></Item>
      <Item Action="AgainstOn"><AntiDepends Item="On"/></Item>
      <Item Action="AgainstOff"><AntiDepends Item="Off"/></Item>
      <Item Action="AgainstMissing"><AntiDepends Item="Nobody"/></Item>
    </AutoRun>)");
    std::vector<std::pair<std::string, bool>> enabled;
    for (const SetupItem& item : config.mainItems) {
        enabled.emplace_back(item.Action, item.enabled);
    }
    EXPECT_THAT(enabled, ElementsAre(Pair("On", true), Pair("Off", true), Pair("NeedsOn", true),
                                     Pair("NeedsOff", false), Pair("NeedsMissing", false),
                                     Pair("AgainstOn", false), Pair("AgainstOff", true),
                                     Pair("AgainstMissing", false)));
}

TEST_F(UpdateEnabledTest, DependsAndAntiDependsResolveDuplicateActionsToTheLaterItem) {
    MarkUninstallable("On");
    const Config config = Read(R"(<AutoRun>
      <Item Action="Dup" ProductRegistryString="On"/>
      <Item Action="Dup"/>
      <Item Action="Needs"><Depends Item="Dup"/></Item>
    </AutoRun>)");
    EXPECT_FALSE(config.mainItems[2].enabled);
}

TEST_F(UpdateEnabledTest, FeatureRulesSetTheirTextsAndNoLaterRuleReenables) {
    SetFeature(kProductA, "Engine", 3);
    SetFeature(kProductA, "Absent", 2);
    const Config config = Read(R"(<AutoRun>
      <Item Action="NeedsEngine">
        <FeatureDepends Product="{11111111-2222-3333-4444-555555555555}" Feature="Engine" Text="t0"/>
      </Item>
      <Item Action="NeedsAbsent">
        <FeatureDepends Product="{11111111-2222-3333-4444-555555555555}" Feature="Engine" Text="t0"/>
        <FeatureDepends Product="{11111111-2222-3333-4444-555555555555}" Feature="Absent" Text="need"/>
        <FeatureDepends Product="{11111111-2222-3333-4444-555555555555}" Feature="Other" Text="later"/>
        <AntiDepends Item="NeedsEngine"/>
      </Item>
      <Item Action="Conflicts">
        <FeatureAntiDepends Product="{11111111-2222-3333-4444-555555555555}" Feature="Absent" Text="no"/>
        <FeatureAntiDepends Product="{11111111-2222-3333-4444-555555555555}" Feature="Engine" Text="clash"/>
        <FeatureAntiDepends Product="{11111111-2222-3333-4444-555555555555}" Feature="Engine" Text="second"/>
      </Item>
    </AutoRun>)");
    EXPECT_TRUE(config.mainItems[0].enabled);
    EXPECT_EQ(config.mainItems[0].dependencyText, "");
    EXPECT_FALSE(config.mainItems[1].enabled);
    EXPECT_EQ(config.mainItems[1].dependencyText, "need");
    EXPECT_FALSE(config.mainItems[2].enabled);
    EXPECT_EQ(config.mainItems[2].conflictText, "clash");
}

TEST_F(UpdateEnabledTest, FeatureAntiDependsMaySpareAnItemThatIsAlreadyInstalled) {
    SetFeature(kProductA, "Old", 3);
    MarkUninstallable("Here");
    // (item installed, DisableOnItemAlreadyInstalled) -> enabled
    const Config config = Read(R"(<AutoRun>
      <Item Action="a" ProductRegistryString="Here"><FeatureAntiDepends Product="{11111111-2222-3333-4444-555555555555}" Feature="Old" Text="c" DisableOnItemAlreadyInstalled="no"/></Item>
      <Item Action="b" ProductRegistryString="Here"><FeatureAntiDepends Product="{11111111-2222-3333-4444-555555555555}" Feature="Old" Text="c"/></Item>
      <Item Action="c"><FeatureAntiDepends Product="{11111111-2222-3333-4444-555555555555}" Feature="Old" Text="c" DisableOnItemAlreadyInstalled="no"/></Item>
      <Item Action="d"><FeatureAntiDepends Product="{11111111-2222-3333-4444-555555555555}" Feature="Old" Text="c"/></Item>
    </AutoRun>)");
    EXPECT_TRUE(config.mainItems[0].enabled);
    EXPECT_EQ(config.mainItems[0].conflictText, "");
    EXPECT_FALSE(config.mainItems[1].enabled);
    EXPECT_FALSE(config.mainItems[2].enabled);
    EXPECT_FALSE(config.mainItems[3].enabled);
    EXPECT_EQ(config.mainItems[3].conflictText, "c");
}

TEST_F(UpdateEnabledTest, MissingFilesDisableCheckAndShowAndHideCheckAndHide) {
    WriteMediumProgram("bin/present.sh");
    Config config = Read(R"(<AutoRun>
      <Item Action="Show" CheckCommandLine="checkAndShow" CommandLine="bin/missing.sh"/>
      <Item Action="Hide" CheckCommandLine="checkAndHide" CommandLine="bin/missing.sh"><Depends Item="Nobody"/></Item>
      <Item Action="Here" CheckCommandLine="checkAndShow" CommandLine="bin/present.sh --go"/>
    </AutoRun>)");
    EXPECT_FALSE(config.mainItems[0].filesPresent);
    EXPECT_FALSE(config.mainItems[0].enabled);
    EXPECT_TRUE(IsVisible(config.mainItems[0]));
    EXPECT_FALSE(IsVisible(config.mainItems[1]));
    EXPECT_FALSE(config.mainItems[1].enabled);  // still evaluated
    EXPECT_TRUE(config.mainItems[2].filesPresent);
    EXPECT_TRUE(config.mainItems[2].enabled);

    // checkAndShow with missing files leaves the texts of the last evaluation.
    config.mainItems[0].dependencyText = "kept";
    config.UpdateEnabled();
    EXPECT_EQ(config.mainItems[0].dependencyText, "kept");

    config.mainItems[2].installed = true;
    config.mainItems[2].HideIfInstalled = true;
    EXPECT_FALSE(IsVisible(config.mainItems[2]));
}

}  // namespace
}  // namespace installer
