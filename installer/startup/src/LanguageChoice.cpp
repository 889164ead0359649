#include "installer/LanguageChoice.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "installer/Launch.h"
#include "installer/Log.h"
#include "resources/StringTable.h"

namespace installer {
namespace {

constexpr int kLargestLanguageId = 65535;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

bool HasXmlExtension(const std::string& name) {
    return name.size() > 4 &&
           EqualsIgnoringCase(std::string_view(name).substr(name.size() - 4), ".xml");
}

LanguageDialogTexts TextsOf(const LangDlgItem& entry) {
    return {entry.HeaderName, entry.Label, entry.BtnOk, entry.BtnCancel};
}

}  // namespace

std::vector<std::string> ListConfigFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        std::error_code ignored;
        if (HasXmlExtension(name) && entry.is_regular_file(ignored)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<LangDlgItem> ReadLanguageEntries() {
    std::vector<LangDlgItem> entries;
    for (const std::string& name : ListConfigFiles(".")) {
        LangDlgItem entry(name);
        if (entry.Name.empty()) {
            continue;
        }
        if (entry.ID < 1 || entry.ID > kLargestLanguageId) {
            Log("LangDlgItem(" + name + "): language ID " + std::to_string(entry.ID) +
                " is not a language identifier; not offered\n");
            continue;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

LanguageChoice ChooseLanguage(const std::vector<LangDlgItem>& entries, int uiLanguage) {
    LanguageChoice choice;
    if (entries.size() == 1) {
        choice.autoOk = true;
        choice.languageId = entries.front().ID;
        choice.options.push_back(
            {entries.front().Name, entries.front().ID, entries.front().FileName});
        return choice;
    }
    for (const LangDlgItem& entry : entries) {
        choice.options.push_back({entry.Name, entry.ID, entry.FileName});
    }
    std::stable_sort(
        choice.options.begin(), choice.options.end(),
        [](const LanguageOption& a, const LanguageOption& b) { return a.name < b.name; });

    const LangDlgItem* userLanguage = nullptr;
    const LangDlgItem* defaultLanguage = nullptr;
    for (const LangDlgItem& entry : entries) {
        if (entry.ID == uiLanguage) {
            userLanguage = &entry;
        }
        if (entry.Default != 0) {
            defaultLanguage = &entry;
        }
    }
    if (defaultLanguage == nullptr) {
        return choice;
    }
    const LangDlgItem& textSource = userLanguage != nullptr ? *userLanguage : *defaultLanguage;
    choice.texts = TextsOf(textSource);
    choice.languageId = textSource.ID;
    for (size_t i = 0; i < choice.options.size(); ++i) {
        if (choice.options[i].id == textSource.ID) {
            choice.preselected = i;  // the last position with that id, as the list was searched
        }
    }
    return choice;
}

std::string ConfigFileForLanguage(int languageId, const std::vector<LangDlgItem>& entries) {
    const std::string wanted = std::to_string(languageId) + ".xml";
    const std::vector<std::string> files = ListConfigFiles(".");
    if (std::find(files.begin(), files.end(), wanted) != files.end()) {
        return wanted;
    }
    for (const std::string& name : files) {
        if (EqualsIgnoringCase(name, wanted)) {
            return name;
        }
    }
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (entry->ID == languageId) {
            return entry->FileName;
        }
    }
    return wanted;
}

bool HasZeroConfigFile() {
    const std::vector<std::string> files = ListConfigFiles(".");
    return std::any_of(files.begin(), files.end(),
                       [](const std::string& name) { return EqualsIgnoringCase(name, "0.xml"); });
}

std::optional<std::string> NoConfigurationMessage(const std::vector<LangDlgItem>& entries,
                                                  int uiLanguage) {
    if (!entries.empty() || HasZeroConfigFile()) {
        return std::nullopt;
    }
    std::error_code ignored;
    const std::string folder = std::filesystem::current_path(ignored).string();
    return res::Format(
        res::LoadPair(res::kTextSetupNoConfiguration, uiLanguage != kRussianLanguageId),
        folder.c_str());
}

}  // namespace installer
