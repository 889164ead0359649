#include "platform/RegistryTree.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

constexpr char kRoot[] = "HKEY_CURRENT_USER";

TEST(RegistryTreeTest, ReadsWhatAPersonOrAnotherToolWrites) {
    const std::string text =
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; edited by hand\r\n"
        "[hkey_current_user\\Software\\Kestrova\\Hushdesk\\Settings]\r\n"
        "\"NioseCancel\"=dword:0000000A\r\n"
        "\"Path\"=\"C:\\\\Temp\\\\a \\\"b\\\".wav\"\r\n"
        "\"Loose\"=\"C:\\Temp\"\r\n"
        "@=\"default\"\r\n"
        "\"Blob\"=hex:01,02,\\\r\n"
        "  03,04\r\n";
    const auto tree = ParseRegText(text, kRoot);
    ASSERT_TRUE(tree);
    const RegKeyNode* key = FindKey(*tree, {"SOFTWARE", "kestrova", "HUSHDESK", "settings"});
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->values.size(), 5u);
    EXPECT_EQ(FindValue(*key, "niosecancel")->dword, 10u);
    EXPECT_EQ(FindValue(*key, "Path")->text, "C:\\Temp\\a \"b\".wav");
    EXPECT_EQ(FindValue(*key, "Loose")->text, "C:\\Temp");
    EXPECT_EQ(FindValue(*key, "")->text, "default");
    const RegValue* blob = FindValue(*key, "Blob");
    EXPECT_EQ(blob->type, RegType::Other);

    // Written back and read again, nothing changes.
    const auto again = ParseRegText(FormatRegText(*tree, kRoot), kRoot);
    ASSERT_TRUE(again);
    EXPECT_EQ(FormatRegText(*again, kRoot), FormatRegText(*tree, kRoot));
    EXPECT_EQ(
        FindValue(*FindKey(*again, {"Software", "Kestrova", "Hushdesk", "Settings"}), "Blob")->text,
        "hex:01,02,03,04");
}

TEST(RegistryTreeTest, EmptyTextIsAnEmptyRoot) {
    const auto tree = ParseRegText("", kRoot);
    ASSERT_TRUE(tree);
    EXPECT_TRUE(tree->subkeys.empty());
    EXPECT_TRUE(tree->values.empty());
}

TEST(RegistryTreeTest, ValuesOfTheRootKeyItselfSurvive) {
    RegKeyNode root{kRoot, {}, {}};
    SetValue(root, RegValue{"Top", RegType::Dword, 1, {}});
    const auto again = ParseRegText(FormatRegText(root, kRoot), kRoot);
    ASSERT_TRUE(again);
    ASSERT_NE(FindValue(*again, "Top"), nullptr);
    EXPECT_EQ(FindValue(*again, "Top")->dword, 1u);
}

TEST(RegistryTreeTest, TextsWithoutTheHeaderAreRefused) {
    for (const std::string& text : {
             std::string("[HKEY_CURRENT_USER\\A]\n"),                // no header
             std::string("Windows Registry Editor Version 4.00\n"),  // wrong header
         }) {
        EXPECT_FALSE(ParseRegText(text, kRoot)) << text;
    }
}

TEST(RegistryTreeTest, LinesThatCannotBeReadAreSkippedAndTheRestKept) {
    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    const std::string before = "[HKEY_CURRENT_USER\\Keep]\n\"Before\"=dword:00000001\n";
    const std::string after = "[HKEY_CURRENT_USER\\Keep]\n\"After\"=\"two\"\n";
    for (const std::string& bad : {
             std::string("\"x\"=-"),                  // a value deletion
             std::string("\"x\"=dword:100000000"),    // nine digits
             std::string("\"x\"=dword:0000000g"),     // not hex
             std::string("\"x\"=\"open"),             // unterminated text
             std::string("\"x\"=\"a\" trailing"),     // junk after text
             std::string("\"x\""),                    // no data
             std::string("[HKEY_CURRENT_USER\\A"),    // unclosed section
             std::string("[-HKEY_CURRENT_USER\\A]"),  // a deletion
         }) {
        std::vector<RegSkippedLine> skipped;
        const auto tree = ParseRegText(header + before + bad + "\n" + after, kRoot, &skipped);
        ASSERT_TRUE(tree) << bad;
        const RegKeyNode* keep = FindKey(*tree, {"Keep"});
        ASSERT_NE(keep, nullptr) << bad;
        ASSERT_EQ(keep->values.size(), 2u) << bad;
        EXPECT_EQ(FindValue(*keep, "Before")->dword, 1u) << bad;
        EXPECT_EQ(FindValue(*keep, "After")->text, "two") << bad;
        EXPECT_EQ(FindValue(*keep, "x"), nullptr) << bad;
        EXPECT_EQ(tree->subkeys.size(), 1u) << bad;
        ASSERT_EQ(skipped.size(), 1u) << bad;
        EXPECT_EQ(skipped[0].number, 5u) << bad;
        EXPECT_EQ(skipped[0].text, bad);
    }
}

