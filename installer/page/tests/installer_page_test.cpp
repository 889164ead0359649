#include "installer/InstallerPage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "installer/Log.h"
#include "platform/Registry.h"
#include "platform/ShowMessage.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace installer {
namespace {

using platform::RegRoot;
using testsupport::ScopedEnv;
using testsupport::TempFolder;

constexpr char kHushdeskCode[] = "{6F1B2C3D-0000-4A5B-8C9D-00000000000B}";
constexpr char kRuntimeCode[] = "{6F1B2C3D-0000-4A5B-8C9D-00000000000A}";

std::string ProductKey(const std::string& code) {
    return std::string("SOFTWARE\\Kestrova\\Installer\\Products\\") + code;
}

void SetProductState(const std::string& code, uint32_t state) {
    ASSERT_EQ(platform::RegWriteDword(RegRoot::LocalMachine, ProductKey(code), "State", state),
              platform::RegStatus::Ok);
}

// Records what the page starts instead of starting it.
class RecordingLauncher : public Launcher {
public:
    void LaunchProcess(const std::string& commandLine, LaunchWindow* window,
                       const std::string& workingDirectory) override {
        calls.push_back("run " + commandLine + " @" + workingDirectory +
                        (window != nullptr ? " hidden" : ""));
        if (onLaunch) {
            onLaunch(commandLine);
        }
    }
    void ShellExec(const std::string& file, const std::string& parameters) override {
        calls.push_back("open " + file + " " + parameters);
    }
    void OpenPdfWithReader(const std::string& file) override { calls.push_back("pdf " + file); }

    std::vector<std::string> calls;
    std::function<void(const std::string&)> onLaunch;
};

class NullWindow : public LaunchWindow {
public:
    void HideForLaunch() override {}
    void RestoreAfterLaunch() override {}
};

class InstallerPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::current_path(m_folder.Path());
        SetLogSinkForTesting([this](const std::string& line) { log += line; });
    }
    void TearDown() override { SetLogSinkForTesting({}); }

    InstallerPage& Open(const std::string& xml, PageFacts facts = {}) {
        config = Config::FromText("<AutoRun>" + xml + "</AutoRun>");
        page.emplace(config, 1033, launcher, &window, DisplayScale{}, [facts] { return facts; });
        current = page->FirstPage();
        return *page;
    }

    // A click on the element `id` of class `cls` of the page now shown.
    PageUpdate Click(const std::string& id, const std::string& cls) {
        PageUpdate update = page->HandleClickReport(std::to_string(page->Generation()) + " " + id +
                                                    " " + cls + " %20 ActionList");
        if (update.command == PageCommand::Show) {
            current = update;
        }
        return update;
    }

    bool Shows(const std::string& fragment) const {
        return FilledBody(current.page).find(fragment) != std::string::npos;
    }

    TempFolder m_folder;
    ScopedEnv m_registry{"KESTROVA_REGISTRY_DIR", m_folder.Path()};
    platform::MessageRecorder messages;
    RecordingLauncher launcher;
    NullWindow window;
    Config config;
    std::optional<InstallerPage> page;
    PageUpdate current;
    std::string log;
};

TEST_F(InstallerPageTest, ClickingAnItemRunsItsLineAndTheRefreshedPageShowsTheNewState) {
    Open(std::string(R"(<Item Action="Hushdesk" Title="Hushdesk" ProductCode=")") + kHushdeskCode +
         R"(" CommandLine="bin/install.sh %PREFIX%" SetCurrentDirectory="work"/>
            <Item Action="Clean" Title="Cleaner"><Depends Item="Hushdesk"/></Item>)");
    ASSERT_EQ(current.command, PageCommand::Show);
    EXPECT_TRUE(Shows(R"(class="DigitRed" id="Hushdesk">1<)"));
    EXPECT_TRUE(Shows(R"(class="DisabledDigit" id="Clean">2<)"));
    launcher.onLaunch = [](const std::string&) { SetProductState(kHushdeskCode, 5); };

    const uint64_t before = page->Generation();
    const PageUpdate update = Click("Hushdesk", "DigitRed");

    ASSERT_EQ(update.command, PageCommand::Show);
    EXPECT_EQ(update.generation, before + 1);
    EXPECT_EQ(launcher.calls, std::vector<std::string>{"run bin/install.sh %PREFIX% @" +
                                                       m_folder.Path() + "/work hidden"});
    EXPECT_TRUE(Shows(R"(class="DigitGreen" id="Hushdesk">1<)"));
    EXPECT_TRUE(Shows(R"(class="DigitRed" id="Clean">2<)"));
}

// Two Setups on one machine: the other one installed the product after this
// page was drawn. The click asks the installed item's question, not the
// install again.
TEST_F(InstallerPageTest, TheClickedItemIsProbedAgainBeforeItsLineIsChosen) {
    Open(std::string(R"(<Item Action="Hushdesk" ProductCode=")") + kHushdeskCode +
         R"(" CommandLine="install.sh" InstalledCommandLine="uninstall.sh"
               InstalledWarning="Hushdesk is already installed. Remove it?"/>
            <Item Action="Other"/>)");
    EXPECT_TRUE(Shows(R"(class="DigitRed" id="Hushdesk">1<)"));
    SetProductState(kHushdeskCode, 5);

    Click("Hushdesk", "DigitRed");
    EXPECT_TRUE(launcher.calls.empty());
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].text, "Hushdesk is already installed. Remove it?");
    EXPECT_TRUE(Shows(R"(class="DigitGreen" id="Hushdesk">1<)"));
}

