#include "installer/LanguageChoice.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "installer/Log.h"
#include "testsupport/Files.h"
#include "testsupport/TempFolder.h"

namespace installer {
namespace {

using testsupport::TempFolder;
using testsupport::WriteText;

LangDlgItem Entry(int id, const std::string& name, int isDefault = 0) {
    LangDlgItem entry;
    entry.FileName = std::to_string(id) + ".xml";
    entry.ID = id;
    entry.Name = name;
    entry.Default = isDefault;
    entry.HeaderName = "Header " + name;
    entry.Label = "Label " + name;
    entry.BtnOk = "OK " + name;
    entry.BtnCancel = "Cancel " + name;
    return entry;
}

std::string LanguageFile(const std::string& attributes) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<AutoRun><LangSelectionDlg " + attributes +
           "/><MainDialog Title=\"x\"/></AutoRun>\n";
}

class LanguageFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::current_path(m_folder.Path());
        SetLogSinkForTesting([this](const std::string& line) { log += line; });
    }
    void TearDown() override { SetLogSinkForTesting({}); }

    TempFolder m_folder;
    std::string log;
};

TEST(LanguageChoiceTest, OneLanguageIsTakenWithoutAsking) {
    const LanguageChoice choice = ChooseLanguage({Entry(1049, "Русский")}, 1033);
    EXPECT_TRUE(choice.autoOk);
    EXPECT_EQ(choice.languageId, 1049);
}

TEST(LanguageChoiceTest, TheUsersLanguageGivesTheTextsAndTheDefaultStandsInForOthers) {
    const std::vector<LangDlgItem> entries = {Entry(1049, "Русский"), Entry(1033, "English", 1)};
    struct Case {
        int uiLanguage;
        int languageId;
        std::string header;
    };
    for (const Case& c : {Case{1049, 1049, "Header Русский"}, Case{1031, 1033, "Header English"},
                          Case{0, 1033, "Header English"}, Case{1033, 1033, "Header English"}}) {
        const LanguageChoice choice = ChooseLanguage(entries, c.uiLanguage);
        EXPECT_FALSE(choice.autoOk);
        ASSERT_EQ(choice.options.size(), 2u);
        EXPECT_EQ(choice.options[0].name, "English");  // sorted by name
        EXPECT_EQ(choice.options[1].name, "Русский");
        EXPECT_EQ(choice.languageId, c.languageId) << c.uiLanguage;
        ASSERT_TRUE(choice.texts);
        EXPECT_EQ(choice.texts->HeaderName, c.header);
        ASSERT_TRUE(choice.preselected);
        EXPECT_EQ(choice.options[*choice.preselected].id, c.languageId);
    }
}

TEST(LanguageChoiceTest, WithoutADefaultNothingIsChosenAndTheBuiltInTextsStay) {
    const LanguageChoice choice =
        ChooseLanguage({Entry(1049, "Русский"), Entry(1033, "English")}, 1049);
    EXPECT_FALSE(choice.autoOk);
    EXPECT_FALSE(choice.texts);
    EXPECT_FALSE(choice.preselected);
    EXPECT_EQ(choice.languageId, 0);
    EXPECT_EQ(choice.options.size(), 2u);

    const LanguageChoice none = ChooseLanguage({}, 1049);
    EXPECT_FALSE(none.autoOk);
    EXPECT_TRUE(none.options.empty());
}

TEST(LanguageChoiceTest, TheLastOfSeveralDefaultsAndUserLanguagesCounts) {
    LangDlgItem secondRussian = Entry(1049, "Russian (2)");
    secondRussian.HeaderName = "second";
    const std::vector<LangDlgItem> entries = {Entry(1049, "Русский", 1), secondRussian,
                                              Entry(1033, "English", 1)};
    EXPECT_EQ(ChooseLanguage(entries, 1049).texts->HeaderName, "second");
    EXPECT_EQ(ChooseLanguage(entries, 1031).texts->HeaderName, "Header English");
}

TEST_F(LanguageFilesTest, EntriesComeFromXmlFilesInAnyCaseSortedAndOnlyRealLanguagesAreOffered) {
    WriteText(m_folder.File("1049.XML"),
              LanguageFile("ID=\"1049\" Name=\"Русский\" HeaderName=\"Язык\" Extra=\"x\""));
    WriteText(m_folder.File("1033.xml"),
              LanguageFile("ID=\" 1033abc\" Default=\"1\" Name=\"English\""));
    WriteText(m_folder.File("70000.xml"), LanguageFile("ID=\"70000\" Name=\"Too big\""));
    WriteText(m_folder.File("minus.xml"), LanguageFile("ID=\"-1\" Name=\"Negative\""));
    WriteText(m_folder.File("noname.xml"), LanguageFile("ID=\"1031\""));
    WriteText(m_folder.File("broken.xml"), "<AutoRun><LangSelectionDlg ID=\"1036\" Name=\"F\"");
    WriteText(m_folder.File("notes.txt"), LanguageFile("ID=\"1040\" Name=\"Italiano\""));
    std::filesystem::create_directory(m_folder.File("folder.xml"));

    EXPECT_EQ(ListConfigFiles("."),
              (std::vector<std::string>{"1033.xml", "1049.XML", "70000.xml", "broken.xml",
                                        "minus.xml", "noname.xml"}));
    const std::vector<LangDlgItem> entries = ReadLanguageEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].ID, 1033);
    EXPECT_EQ(entries[0].Default, 1);
    EXPECT_EQ(entries[1].FileName, "1049.XML");
    EXPECT_EQ(entries[1].Name, "Русский");
    EXPECT_EQ(entries[1].HeaderName, "Язык");
    EXPECT_NE(log.find("LangDlgItem(70000.xml): language ID 70000 is not a language identifier; "
                       "not offered\n"),
              std::string::npos);
}

