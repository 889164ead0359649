#include "installer/PageScript.h"

#include <gtest/gtest.h>

namespace installer {
namespace {

TEST(PageScriptTest, BodiesTravelAsStringLiteralsThatNoTextCanLeave) {
    EXPECT_EQ(JavaScriptString("a\"b\\c\nd\te"), "\"a\\\"b\\\\c\\nd\\u0009e\"");
    EXPECT_EQ(JavaScriptString("x</script><script>alert(1)</script>"),
              "\"x<\\/script><script>alert(1)<\\/script>\"");
    EXPECT_EQ(JavaScriptString("line\xE2\x80\xA8sep\xE2\x80\xA9"), "\"line\\u2028sep\\u2029\"");
    // Other characters, Cyrillic included, pass unchanged.
    EXPECT_EQ(JavaScriptString("Установка 'q' &raquo"), "\"Установка 'q' &raquo\"");
    EXPECT_EQ(SetBodyScript("<b>x</b>", {}, 42), "setBody(\"<b>x<\\/b>\", [], 42);");
    EXPECT_EQ(SetBodyScript("<i></i>", {"a</td>", "\"b\""}, 7),
              "setBody(\"<i><\\/i>\", [\"a<\\/td>\", \"\\\"b\\\"\"], 7);");
}

TEST(PageScriptTest, ClickReportsCarryTheGenerationAndTheElementPath) {
    const auto report = ParseClickReport("7 say%20%22hi%22 Action  DigitRed%20x");
    ASSERT_TRUE(report);
    EXPECT_EQ(report->generation, 7u);
    ASSERT_EQ(report->path.size(), 2u);
    EXPECT_EQ(report->path[0].id, "say \"hi\"");
    EXPECT_EQ(report->path[0].cls, "Action");
    EXPECT_EQ(report->path[1].id, "");
    EXPECT_EQ(report->path[1].cls, "DigitRed x");

    for (const char* bad : {"", "7", "7 a", "x a b", "-1 a b", "7 a%2 b", "7 a%zz b", "7 a b c"}) {
        EXPECT_FALSE(ParseClickReport(bad)) << bad;
    }
}

TEST(PageScriptTest, TheNearestRoutedElementDecidesIdsBeforeClasses) {
    using Path = std::vector<ClickedElement>;
    struct Case {
        Path path;
        ClickRoute route;
        std::string id;
    };
    const std::vector<Case> cases = {
        {{{"ButtonOK", ""}}, ClickRoute::Ok, "ButtonOK"},
        {{{"ButtonCancel", ""}}, ClickRoute::Cancel, "ButtonCancel"},
        {{{"Cancel", "hyperlink"}}, ClickRoute::Cancel, "Cancel"},
        {{{"ReadMe", "hyperlink"}}, ClickRoute::ReadMe, "ReadMe"},
        {{{"PreInstall", "hyperlink"}}, ClickRoute::PreInstall, "PreInstall"},
        {{{"Hushdesk", "Action"}}, ClickRoute::Item, "Hushdesk"},
        {{{"Hushdesk", "DigitRed"}}, ClickRoute::Item, "Hushdesk"},
        {{{"Hushdesk", "DigitGreen"}}, ClickRoute::Item, "Hushdesk"},
        {{{"Notes", "DigitBlue"}}, ClickRoute::Item, "Notes"},
        // A bold word inside a title reaches the title's handler.
        {{{"", ""}, {"Hushdesk", "Action"}, {"ActionList", ""}}, ClickRoute::Item, "Hushdesk"},
        // An item whose Action is a fixed id is that fixed id.
        {{{"Cancel", "Action"}}, ClickRoute::Cancel, "Cancel"},
        // Disabled, PDF and plain marks have no handler, nor have descriptions.
        {{{"Off", "DisabledDigit"}, {"", ""}, {"ActionList", ""}}, ClickRoute::None, ""},
        {{{"Off", "DisabledAction"}}, ClickRoute::None, ""},
        {{{"Guide", "PdfBlue"}}, ClickRoute::None, ""},
        {{{"Guide", "DisablePdfBlue"}}, ClickRoute::None, ""},
        {{{"Runtime", "MarkRed"}}, ClickRoute::None, ""},
        {{{"Runtime", "MarkRed2"}}, ClickRoute::None, ""},
        {{{"Runtime", "PlainText"}}, ClickRoute::None, ""},
        {{{"", "Description"}, {"", ""}, {"Container", ""}}, ClickRoute::None, ""},
        {{{"", "hdr2"}, {"", "hdr1"}}, ClickRoute::None, ""},
        {{}, ClickRoute::None, ""},
    };
    for (const Case& c : cases) {
        const RoutedClick routed = RouteClick(c.path);
        EXPECT_EQ(routed.route, c.route)
            << (c.path.empty() ? "" : c.path[0].id + "/" + c.path[0].cls);
        EXPECT_EQ(routed.id, c.id);
    }
}

}  // namespace
}  // namespace installer