TEST(RegistryTreeTest, ValuesUnderASkippedSectionAreSkippedWithIt) {
    std::string deep = "[HKEY_CURRENT_USER";
    for (size_t i = 0; i <= kRegMaxKeyDepth; ++i) {
        deep += "\\K";
    }
    deep += "]";
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n"
        "\"Orphan\"=dword:00000001\r\n"       // 2: before any section
        "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"  // 3: another root
        "\"Machine\"=dword:00000002\r\n"      // 4: under it
        "[HKEY_CURRENT_USER\\A\\\\B]\r\n"     // 5: empty key name
        "\"Empty\"=dword:00000003\r\n"        // 6
        "[HKEY_CURRENT_USER\\Good]\r\n"       // 7
        "\"Kept\"=dword:00000004\r\n" +       // 8
        deep +
        "\r\n" +                         // 9: deeper than Windows allows
        "\"Deep\"=dword:00000005\r\n"    // 10
        "[HKEY_CURRENT_USER\\Good]\r\n"  // 11
        "\"Blob\"=hex:01,\\\r\n";        // 12: continued past the end
    std::vector<RegSkippedLine> skipped;
    const auto tree = ParseRegText(text, kRoot, &skipped);
    ASSERT_TRUE(tree);
    ASSERT_EQ(tree->subkeys.size(), 1u);
    const RegKeyNode* good = FindKey(*tree, {"Good"});
    ASSERT_NE(good, nullptr);
    ASSERT_EQ(good->values.size(), 1u);
    EXPECT_EQ(FindValue(*good, "Kept")->dword, 4u);
    std::vector<size_t> numbers;
    for (const RegSkippedLine& line : skipped) {
        numbers.push_back(line.number);
    }
    EXPECT_EQ(numbers, (std::vector<size_t>{2, 3, 4, 5, 6, 9, 10, 12}));
    EXPECT_EQ(skipped[0].text, "\"Orphan\"=dword:00000001");
}

TEST(RegistryTreeTest, ALaterValueOfTheSameNameReplacesTheEarlierInItsPlace) {
    std::string text = "Windows Registry Editor Version 5.00\n\n";
    constexpr int kValues = 20000;
    for (int round = 0; round < 2; ++round) {
        // The second round names the key and values in other cases.
        text += round == 0 ? "[HKEY_CURRENT_USER\\Many]\n" : "[hkey_current_user\\MANY]\n";
        for (int i = 0; i < kValues; ++i) {
            text += "\"" + std::string(round == 0 ? "Value" : "VALUE") + std::to_string(i) +
                    "\"=dword:" + std::to_string(round) + "\n";
        }
    }
    std::vector<RegSkippedLine> skipped;
    const auto tree = ParseRegText(text, kRoot, &skipped);
    ASSERT_TRUE(tree);
    EXPECT_TRUE(skipped.empty());
    ASSERT_EQ(tree->subkeys.size(), 1u);
    const RegKeyNode& many = tree->subkeys[0];
    EXPECT_EQ(many.name, "Many");
    ASSERT_EQ(many.values.size(), size_t{kValues});
    for (int i : {0, 1, kValues / 2, kValues - 1}) {
        EXPECT_EQ(many.values[static_cast<size_t>(i)].name, "Value" + std::to_string(i));
        EXPECT_EQ(many.values[static_cast<size_t>(i)].dword, 1u);
    }
}

TEST(RegistryTreeTest, KeyPathsSplitOnBackslashes) {
    EXPECT_EQ(SplitKeyPath(""), std::vector<std::string>{});
    EXPECT_EQ(SplitKeyPath("A\\B c\\{D}"), (std::vector<std::string>{"A", "B c", "{D}"}));
    EXPECT_FALSE(SplitKeyPath("A\\"));
    EXPECT_FALSE(SplitKeyPath("A\nB"));
}

TEST(RegistryTreeTest, RemovingAKeyTakesItsSubtree) {
    RegKeyNode root{kRoot, {}, {}};
    FindOrCreateKey(root, {"A", "B", "C"});
    FindOrCreateKey(root, {"A", "D"});
    EXPECT_FALSE(RemoveKey(root, {}));
    EXPECT_TRUE(RemoveKey(root, {"a", "b"}));
    EXPECT_EQ(FindKey(root, {"A", "B", "C"}), nullptr);
    EXPECT_NE(FindKey(root, {"A", "D"}), nullptr);
    EXPECT_FALSE(RemoveKey(root, {"A", "B"}));
}

}  // namespace
}  // namespace platform