TEST_F(LanguageFilesTest, ReadingAnEntryWritesItsLogLines) {
    WriteText(m_folder.File("1033.xml"), LanguageFile("ID=\"1033\" Name=\"English\""));
    LangDlgItem entry("1033.xml");
    EXPECT_EQ(log,
              "LangDlgItem::LangDlgItem(1033.xml) - started\n"
              "doc.CreateInstance(__uuidof(MSXML2::DOMDocument)) SUCCEED\n"
              "doc->load(1033.xml, &success) SUCCEED\n"
              "doc->selectNodes(/AutoRun/LangSelectionDlg, &nodes) SUCCEED\n"
              "LangDlgItem::ProcessNode(IXMLDOMNodePtr node) - started\n"
              "LangDlgItem::ProcessNode(IXMLDOMNodePtr node) - finished\n\n"
              "LangDlgItem::LangDlgItem(1033.xml) - finished\n");

    log.clear();
    LangDlgItem missing("%s%n.xml");
    EXPECT_EQ(log,
              "LangDlgItem::LangDlgItem(%s%n.xml) - started\n"
              "doc.CreateInstance(__uuidof(MSXML2::DOMDocument)) SUCCEED\n"
              "ERROR2: doc->load(%s%n.xml, &success) FAILED\n"
              "LangDlgItem::LangDlgItem(%s%n.xml) - finished\n");
    EXPECT_TRUE(missing.Name.empty());
}

TEST_F(LanguageFilesTest, TheChosenLanguagesFileIsItsNumberElseTheFileThatOfferedIt) {
    WriteText(m_folder.File("english.xml"), LanguageFile("ID=\"1033\" Name=\"English\""));
    WriteText(m_folder.File("1049.XML"), LanguageFile("ID=\"1049\" Name=\"Русский\""));
    const std::vector<LangDlgItem> entries = ReadLanguageEntries();
    EXPECT_EQ(ConfigFileForLanguage(1033, entries), "english.xml");
    EXPECT_EQ(ConfigFileForLanguage(1049, entries), "1049.XML");
    WriteText(m_folder.File("1033.xml"), LanguageFile("ID=\"1033\" Name=\"English\""));
    EXPECT_EQ(ConfigFileForLanguage(1033, entries), "1033.xml");
    EXPECT_EQ(ConfigFileForLanguage(0, entries), "0.xml");
}

// A translator's windows-1251 file that says (or assumes) UTF-8 used to be
// offered as a blank entry; a medium with nothing readable showed an empty
// language dialog.
TEST_F(LanguageFilesTest, FilesThatAreNotUtf8AreNotOfferedAndNothingReadableIsSaid) {
    const std::string cp1251 =
        "<AutoRun><LangSelectionDlg ID=\"1049\" Name=\"\xD0\xF3\xF1\"/>"
        "<MainDialog Title=\"x\"/></AutoRun>";
    WriteText(m_folder.File("1049.xml"), cp1251);
    const std::vector<LangDlgItem> entries = ReadLanguageEntries();
    EXPECT_TRUE(entries.empty());
    EXPECT_NE(log.find("1049.xml is not valid UTF-8 (byte 43), so it is not read\n"),
              std::string::npos)
        << log;

    const std::string folder = std::filesystem::current_path().string();
    EXPECT_EQ(NoConfigurationMessage(entries, 1033),
              "No installation language can be offered: this folder holds no readable "
              "configuration file with a language entry:\n" +
                  folder);
    EXPECT_EQ(NoConfigurationMessage(entries, 1049),
              "Нельзя предложить язык установки: в этой папке нет читаемого файла конфигурации с "
              "описанием языка:\n" +
                  folder);
    EXPECT_EQ(NoConfigurationMessage({Entry(1033, "English")}, 1033), std::nullopt);

    // "0.xml" lets OK start without a choice, in whatever case the medium has it.
    EXPECT_FALSE(HasZeroConfigFile());
    WriteText(m_folder.File("0.XML"), LanguageFile("Name=\"\""));
    EXPECT_TRUE(HasZeroConfigFile());
    EXPECT_EQ(NoConfigurationMessage(entries, 1033), std::nullopt);
    EXPECT_EQ(ConfigFileForLanguage(0, entries), "0.XML");
}

}  // namespace
}  // namespace installer