TEST_F(InstallerPageTest, InstalledItemsAskFirstAndNoRunsNothingButStillRefreshes) {
    SetProductState(kHushdeskCode, 5);
    Open(std::string(R"(<Item Action="Hushdesk" ProductCode=")") + kHushdeskCode +
         R"(" CommandLine="install.sh" InstalledCommandLine="uninstall.sh"
               InstalledWarning="Hushdesk is already installed. Remove it?"><Command>after.sh</Command></Item>
            <Item Action="Other"/>)");

    const PageUpdate no = Click("Hushdesk", "Action");
    EXPECT_EQ(no.command, PageCommand::Show);
    EXPECT_TRUE(launcher.calls.empty());

    messages.QueueAnswer(platform::kIdYes);
    Click("Hushdesk", "DigitGreen");
    EXPECT_EQ(launcher.calls,
              (std::vector<std::string>{"run uninstall.sh @ hidden", "run after.sh @ hidden"}));
    const auto asked = messages.Messages();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].text, "Hushdesk is already installed. Remove it?");
    EXPECT_EQ(asked[0].caption, "");
    EXPECT_EQ(asked[0].flags, platform::kMbYesNo | platform::kMbIconQuestion);
}

TEST_F(InstallerPageTest, The64BitLineIsUsedWhenItsAttributeIsPresentEvenEmpty) {
    Open(R"(<Item Action="Plain" CommandLine="plain.sh"/>
            <Item Action="Both" CommandLine="plain.sh" CommandLineX64="x64.sh"/>
            <Item Action="Blank" CommandLine="plain.sh" CommandLineX64=""/>)");
    Click("Plain", "Action");
    Click("Both", "Action");
    Click("Blank", "Action");
    EXPECT_EQ(launcher.calls, (std::vector<std::string>{"run plain.sh @ hidden",
                                                        "run x64.sh @ hidden", "run  @ hidden"}));
}

TEST_F(InstallerPageTest, ItemCommandsFollowProductStatesAndTheWindowsVersionFilter) {
    platform::RegWriteString(RegRoot::LocalMachine,
                             "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "CurrentVersion",
                             "6.1");
    SetProductState(kRuntimeCode, 5);
    platform::RegWriteDword(RegRoot::LocalMachine, ProductKey(kHushdeskCode) + "\\Features",
                            "Engine", 3);
    Open(std::string(R"(<Item Action="Tools" CommandLine="">
            <IntelliCommand OsMinVersion="6.0" NotInstalledCommand="min-ok.sh"/>
            <IntelliCommand OsMinVersion="6.2" NotInstalledCommand="min-too-high.sh"/>
            <IntelliCommand OsMaxVersion="6.0" NotInstalledCommand="max-too-low.sh"/>
            <IntelliCommand OsMaxVersion="10.0" NotInstalledCommand="max-ok.sh"/>
            <IntelliCommand ProductCode=")") +
         kRuntimeCode +
         R"(" InstalledCommand="product-installed.sh" NotInstalledCommand="product-missing.sh"/>
            <IntelliCommand ProductCode=")" +
         kHushdeskCode +
         R"(" ProductFeature="Engine" InstalledCommand="feature-local.sh" NotInstalledCommand="no"/>
            <IntelliCommand ProductCode=")" +
         kHushdeskCode +
         R"(" ProductFeature="Docs" InstalledCommand="no" NotInstalledCommand="feature-absent.sh"/>
            <IntelliCommand NotInstalledCommand="plain.sh" NotInstalledCommandX64="plain-x64.sh"/>
          </Item><Item Action="Other"/>)");
    Click("Tools", "Action");
    EXPECT_EQ(launcher.calls,
              (std::vector<std::string>{
                  "run  @ hidden", "run min-ok.sh @ hidden", "run max-ok.sh @ hidden",
                  "run product-installed.sh @ hidden", "run feature-local.sh @ hidden",
                  "run feature-absent.sh @ hidden", "run plain-x64.sh @ hidden"}));

    // Without the filter (prerequisites, the single-item shortcut) every entry runs.
    launcher.calls.clear();
    RunItemCommands(config.mainItems[0], false, launcher, nullptr, "");
    EXPECT_EQ(launcher.calls.size(), 8u);
}

TEST_F(InstallerPageTest, DocumentsOpenWithThePdfReaderOrTheDesktop) {
    Open(
        R"(<Item Action="Guide" Type="pdf" Title="Guide"><ShellExecute File="docs/guide.pdf" Parameters="p"/></Item>
            <Item Action="Notes" Type="blue"><ShellExecute File="README.html" Parameters="--new"/><ShellExecute File="https://example.org"/></Item>)",
        {true});
    Click("Guide", "Action");
    Click("Notes", "DigitBlue");
    EXPECT_EQ(launcher.calls,
              (std::vector<std::string>{"run  @ hidden", "pdf docs/guide.pdf", "run  @ hidden",
                                        "open README.html --new", "open https://example.org "}));
}

