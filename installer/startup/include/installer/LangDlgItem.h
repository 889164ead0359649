// One language a configuration file offers: the attributes of its first
// <LangSelectionDlg> element, with the log lines Setup has always written
// while reading them.
#pragma once

#include <pugixml.hpp>
#include <string>

namespace installer {

struct LangDlgItem {
    // Reads `fileName` (relative to the current directory). A file that
    // cannot be read or parsed, or has no <LangSelectionDlg>, gives an entry
    // with every field at its default, which is not offered (empty Name).
    explicit LangDlgItem(const std::string& fileName);
    LangDlgItem() = default;

    // Reads ID and Default (leading-integer rule, 0 when not a number) and the
    // texts from the element's attributes; other attributes are ignored.
    void ProcessNode(const pugi::xml_node& node);

    std::string FileName;
    int ID = 0;
    int Default = 0;
    std::string Name;        // shown in the list; empty: not offered
    std::string HeaderName;  // the dialog's title
    std::string Label;       // the prompt above the list
    std::string BtnOk;
    std::string BtnCancel;
};

}  // namespace installer
