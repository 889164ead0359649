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

TEST(RegistryTreeTest, TextsThatAreNotTheFormatAreRefused) {
    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    const std::string section = "[HKEY_CURRENT_USER\\A]\n";
    for (const std::string& text : {
             std::string("[HKEY_CURRENT_USER\\A]\n"),                // no header
             std::string("Windows Registry Editor Version 4.00\n"),  // wrong header
             header + "\"x\"=dword:00000001\n",                      // value before a section
             header + "[HKEY_LOCAL_MACHINE\\A]\n",                   // another root
             header + "[-HKEY_CURRENT_USER\\A]\n",                   // a deletion
             header + "[HKEY_CURRENT_USER\\A\\\\B]\n",               // empty key name
             header + "[HKEY_CURRENT_USER\\A\n",                     // unclosed section
             header + section + "\"x\"=-\n",                         // a value deletion
             header + section + "\"x\"=dword:100000000\n",           // nine digits
             header + section + "\"x\"=dword:0000000g\n",            // not hex
             header + section + "\"x\"=\"open\n",                    // unterminated text
             header + section + "\"x\"=\"a\" trailing\n",            // junk after text
             header + section + "\"x\"\n",                           // no data
             header + section + "\"x\"=hex:01,\\\n",                 // continued past the end
         }) {
        EXPECT_FALSE(ParseRegText(text, kRoot)) << text;
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
