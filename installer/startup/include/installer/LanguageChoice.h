// Choosing the installation language from the configuration files of the
// medium, one per language ("1033.xml", "1049.xml").
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "installer/LangDlgItem.h"

namespace installer {

// The names of the "*.xml" files in `folder` (the extension in any case),
// sorted by byte order, as media listings come.
std::vector<std::string> ListConfigFiles(const std::string& folder);

// A LangDlgItem for each configuration file of the current directory, keeping
// those that offer a language: a non-empty Name and an ID in 1..65535 (a
// language id is 16 bits; a larger one would open another language's file).
std::vector<LangDlgItem> ReadLanguageEntries();

struct LanguageOption {
    std::string name;
    int id = 0;
    std::string fileName;
};

// The texts of the language dialog; absent ones keep the built-in texts.
struct LanguageDialogTexts {
    std::string HeaderName;
    std::string Label;
    std::string BtnOk;
    std::string BtnCancel;
};

struct LanguageChoice {
    // Exactly one language offered: it is taken without asking.
    bool autoOk = false;
    // The list, sorted by name.
    std::vector<LanguageOption> options;
    // From the user's own language when a file offers it, else from the
    // default language; nullopt when no file is marked Default.
    std::optional<LanguageDialogTexts> texts;
    // The option selected at first; nullopt for none.
    std::optional<size_t> preselected;
    // The language chosen if OK is pressed without another choice (0: none).
    int languageId = 0;
};

// `uiLanguage` is the user's interface language (0: no preference). When a
// file is marked Default: the texts come from the last file offering the
// user's language, else from the last Default file, and that language is
// preselected. With no Default file nothing is preselected.
LanguageChoice ChooseLanguage(const std::vector<LangDlgItem>& entries, int uiLanguage);

// The configuration file of the chosen language: "<id>.xml" when it exists (in
// any case), else the file that offered the id (a medium may call its files
// "english.xml"), else "<id>.xml" all the same.
std::string ConfigFileForLanguage(int languageId, const std::vector<LangDlgItem>& entries);

// Whether the current folder holds "0.xml", in any case ("0.XML" from a CD):
// the configuration OK starts with when no language was chosen.
bool HasZeroConfigFile();

// When the current folder offers no language to choose (no readable
// configuration file) and has no "0.xml" to start with: the text of the box
// that says so, in Russian for the user language 1049, else in English.
// nullopt when there is something to choose.
std::optional<std::string> NoConfigurationMessage(const std::vector<LangDlgItem>& entries,
                                                  int uiLanguage);

}  // namespace installer
