#include "installer/PageBuilder.h"

#include <gtest/gtest.h>

#include <climits>
#include <regex>

namespace installer {
namespace {

// One marked-up element of a page: its tag, class, id and the text up to the
// next tag.
struct Cell {
    std::string tag;
    std::string cls;
    std::string id;
    std::string text;
    bool operator==(const Cell&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Cell& cell) {
    return out << "<" << cell.tag << " class=" << cell.cls << " id=" << cell.id << ">" << cell.text;
}

std::vector<Cell> Cells(const std::string& html) {
    static const std::regex element(
        R"re(<(td|div)(?: align="center")? class="([^"]*)"(?: style="[^"]*")?(?: id="([^"]*)")?>([^<]*))re");
    std::vector<Cell> cells;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), element);
         it != std::sregex_iterator(); ++it) {
        cells.push_back({(*it)[1], (*it)[2], (*it)[3], (*it)[4]});
    }
    return cells;
}

// The number (or "PDF") cells of the main page's rows, with their classes.
std::vector<std::pair<std::string, std::string>> Marks(const std::string& html) {
    std::vector<std::pair<std::string, std::string>> marks;
    for (const Cell& cell : Cells(html)) {
        if (cell.tag == "td" && cell.cls != "SpaceBefore") {
            marks.emplace_back(cell.cls, cell.text);
        }
    }
    return marks;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

SetupItem Item(const std::string& action, const std::string& type = "") {
    SetupItem item;
    item.Action = action;
    item.Title = "Title of " + action;
    item.Type = type;
    item.InstalledDescription = "installed " + action;
    item.NotInstalledDescription = "missing " + action;
    return item;
}

Config MainConfig(int items) {
    Config config;
    config.Title = "Hushdesk 1.0 Setup";
    config.Company = "Kestrova";
    for (int i = 0; i < items; ++i) {
        config.mainItems.push_back(Item("Item" + std::to_string(i + 1)));
    }
    return config;
}

TEST(PageBuilderTest, OneRowPageIsWrittenFragmentForFragment) {
    Config config = MainConfig(1);
    config.ReadmeLabel = "Read me";
    config.ReadmeHref = "README.html";
    config.ExitLabel = "Exit";
    const Page page = BuildMainPage(config, {}, 1033, {});
    EXPECT_EQ(FilledBody(page),
              "<div class=\"hdr1\">\nKestrova\n<div class=\"hdr2\">Hushdesk 1.0 Setup</div>\n"
              "</div>\n<table id=\"Container\">\n<tr valign=\"top\"><td>\n<table "
              "id=\"ActionList\">\n<tr>\n<td align=\"center\" class=\"DigitRed\" "
              "id=\"Item1\">1</td>\n<td><div class=\"Action\" id=\"Item1\">Title of "
              "Item1</div>\n<div class=\"Description\">missing Item1</div></td></tr>\n"
              "</table>\n</td></tr></table><div class=\"hyperlink\" style=\"float : left; "
              "margin-top : 5mm;\" id=\"ReadMe\">Read me</div>\n<div class=\"hyperlink\" "
              "style=\"float : right; margin-top : 5mm;\" id=\"Cancel\">Exit</div>\n");
    EXPECT_EQ(page.title, "Hushdesk 1.0 Setup");
}

// Markup in a text ("</td>" closing the page's table, an event handler) must
// never become part of the page's own markup: every text travels apart and
// goes into its own slot.
TEST(PageBuilderTest, TextsStayOutOfThePagesMarkupEachInItsOwnSlot) {
    Config config = MainConfig(1);
    config.Title = "x</td></tr></table><div style=\"display:none\">";
    config.mainItems[0].Title = "<img src=\"none.png\" onerror=\"run()\">";
    config.ExitLabel = "Exit";
    config.prerequisites.push_back(Item("Kit"));
    config.prerequisites[0].Message = "<b>Stop</b>";
    config.prerequisitesTexts.Title = "</div>";
    for (const Page& page :
         {BuildMainPage(config, {}, 1033, {}), BuildPrerequisitesPage(config, true, 1033, {}),
          BuildBlockingPage(config, {})}) {
        EXPECT_EQ(page.body.find("display:none"), std::string::npos) << page.body;
        EXPECT_EQ(page.body.find("onerror"), std::string::npos) << page.body;
        EXPECT_EQ(page.body.find("<b>"), std::string::npos) << page.body;
        EXPECT_EQ(Count(page.body, "<span data-text="), page.texts.size()) << page.body;
        for (size_t i = 0; i < page.texts.size(); ++i) {
            EXPECT_EQ(Count(page.body, "<span data-text=\"" + std::to_string(i) + "\"></span>"),
                      1u);
        }
    }
    const Page main = BuildMainPage(config, {}, 1033, {});
    EXPECT_EQ(main.texts,
              (std::vector<std::string>{"Kestrova", config.Title, config.mainItems[0].Title,
                                        "missing Item1", "Exit"}));
}

TEST(PageBuilderTest, NineItemsSevenPerColumnSpreadOverTwoColumnsOfFiveAndFour) {
    Config config = MainConfig(9);
    config.MaxItemsInColumn = 7;
    const Page page = BuildMainPage(config, {}, 1033, {});

    const std::string second = "<td>\n<table id=\"ActionList\">\n";
    const size_t split = FilledBody(page).find(second, FilledBody(page).find(second) + 1);
    ASSERT_NE(split, std::string::npos);
    EXPECT_EQ(Count(FilledBody(page).substr(0, split), "<tr>\n"), 5u);
    EXPECT_EQ(Count(FilledBody(page).substr(split), "<tr>\n"), 4u);
    EXPECT_EQ(Count(FilledBody(page), second), 2u);
    EXPECT_EQ(Marks(FilledBody(page)).back(),
              std::make_pair(std::string("DigitRed"), std::string("9")));

    EXPECT_DOUBLE_EQ(page.size.width, 2 * 480);
    EXPECT_DOUBLE_EQ(page.size.height, 5 * 65 + 148);
    EXPECT_TRUE(page.size.centred);

    const Page scaled = BuildMainPage(config, {}, 1033, {1.5, 2.0});
    EXPECT_DOUBLE_EQ(scaled.size.width, 2 * 480 * 1.5);
    EXPECT_DOUBLE_EQ(scaled.size.height, (5 * 65 + 148) * 2.0);

    config.mainItems.clear();
    const Page empty = BuildMainPage(config, {}, 1033, {1.5, 2.0});
    EXPECT_DOUBLE_EQ(empty.size.width, 480);
    EXPECT_DOUBLE_EQ(empty.size.height, 148 * 2.0);
    EXPECT_EQ(Count(FilledBody(empty), "ActionList"), 0u);
}

// ⌈n/Max⌉ wrapped for a limit near 2^31: every item hidden, or a 1x1 window.
TEST(PageBuilderTest, LimitsBeyondTheItemCountActAsTheCount) {
    Config config = MainConfig(3);
    for (const int limit : {3, 4, 1000, INT_MAX - 1, INT_MAX}) {
        config.MaxItemsInColumn = limit;
        const Page page = BuildMainPage(config, {}, 1033, {});
        EXPECT_EQ(Marks(FilledBody(page)).size(), 3u) << limit;
        EXPECT_EQ(Count(FilledBody(page), "<table id=\"ActionList\">"), 1u) << limit;
        EXPECT_DOUBLE_EQ(page.size.width, 480) << limit;
        EXPECT_DOUBLE_EQ(page.size.height, 3 * 65 + 148) << limit;
    }
}

TEST(PageBuilderTest, RowsAreNumberedSkippingPdfRowsAndHiddenItems) {
    Config config = MainConfig(0);
    config.mainItems = {Item("A"), Item("B"), Item("Guide", "pdf"), Item("C"), Item("D")};
    config.mainItems[1].installed = true;
    config.mainItems[3].HideIfInstalled = true;

    using Marks_ = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(Marks(FilledBody(BuildMainPage(config, {true}, 1033, {}))),
              (Marks_{{"DigitRed", "1"},
                      {"DigitGreen", "2"},
                      {"PdfBlue", "PDF"},
                      {"DigitRed", "3"},
                      {"DigitRed", "4"}}));

    // Installed and hidden when installed: the row goes and the numbers below move up.
    config.mainItems[3].installed = true;
    EXPECT_EQ(
        Marks(FilledBody(BuildMainPage(config, {false}, 1033, {}))),
        (Marks_{
            {"DigitRed", "1"}, {"DigitGreen", "2"}, {"DisablePdfBlue", "PDF"}, {"DigitRed", "3"}}));
    // A missing file hides a checkAndHide row.
    config.mainItems[0].CheckCommandLine = kCheckAndHide;
    config.mainItems[0].filesPresent = false;
    EXPECT_EQ(Marks(FilledBody(BuildMainPage(config, {false}, 1033, {}))).front(),
              std::make_pair(std::string("DigitGreen"), std::string("1")));
}

TEST(PageBuilderTest, RowKindsChooseTheClassesOfAllThreeCells) {
    Config config = MainConfig(0);
    SetupItem blue = Item("Blue", "blue");
    blue.enabled = false;  // a blue row stays active whatever the rules say
    SetupItem disabled = Item("Off");
    disabled.enabled = false;
    SetupItem missing = Item("Missing");
    missing.CheckCommandLine = kCheckAndShow;
    missing.filesPresent = false;
    SetupItem pdf = Item("Guide", "pdf");
    config.mainItems = {blue, disabled, missing, pdf};

    const std::vector<Cell> cells = Cells(FilledBody(BuildMainPage(config, {false}, 1033, {})));
    const std::vector<Cell> expected = {
        {"div", "hdr1", "", "\nKestrova\n"},
        {"div", "hdr2", "", "Hushdesk 1.0 Setup"},
        {"td", "DigitBlue", "Blue", "1"},
        {"div", "Action", "Blue", "Title of Blue"},
        {"div", "Description", "", "missing Blue"},
        {"td", "DisabledDigit", "Off", "2"},
        {"div", "DisabledAction", "Off", "Title of Off"},
        {"div", "DisabledDescription", "", "missing Off"},
        {"td", "DisabledDigit", "Missing", "3"},
        {"div", "DisabledAction", "Missing", "Title of Missing"},
        {"div", "DisabledDescription", "", "Installation file is not found on this disk"},
        {"td", "DisablePdfBlue", "Guide", "PDF"},
        {"div", "DisabledAction", "Guide", "Title of Guide"},
        {"div", "DisabledDescription", "", "missing Guide"},
    };
    EXPECT_EQ(cells, expected);
    EXPECT_FALSE(IsRowDisabled(blue));
    EXPECT_TRUE(IsRowDisabled(disabled));
    EXPECT_TRUE(IsRowDisabled(missing));
}

TEST(PageBuilderTest, DescriptionsFollowTheirPrecedence) {
    struct Case {
        const char* name;
        std::function<void(SetupItem&, PageFacts&)> setUp;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"not installed", [](SetupItem&, PageFacts&) {}, "missing X"},
        {"dependency before conflict",
         [](SetupItem& i, PageFacts&) {
             i.dependencyText = "needs Y";
             i.conflictText = "clashes";
         },
         "needs Y"},
        {"conflict", [](SetupItem& i, PageFacts&) { i.conflictText = "clashes"; }, "clashes"},
        {"installed", [](SetupItem& i, PageFacts&) { i.installed = true; }, "installed X"},
        {"installed, conflict",
         [](SetupItem& i, PageFacts&) {
             i.installed = true;
             i.conflictText = "clashes";
             i.dependencyText = "needs Y";
         },
         "clashes"},
        {"files missing first",
         [](SetupItem& i, PageFacts&) {
             i.CheckCommandLine = kCheckAndShow;
             i.filesPresent = false;
             i.FileNotFoundDescription = "no file";
             i.installed = true;
             i.dependencyText = "needs Y";
         },
         "no file"},
        {"pdf with reader",
         [](SetupItem& i, PageFacts& f) {
             i.Type = "pdf";
             f.pdfReaderRegistered = true;
         },
         "installed X"},
        {"pdf without reader", [](SetupItem& i, PageFacts&) { i.Type = "pdf"; }, "missing X"},
        {"database tools 2005",
         [](SetupItem& i, PageFacts& f) {
             i.installed = true;
             i.CheckMSSQL2000 = true;
             i.conflictText = "ignored here";
             f.sqlServer2005ClientTools = true;
             f.sqlServer2000ClientTools = true;
         },
         "installed X"},
        {"database tools 2000",
         [](SetupItem& i, PageFacts& f) {
             i.installed = true;
             i.CheckMSSQL2000 = true;
             f.sqlServer2000ClientTools = true;
         },
         "old tools"},
        {"database tools neither",
         [](SetupItem& i, PageFacts&) {
             i.installed = true;
             i.CheckMSSQL2000 = true;
         },
         "installed X"},
    };
    for (const Case& c : cases) {
        Config config = MainConfig(0);
        SetupItem item = Item("X");
        item.MSSQL2000InstalledDescription = "old tools";
        PageFacts facts;
        c.setUp(item, facts);
        config.mainItems = {item};
        const std::vector<Cell> cells = Cells(FilledBody(BuildMainPage(config, facts, 1033, {})));
        ASSERT_GE(cells.size(), 5u) << c.name;
        EXPECT_EQ(cells[4].text, c.expected) << c.name;
    }
}

TEST(PageBuilderTest, LinksAppearOnlyWithTheirTexts) {
    Config config = MainConfig(1);
    auto ids = [&] {
        std::vector<std::string> links;
        for (const Cell& cell : Cells(FilledBody(BuildMainPage(config, {}, 1033, {})))) {
            if (cell.cls == "hyperlink") {
                links.push_back(cell.id + "=" + cell.text);
            }
        }
        return links;
    };
    EXPECT_TRUE(ids().empty());
    config.ReadmeLabel = "Read me";
    EXPECT_TRUE(ids().empty());
    config.ReadmeHref = "README.html";
    EXPECT_EQ(ids(), std::vector<std::string>{"ReadMe=Read me"});
    config.ExitLabel = "Exit";
    EXPECT_EQ(ids(), (std::vector<std::string>{"ReadMe=Read me", "Cancel=Exit"}));
    config.ReadmeLabel.clear();
    EXPECT_EQ(ids(), std::vector<std::string>{"Cancel=Exit"});
}

TEST(PageBuilderTest, ActionsAreEscapedInIdsWhileTextsKeepTheirMarkup) {
    Config config = MainConfig(0);
    SetupItem item = Item("say \"<&>\" 'now'");
    item.Title = "Hushdesk <b>1.0</b>";
    config.mainItems = {item};
    const std::string body = FilledBody(BuildMainPage(config, {}, 1033, {}));
    EXPECT_NE(body.find("id=\"say &quot;&lt;&amp;&gt;&quot; &#39;now&#39;\">1</td>"),
              std::string::npos)
        << body;
    EXPECT_NE(body.find(">Hushdesk <b>1.0</b></div>"), std::string::npos);
    EXPECT_EQ(body.find("id=\"say \"<"), std::string::npos);
}

Config PrerequisitesConfig() {
    Config config = MainConfig(0);
    config.prerequisitesTexts = {
        "Components first", "These are missing:", "Install missing components", "Still missing:"};
    config.ExitLabel = "Exit";
    SetupItem runtime = Item("Runtime");
    SetupItem sound = Item("SoundKit");
    SetupItem done = Item("Done");
    done.installed = true;
    config.prerequisites = {runtime, done, sound};
    return config;
}

TEST(PageBuilderTest, PrerequisitesPageListsTheMissingOnesWithInstallAndExitLinks) {
    const Config config = PrerequisitesConfig();
    const Page before = BuildPrerequisitesPage(config, false, 1033, {});
    const std::vector<Cell> expected = {
        {"div", "hdr1", "", "\nKestrova\n"},
        {"div", "hdr2", "", "Hushdesk 1.0 Setup"},
        {"div", "TopTitle", "", "Components first"},
        {"div", "PlainText", "", "These are missing:"},
        {"td", "MarkRed", "Runtime", "&raquo"},
        {"div", "PlainText", "Runtime", "Title of Runtime"},
        {"td", "MarkRed", "SoundKit", "&raquo"},
        {"div", "PlainText", "SoundKit", "Title of SoundKit"},
        {"div", "hyperlink", "PreInstall", "Install missing components"},
        {"div", "hyperlink", "Cancel", "Exit"},
    };
    EXPECT_EQ(Cells(FilledBody(before)), expected);
    EXPECT_NE(FilledBody(before).find("margin-down : 10mm;\" id=\"Cancel\">Exit</div><br><br>"),
              std::string::npos);
    EXPECT_DOUBLE_EQ(before.size.width, 480);
    EXPECT_DOUBLE_EQ(before.size.height, 2 * 34 + 247);

    const Page after = BuildPrerequisitesPage(config, true, 1033, {1.0, 1.25});
    EXPECT_EQ(Cells(FilledBody(after))[3].text, "Still missing:");
    EXPECT_DOUBLE_EQ(after.size.height, (10 + 2 * 34 + 247) * 1.25);
}

TEST(PageBuilderTest, BlockingPageShowsTheMessagesAndOnlyTheExitLink) {
    Config config = PrerequisitesConfig();
    config.prerequisites[2].Message = "Install <b>SoundKit</b> from its own disk.";
    const Page page = BuildBlockingPage(config, {2.0, 2.0});
    const std::vector<Cell> cells = Cells(FilledBody(page));
    const std::vector<Cell> expected = {
        {"div", "hdr1", "", "\nKestrova\n"},          {"div", "hdr2", "", "Hushdesk 1.0 Setup"},
        {"td", "MarkRed2", "SoundKit", "!"},          {"td", "SpaceBefore", "", ""},
        {"div", "PlainText", "SoundKit", "Install "}, {"div", "hyperlink", "Cancel", "Exit"},
    };
    EXPECT_EQ(cells, expected);
    EXPECT_NE(FilledBody(page).find(">Install <b>SoundKit</b> from its own disk.</div>"),
              std::string::npos);
    EXPECT_EQ(FilledBody(page).find("PreInstall"), std::string::npos);
    EXPECT_FALSE(page.size.centred);
    EXPECT_TRUE(page.size.scaleClientWidth);
    EXPECT_DOUBLE_EQ(page.size.width, 480);
    EXPECT_DOUBLE_EQ(page.size.height, 255);
}

TEST(PageBuilderTest, ArabicLaysOutMainAndPrerequisitesPagesRightToLeftButNotTheBlockingPage) {
    Config config = PrerequisitesConfig();
    config.mainItems = {Item("A")};
    config.prerequisites[0].Message = "blocked";
    const std::string main = FilledBody(BuildMainPage(config, {}, kRightToLeftLanguageId, {}));
    const std::string prerequisites =
        FilledBody(BuildPrerequisitesPage(config, false, kRightToLeftLanguageId, {}));
    for (const std::string& body : {main, prerequisites}) {
        EXPECT_EQ(body.rfind("<div class=\"hdr1_rtl\">\nKestrova\n<div class=\"hdr2_rtl\">", 0), 0u)
            << body;
        EXPECT_NE(body.find("</div>\n</div>\n<div class=\"table_rtl\">\n"), std::string::npos);
    }
    // The block closes right after the table; the links stay outside it.
    EXPECT_LT(main.find("</tr></table></div>\n"), main.find("id=\"Cancel\""));
    EXPECT_LT(prerequisites.find("</table></div>\n"), prerequisites.find("id=\"PreInstall\""));
    const std::string blocking = FilledBody(BuildBlockingPage(config, {}));
    EXPECT_EQ(blocking.find("_rtl"), std::string::npos);
    EXPECT_EQ(FilledBody(BuildMainPage(config, {}, 1033, {})).find("_rtl"), std::string::npos);
}

TEST(PageSizeTest, SizesAreClampedToTheWorkArea) {
    EXPECT_EQ(ClampToWorkArea(960.7, 473.9, 1280, 1024).width, 960);
    EXPECT_EQ(ClampToWorkArea(960.7, 473.9, 1280, 1024).height, 473);
    Config config = MainConfig(40);
    config.MaxItemsInColumn = 1;
    config.Width = 2000000000;
    const Page page = BuildMainPage(config, {}, 1033, {});
    const PixelSize clamped = ClampToWorkArea(page.size.width, page.size.height, 1280, 1024);
    EXPECT_EQ(clamped.width, 1280);
    EXPECT_EQ(clamped.height, 148 + 65 > 1024 ? 1024 : 213);
    EXPECT_EQ(ClampToWorkArea(-480, 0, 1280, 1024).width, 1);
}

}  // namespace
}  // namespace installer