TEST_F(InstallerPageTest, DisabledRowsStaleClicksAndClicksDuringALaunchRunNothing) {
    Open(R"(<Item Action="Twice" CommandLine="first.sh"><Depends Item="Nowhere"/></Item>
            <Item Action="Twice" CommandLine="second.sh"/>
            <Item Action="Run" CommandLine="run.sh"/>)");
    // The first item carrying the Action is the one that runs, and it is disabled.
    Click("Twice", "Action");
    EXPECT_TRUE(launcher.calls.empty());

    const uint64_t generation = page->Generation();
    EXPECT_EQ(page->HandleClickReport(std::to_string(generation - 1) + " Run Action").command,
              PageCommand::None);
    EXPECT_TRUE(launcher.calls.empty());

    // A click delivered while the installer runs (a nested event loop) is dropped.
    PageUpdate nested;
    launcher.onLaunch = [&](const std::string&) {
        EXPECT_TRUE(page->IsLaunching());
        nested = page->HandleClickReport(std::to_string(page->Generation()) + " Run Action");
    };
    Click("Run", "Action");
    EXPECT_EQ(nested.command, PageCommand::None);
    EXPECT_EQ(launcher.calls, std::vector<std::string>{"run run.sh @ hidden"});
    EXPECT_FALSE(page->IsLaunching());

    // Marks without a handler.
    EXPECT_EQ(Click("Twice", "DisabledDigit").command, PageCommand::None);
}

TEST_F(InstallerPageTest, LinksCloseTheDialogOrOpenTheReadMe) {
    Open(R"(<Item Action="A"/><Item Action="B"/>
            <MainDialog ReadmeLabel="Read me" ReadmeHref="README.html" ExitLabel="Exit"/>)");
    EXPECT_EQ(Click("Cancel", "hyperlink").command, PageCommand::CloseCancel);
    EXPECT_EQ(Click("ButtonOK", "").command, PageCommand::CloseOk);
    EXPECT_EQ(Click("ReadMe", "hyperlink").command, PageCommand::None);
    // An item called ReadMe opens the read-me file too.
    EXPECT_EQ(page->OnItemClick("ReadMe").command, PageCommand::None);
    EXPECT_EQ(launcher.calls, (std::vector<std::string>{"open README.html ", "open README.html "}));
}

TEST_F(InstallerPageTest, TheFirstPageIsBlockingThenPrerequisitesThenMain) {
    const std::string items = R"(<Item Action="A"/><Item Action="B"/>)";
    Open(items);
    EXPECT_TRUE(Shows("id=\"Container\""));
    Open(
        R"(<Prerequisites Title="First"><Item Action="Runtime" Title="Runtime"/></Prerequisites>)" +
        items);
    EXPECT_TRUE(Shows("<div class=\"TopTitle\">First</div>"));
    Open(
        R"(<Prerequisites><Item Action="Runtime"/><Item Action="Kit" Message="Get the kit"/></Prerequisites>)" +
        items);
    EXPECT_TRUE(Shows(">Get the kit</div>"));
    EXPECT_FALSE(Shows("PreInstall"));
}

TEST_F(InstallerPageTest, PreInstallEndsOnTheMainPageWithFreshProbesOrComesBackAfterTheAttempt) {
    const std::string xml = std::string(R"(<Prerequisites NotInstalledDescription="Still missing">
              <Item Action="Runtime" ProductCode=")") +
                            kRuntimeCode +
                            R"(" CommandLine="runtime.sh" CommandLineX64="runtime64.sh"/>
              <Item Action="Kit" ProductCode=")" +
                            kHushdeskCode + R"(" CommandLine="kit.sh"/>
            </Prerequisites>
            <Item Action="App" ProductCode=")" +
                            kHushdeskCode + R"("/><Item Action="Other"/>)";
    Open(xml);
    launcher.onLaunch = [](const std::string& line) {
        if (line == "runtime64.sh") {
            SetProductState(kRuntimeCode, 5);
        }
    };
    Click("PreInstall", "hyperlink");
    EXPECT_EQ(launcher.calls,
              (std::vector<std::string>{"run runtime64.sh @ hidden", "run kit.sh @ hidden"}));
    EXPECT_TRUE(Shows("<div class=\"PlainText\">Still missing</div>"));
    EXPECT_FALSE(Shows("id=\"Runtime\""));
    EXPECT_TRUE(Shows("id=\"Kit\""));

    launcher.calls.clear();
    launcher.onLaunch = [](const std::string&) { SetProductState(kHushdeskCode, 5); };
    Click("PreInstall", "hyperlink");
    EXPECT_EQ(launcher.calls, std::vector<std::string>{"run kit.sh @ hidden"});
    // The main item shares the kit's product code: probed again, it is installed.
    EXPECT_TRUE(Shows(R"(class="DigitGreen" id="App">1<)"));
}

}  // namespace
}  // namespace installer
