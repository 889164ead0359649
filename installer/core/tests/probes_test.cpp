#include "installer/Probes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "SetupTestSupport.h"
#include "installer/EnvironmentReaders.h"
#include "installer/ProbeConstants.h"
#include "platform/Registry.h"
#include "testsupport/ScopedEnv.h"

namespace installer {
namespace {

using platform::RegRoot;
using platform::RegStatus;
using ::testing::ElementsAre;
using testsupport::ScopedEnv;

constexpr char kProduct[] = "{11111111-2222-3333-4444-555555555555}";
constexpr char kOtherProduct[] = "{AAAAAAAA-2222-3333-4444-555555555555}";

void Dword(const std::string& key, const char* name, uint32_t value) {
    ASSERT_EQ(platform::RegWriteDword(RegRoot::LocalMachine, key, name, value), RegStatus::Ok);
}

void String(const std::string& key, const char* name, const std::string& value) {
    ASSERT_EQ(platform::RegWriteString(RegRoot::LocalMachine, key, name, value), RegStatus::Ok);
}

void DotNet(const std::string& version, uint32_t install, uint32_t sp) {
    const std::string key = "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\" + version;
    Dword(key, "Install", install);
    Dword(key, "SP", sp);
}

void ProductState(const std::string& code, uint32_t state) {
    Dword("SOFTWARE\\Kestrova\\Installer\\Products\\" + code, "State", state);
}

void FeatureState(const std::string& code, const char* feature, uint32_t state) {
    Dword("SOFTWARE\\Kestrova\\Installer\\Products\\" + code + "\\Features", feature, state);
}

void Uninstall(const std::string& name, const std::string& command) {
    String("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name, "UninstallString",
           command);
}

constexpr char kNt[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kSql90[] =
    "SOFTWARE\\Microsoft\\Microsoft SQL Server\\90\\Tools\\ClientSetup\\CurrentVersion";
constexpr char kSql80[] =
    "SOFTWARE\\Microsoft\\Microsoft SQL Server\\80\\Tools\\ClientSetup\\CurrentVersion";

struct ProbeCase {
    const char* name;
    std::function<void(SetupItem&)> setUp;  // seeds the machine and fills the item
    bool installed;
};

class ProbeInstalledTest : public testing::SetupTest,
                           public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(ProbeInstalledTest, DecidesByTheActionKey) {
    SetupItem item;
    GetParam().setUp(item);
    ProbeInstalled(item);
    EXPECT_EQ(item.installed, GetParam().installed);
}

SetupItem& Named(SetupItem& item, const char* action) {
    item.Action = action;
    return item;
}

const ProbeCase kProbeCases[] = {
    {"Framework11",
     [](SetupItem& i) {
         Named(i, "Framework11");
         DotNet("v1.1.4322", 1, 0);
     },
     true},
    {"Framework11NotInstalled",
     [](SetupItem& i) {
         Named(i, "Framework11");
         DotNet("v1.1.4322", 0, 1);
     },
     false},
    {"Framework20Through35",
     [](SetupItem& i) {
         Named(i, "Framework20");
         DotNet("v3.5", 1, 0);
     },
     true},
    {"Framework20Missing",
     [](SetupItem& i) {
         Named(i, "Framework20");
         DotNet("v2.0.50727", 2, 0);
     },
     false},
    {"Framework20SP2ThroughNet35SP1",
     [](SetupItem& i) {
         Named(i, "Framework20SP2");
         DotNet("v2.0.50727", 1, 1);
         DotNet("v3.5", 1, 1);
     },
     true},
    {"Framework20SP2WithSP1Only",
     [](SetupItem& i) {
         Named(i, "Framework20SP2");
         DotNet("v2.0.50727", 1, 1);
     },
     false},
    {"Framework20SP10ReadsTen",
     [](SetupItem& i) {
         Named(i, "Framework20SP10");
         DotNet("v2.0.50727", 1, 9);
     },
     false},
    {"Framework20SP10Met",
     [](SetupItem& i) {
         Named(i, "Framework20SP10");
         DotNet("v2.0.50727", 1, 10);
     },
     true},
    {"Framework20SPIsGeneric",
     [](SetupItem& i) {
         Named(i, "Framework20SP");
         DotNet("v2.0.50727", 1, 9);
         DotNet("v3.5", 1, 1);
     },
     false},
    {"Framework20SPxIsGeneric",
     [](SetupItem& i) {
         Named(i, "Framework20SPx").ProductRegistryString = "X";
         Uninstall("X", "u");
         DotNet("v3.5", 0, 0);
     },
     true},
    {"Framework35",
     [](SetupItem& i) {
         Named(i, "Framework35");
         DotNet("v3.5", 1, 0);
     },
     true},
    {"Framework40Client",
     [](SetupItem& i) {
         Named(i, "Framework40Client");
         DotNet("v4\\Client", 1, 0);
     },
     true},
    {"Framework40ClientNotFull",
     [](SetupItem& i) {
         Named(i, "Framework40Full");
         DotNet("v4\\Client", 1, 0);
     },
     false},
    {"Framework40Full",
     [](SetupItem& i) {
         Named(i, "Framework40Full");
         DotNet("v4\\Full", 1, 0);
     },
     true},
    {"Framework35SP1",
     [](SetupItem& i) {
         Named(i, "Framework35SP1");
         DotNet("v3.5", 1, 1);
     },
     true},
    {"Framework35SP1Missing",
     [](SetupItem& i) {
         Named(i, "Framework35SP1");
         DotNet("v3.5", 1, 0);
     },
     false},
    {"KB835732OnOtherWindows",
     [](SetupItem& i) {
         Named(i, "KB835732_WIN2000");
         String(kNt, "CurrentVersion", "5.1");
     },
     true},
    {"KB835732WithNoVersionRecorded", [](SetupItem& i) { Named(i, "KB835732_WIN2000"); }, true},
    {"KB835732OnWindows2000",
     [](SetupItem& i) {
         Named(i, "KB835732_WIN2000");
         String(kNt, "CurrentVersion", "5.0");
     },
     false},
    {"KB835732OnWindows2000SP4",
     [](SetupItem& i) {
         Named(i, "KB835732_WIN2000");
         String(kNt, "CurrentVersion", "5.0");
         Dword("SOFTWARE\\Microsoft\\Updates\\Windows 2000\\SP4\\KB835732", "x", 1);
     },
     true},
    {"KB835732OnWindows2000SP5",
     [](SetupItem& i) {
         Named(i, "KB835732_WIN2000");
         String(kNt, "CurrentVersion", "5.0");
         Dword("SOFTWARE\\Microsoft\\Updates\\Windows 2000\\SP5\\KB835732", "x", 1);
     },
     true},
    {"MSSQL2005",
     [](SetupItem& i) {
         Named(i, "MSSQL2005");
         String(kSql90, "CurrentVersion", "9.00.1399.06");
     },
     true},
    {"MSSQL2005With2000ToolsOnly",
     [](SetupItem& i) {
         Named(i, "MSSQL2005");
         String(kSql80, "CurrentVersion", "8.00.194");
     },
     false},
    {"MSSQL2005Accepting2000Tools",
     [](SetupItem& i) {
         Named(i, "MSSQL2005").CheckMSSQL2000 = true;
         String(kSql80, "CurrentVersion", "8.00.194");
     },
     true},
    {"MSSQL2005TooOld",
     [](SetupItem& i) {
         Named(i, "MSSQL2005").CheckMSSQL2000 = true;
         String(kSql80, "CurrentVersion", "7.00");
     },
     false},
    {"SQLNativeCl2005",
     [](SetupItem& i) {
         Named(i, "SQLNativeCl2005");
         String("SOFTWARE\\Microsoft\\Microsoft SQL Native Client\\CurrentVersion", "Version",
                "9.00.3042.00");
     },
     true},
    {"SQLNativeCl2005TooOld",
     [](SetupItem& i) {
         Named(i, "SQLNativeCl2005");
         String("SOFTWARE\\Microsoft\\Microsoft SQL Native Client\\CurrentVersion", "Version",
                "8.9");
     },
     false},
    {"MDAC",
     [](SetupItem& i) {
         Named(i, "MDAC").MinVersion = "2.8";
         String("SOFTWARE\\Microsoft\\DataAccess", "FullInstallVer", "2.81.1117.0");
     },
     true},
    {"MDACTenIsAboveTwo",
     [](SetupItem& i) {
         Named(i, "MDAC").MinVersion = "2.8";
         String("SOFTWARE\\Microsoft\\DataAccess", "FullInstallVer", "10.0");
     },
     true},
    {"MDACTooOld",
     [](SetupItem& i) {
         Named(i, "MDAC").MinVersion = "2.8";
         String("SOFTWARE\\Microsoft\\DataAccess", "FullInstallVer", "2.7");
     },
     false},
    {"InternetExplorer",
     [](SetupItem& i) {
         Named(i, "InternetExplorer").MinVersion = "6.0";
         String("SOFTWARE\\Microsoft\\Internet Explorer", "Version", "6.0.2900.2180");
     },
     true},
    {"InternetExplorerMissing",
     [](SetupItem& i) { Named(i, "InternetExplorer").MinVersion = "6.0"; }, false},
    {"WindowsInstaller",
     [](SetupItem& i) {
         Named(i, "WindowsInstaller").MinVersion = "3.1";
         String("SOFTWARE\\Kestrova\\Installer", "Version", "5.0.19041.1");
     },
     true},
    {"WindowsInstallerTooOld",
     [](SetupItem& i) {
         Named(i, "WindowsInstaller").MinVersion = "3.1";
         String("SOFTWARE\\Kestrova\\Installer", "Version", "3.0");
     },
     false},
    {"DirectX",
     [](SetupItem& i) {
         Named(i, "DirectX").MinVersion = "4.09";
         String("SOFTWARE\\Microsoft\\DirectX", "Version", "4.09.00.0904");
     },
     true},
    {"DirectXTooOld",
     [](SetupItem& i) {
         Named(i, "DirectX").MinVersion = "4.09";
         String("SOFTWARE\\Microsoft\\DirectX", "Version", "4.08.01.0881");
     },
     false},
    {"VardelReplication",
     [](SetupItem& i) {
         Named(i, "VardelReplicationSupport");
         FeatureState(kVardelReplicationProductCode, kReplicationFeature, 3);
     },
     true},
    {"VardelReplicationAdvertised",
     [](SetupItem& i) {
         Named(i, "VardelReplicationSupport");
         FeatureState(kVardelReplicationProductCode, kReplicationFeature, 5);
     },
     false},
    {"VardelGDReplication",
     [](SetupItem& i) {
         Named(i, "VardelGDReplicationSupport");
         FeatureState(kVardelGDReplicationProductCode, kReplicationFeature, 3);
     },
     true},
    {"VardelGDReplicationOtherProduct",
     [](SetupItem& i) {
         Named(i, "VardelGDReplicationSupport");
         FeatureState(kVardelReplicationProductCode, kReplicationFeature, 3);
     },
     false},
    {"KeysAreCaseSensitive",
     [](SetupItem& i) {
         Named(i, "framework35");
         DotNet("v3.5", 1, 0);
     },
     false},
    // The generic probe.
    {"UninstallEntry",
     [](SetupItem& i) {
         i.ProductRegistryString = "Hushdesk";
         Uninstall("Hushdesk", "remove");
     },
     true},
    {"UninstallEntryEmpty",
     [](SetupItem& i) {
         i.ProductRegistryString = "Hushdesk";
         Uninstall("Hushdesk", "");
     },
     false},
    {"AltUninstallEntry",
     [](SetupItem& i) {
         i.ProductRegistryString = "New";
         i.AltProductRegistryString = {"", "Old"};
         Uninstall("Old", "remove");
     },
     true},
    {"OnlyRegistryStringsCount",
     [](SetupItem& i) {
         i.ProductRegistryString = "New";
         i.ProductCode = kProduct;
         ProductState(kProduct, 5);
     },
     false},
    {"ProductCode",
     [](SetupItem& i) {
         i.ProductCode = kProduct;
         ProductState(kProduct, 5);
     },
     true},
    {"ProductCodeAbsent",
     [](SetupItem& i) {
         i.ProductCode = kProduct;
         ProductState(kProduct, 2);
     },
     false},
    {"FeatureRulesNarrow",
     [](SetupItem& i) {
         i.ProductCode = kProduct;
         ProductState(kProduct, 5);
         i.FeatureDepends = {{kProduct, "A", "", true}, {kProduct, "B", "", true}};
         FeatureState(kProduct, "A", 3);
         FeatureState(kProduct, "B", 4);
     },
     false},
    {"FeatureRulesMet",
     [](SetupItem& i) {
         i.ProductCode = kProduct;
         ProductState(kProduct, 5);
         i.FeatureDepends = {{kProduct, "A", "", true}};
         FeatureState(kProduct, "A", 3);
     },
     true},
    {"AltProductCodeFreeOfFeatureRules",
     [](SetupItem& i) {
         i.ProductCode = kProduct;
         i.AltProductCode = {"bad", kOtherProduct};
         ProductState(kOtherProduct, 5);
         i.FeatureDepends = {{kProduct, "A", "", true}};
     },
     true},
    {"MalformedCodeAddressesNothing",
     [](SetupItem& i) {
         i.ProductCode = std::string(kProduct) + "\\Features";
         Dword(std::string("SOFTWARE\\Kestrova\\Installer\\Products\\") + kProduct + "\\Features",
               "State", 5);
     },
     false},
    {"NothingToGoBy", [](SetupItem& i) { Named(i, "Whatever"); }, false},
};

INSTANTIATE_TEST_SUITE_P(Keys, ProbeInstalledTest, ::testing::ValuesIn(kProbeCases),
                         [](const auto& info) { return std::string(info.param.name); });

class ProbesTest : public testing::SetupTest {};

TEST_F(ProbesTest, AnEmptyMinVersionKeepsTheEarlierResultAndReadsNothing) {
    for (const char* action : {"MDAC", "InternetExplorer", "WindowsInstaller", "DirectX"}) {
        for (const bool earlier : {false, true}) {
            SetupItem item;
            item.Action = action;
            item.installed = earlier;
            m_log.Clear();
            ProbeInstalled(item);
            EXPECT_EQ(item.installed, earlier) << action;
            EXPECT_TRUE(m_log.Lines().empty()) << action;
        }
    }
}

TEST_F(ProbesTest, WordNeedsItsProgramBelowTheRecordedPath) {
    const char* key = "SOFTWARE\\Microsoft\\Office\\11.0\\Word\\InstallRoot";
    SetupItem item;
    item.Action = "Word2003";
    String(key, "Path", "");
    WriteMediumFile("WinWord.exe");  // an empty path must not find the medium's own file
    ProbeInstalled(item);
    EXPECT_FALSE(item.installed);

    String(key, "Path", File("Office11") + "/");
    ProbeInstalled(item);
    EXPECT_FALSE(item.installed);
    WriteMediumFile("Office11/WinWord.exe");
    ProbeInstalled(item);
    EXPECT_TRUE(item.installed);
}

TEST_F(ProbesTest, WordProgrammingSupportLivesInTheWindowsDirectory) {
    SetupItem item;
    item.Action = "DotNetProgrammingForWord";
    ScopedEnv windows("WINDIR", File("windows"));
    ProbeInstalled(item);
    EXPECT_FALSE(item.installed);
    std::filesystem::create_directories(File("windows/assembly/GAC/Microsoft.Office.Interop.Word"));
    ProbeInstalled(item);
    EXPECT_TRUE(item.installed);
    ScopedEnv unset("WINDIR", std::nullopt);
    ProbeInstalled(item);
    EXPECT_FALSE(item.installed);
}

TEST_F(ProbesTest, ReadersLogTheirLabelAndValue) {
    String("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CurrentVersion", "5.0");
    String("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CSDVersion", "Service Pack 4");
    String("SOFTWARE\\Microsoft\\DataAccess", "FullInstallVer", "2.81");
    EXPECT_EQ(WindowsVersion(), "5.0");  // the older key stands in while the NT key is missing
    EXPECT_EQ(ServicePackVersion(), "Service Pack 4");
    EXPECT_EQ(MdacVersion(), "2.81");
    EXPECT_EQ(DirectXVersion(), "");
    String(kNt, "CSDVersion", "");
    EXPECT_EQ(WindowsVersion(), kDefaultWindowsVersion);  // NT key present, no version in it
    EXPECT_EQ(ServicePackVersion(), "");
    EXPECT_THAT(m_log.Lines(),
                ElementsAre("WindowsVersion=\n", "5.0\n", "ServicePackVersion=\n",
                            "Service Pack 4\n", "MDACVersion=\n", "2.81\n", "DirectXVersion=\n",
                            "\n", "WindowsVersion=\n", "6.3\n", "ServicePackVersion=\n", "\n"));
}

TEST_F(ProbesTest, APdfReaderIsRegisteredThroughTheClassesRoot) {
    ASSERT_EQ(platform::RegWriteString(RegRoot::ClassesRoot, ".pdf", "", "KestrovaPdf"),
              RegStatus::Ok);
    EXPECT_TRUE(PdfReaderRegistered());
}

TEST_F(ProbesTest, APdfReaderIsRegisteredThroughTheDesktop) {
    WriteMediumFile("data/applications/reader.desktop",
                    "[Desktop Entry]\nType=Application\nName=Reader\nExec=true %f\n"
                    "MimeType=application/pdf;\n");
    WriteMediumFile("config/mimeapps.list",
                    "[Default Applications]\napplication/pdf=reader.desktop\n");
    ScopedEnv dataHome("XDG_DATA_HOME", File("data"));
    ScopedEnv dataDirs("XDG_DATA_DIRS", File("none"));
    ScopedEnv configHome("XDG_CONFIG_HOME", File("config"));
    ScopedEnv configDirs("XDG_CONFIG_DIRS", File("none"));
    EXPECT_TRUE(PdfReaderRegistered());
}

}  // namespace
}  // namespace installer
