#include "installer/Config.h"

#include <filesystem>
#include <pugixml.hpp>

#include "installer/Log.h"
#include "installer/Probes.h"
#include "installer/XmlText.h"
#include "platform/InstallerState.h"

namespace installer {
namespace {

int CheckCommandLineValue(std::string_view value) {
    if (value == "checkAndShow") {
        return kCheckAndShow;
    }
    if (value == "checkAndHide") {
        return kCheckAndHide;
    }
    return kCheckCommandLineOff;
}

// The item's working directory: an absolute value as written, a relative one
// below the current directory. Media written on Windows use '\'.
std::string WorkingDirectoryFor(std::string value) {
    for (char& c : value) {
        if (c == '\\') {
            c = '/';
        }
    }
    if (!value.empty() && value.front() == '/') {
        return value;
    }
    std::error_code error;
    const std::string current = std::filesystem::current_path(error).string();
    return current + "/" + value;
}

void ReadItemAttribute(SetupItem& item, std::string_view name, const char* value) {
    if (name == "Action") {
        item.Action = value;
    } else if (name == "Title") {
        item.Title = value;
    } else if (name == "InstalledDescription") {
        item.InstalledDescription = value;
    } else if (name == "NotInstalledDescription") {
        item.NotInstalledDescription = value;
    } else if (name == "ProductCode") {
        item.ProductCode = value;
    } else if (name == "CommandLine") {
        item.CommandLine = value;
    } else if (name == "CommandLineX64") {
        item.CommandLineX64 = value;
        item.hasCommandLineX64 = true;
    } else if (name == "InstalledCommandLine") {
        item.InstalledCommandLine = value;
    } else if (name == "InstalledCommandLineX64") {
        item.InstalledCommandLineX64 = value;
        item.hasInstalledCommandLineX64 = true;
    } else if (name == "InstalledWarning") {
        item.InstalledWarning = value;
    } else if (name == "MinVersion") {
        item.MinVersion = value;
    } else if (name == "Message") {
        item.Message = value;
    } else if (name == "CheckMSSQL2000") {
        item.CheckMSSQL2000 = IsYes(value);
    } else if (name == "MSSQL2000InstalledDescription") {
        item.MSSQL2000InstalledDescription = value;
    } else if (name == "Type") {
        item.Type = value;
    } else if (name == "ProductRegistryString") {
        item.ProductRegistryString = value;
    } else if (name == "CheckCommandLine") {
        item.CheckCommandLine = CheckCommandLineValue(value);
    } else if (name == "FileNotFoundDescription") {
        item.FileNotFoundDescription = value;
    } else if (name == "SetCurrentDirectory") {
        item.SetCurrentDirectory = WorkingDirectoryFor(value);
    } else if (name == "HideIfInstalled") {
        item.HideIfInstalled = IsYes(value);
    }
}

IntelliCommandEntry ReadIntelliCommand(const pugi::xml_node& node) {
    IntelliCommandEntry entry;
    for (const pugi::xml_attribute& attribute : node.attributes()) {
        const std::string_view name = attribute.name();
        const char* value = attribute.value();
        if (name == "ProductCode") {
            entry.ProductCode = value;
        } else if (name == "ProductFeature") {
            entry.ProductFeature = value;
        } else if (name == "NotInstalledCommand") {
            entry.NotInstalledCommand = value;
        } else if (name == "InstalledCommand") {
            entry.InstalledCommand = value;
        } else if (name == "NotInstalledCommandX64") {
            entry.NotInstalledCommandX64 = value;
            entry.hasNotInstalledCommandX64 = true;
        } else if (name == "InstalledCommandX64") {
            entry.InstalledCommandX64 = value;
            entry.hasInstalledCommandX64 = true;
        } else if (name == "OsMinVersion") {
            entry.OsMinVersion = value;
        } else if (name == "OsMaxVersion") {
            entry.OsMaxVersion = value;
        }
    }
    return entry;
}

ShellExecuteEntry ReadShellExecute(const pugi::xml_node& node) {
    ShellExecuteEntry entry;
    for (const pugi::xml_attribute& attribute : node.attributes()) {
        const std::string_view name = attribute.name();
        if (name == "File") {
            entry.File = attribute.value();
        } else if (name == "Parameters") {
            entry.Parameters = attribute.value();
        }
    }
    return entry;
}

FeatureRule ReadFeatureRule(const pugi::xml_node& node, bool antiDepends) {
    FeatureRule rule;
    for (const pugi::xml_attribute& attribute : node.attributes()) {
        const std::string_view name = attribute.name();
        if (name == "Product") {
            rule.Product = attribute.value();
        } else if (name == "Feature") {
            rule.Feature = attribute.value();
        } else if (name == "Text" || (!antiDepends && name == "NotInstalledText")) {
            rule.Text = attribute.value();
        } else if (antiDepends && name == "DisableOnItemAlreadyInstalled") {
            rule.DisableOnItemAlreadyInstalled = IsYes(attribute.value());
        }
    }
    return rule;
}

void ReadItemChildren(SetupItem& item, const pugi::xml_node& node) {
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        const std::string_view name = child.name();
        if (name == "Command") {
            IntelliCommandEntry entry;
            entry.NotInstalledCommand = ElementText(child);
            item.commands.push_back(std::move(entry));
        } else if (name == "IntelliCommand") {
            if (child.first_attribute()) {
                item.commands.push_back(ReadIntelliCommand(child));
            }
        } else if (name == "ShellExecute") {
            if (child.first_attribute()) {
                item.shellExecutes.push_back(ReadShellExecute(child));
            }
        } else if (name == "AltProductCode") {
            item.AltProductCode.push_back(ElementText(child));
        } else if (name == "AltProductRegistryString") {
            item.AltProductRegistryString.push_back(ElementText(child));
        }
    }
}

SetupItem ReadItem(const pugi::xml_node& node) {
    SetupItem item;
    for (const pugi::xml_attribute& attribute : node.attributes()) {
        ReadItemAttribute(item, attribute.name(), attribute.value());
    }
    ReadItemChildren(item, node);
    for (const pugi::xpath_node& found : node.select_nodes("Depends/@Item")) {
        item.Depends.emplace_back(found.attribute().value());
    }
    for (const pugi::xpath_node& found : node.select_nodes("FeatureDepends")) {
        item.FeatureDepends.push_back(ReadFeatureRule(found.node(), false));
    }
    for (const pugi::xpath_node& found : node.select_nodes("FeatureAntiDepends")) {
        item.FeatureAntiDepends.push_back(ReadFeatureRule(found.node(), true));
    }
    for (const pugi::xpath_node& found : node.select_nodes("AntiDepends/@Item")) {
        item.AntiDepends.emplace_back(found.attribute().value());
    }
    ProbeInstalled(item);
    CheckFilesPresent(item);
    return item;
}

// A size attribute: its leading integer when there is one and it is positive;
// the page divides by MaxItemsInColumn and multiplies by Width.
int ReadPositiveInt(const pugi::xml_node& node, const char* name, int fallback) {
    const pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute) {
        return fallback;
    }
    const auto value = ParseLeadingInt(attribute.value());
    return value && *value > 0 ? *value : fallback;
}

bool FeatureInstalledLocally(const FeatureRule& rule) {
    return platform::QueryFeatureState(rule.Product, rule.Feature) == platform::kInstallStateLocal;
}

}  // namespace

Config::Config(const std::string& path) {
    Log("Config::Config - started\n");
    if (const auto bytes = ReadFileBytes(path)) {
        Read(*bytes, path);
    }
    UpdateEnabled();
    Log("Config::Config - finished\n");
}

Config Config::FromText(std::string_view bytes) {
    Log("Config::Config - started\n");
    Config config;
    config.Read(bytes, "");
    config.UpdateEnabled();
    Log("Config::Config - finished\n");
    return config;
}

void Config::Read(std::string_view bytes, const std::string& fileName) {
    pugi::xml_document doc;
    std::optional<size_t> invalidByte;
    if (!ParseXmlDocument(bytes, doc, &invalidByte)) {
        if (invalidByte) {
            Log("Config::Config - " + fileName + " is not valid UTF-8 (byte " +
                std::to_string(*invalidByte) + "), so it is not read\n");
        }
        return;
    }
    if (const pugi::xml_node windows = doc.select_node("/AutoRun/Windows").node()) {
        WindowsMinVersion = windows.attribute("MinVersion").value();
        WindowsMessage = windows.attribute("Message").value();
        for (const pugi::xpath_node& found : doc.select_nodes("/AutoRun/Windows/If")) {
            WindowsRule rule;
            for (const pugi::xml_attribute& attribute : found.node().attributes()) {
                const std::string_view name = attribute.name();
                if (name == "Version" || name == "OsVersion") {
                    rule.OsVersion = attribute.value();
                } else if (name == "ThenNeed") {
                    rule.ThenNeed = attribute.value();
                } else if (name == "Message") {
                    rule.Message = attribute.value();
                }
            }
            windowsRules.push_back(std::move(rule));
        }
    }
    if (const pugi::xml_node texts = doc.select_node("/AutoRun/Prerequisites").node()) {
        prerequisitesTexts.Title = texts.attribute("Title").value();
        prerequisitesTexts.Description = texts.attribute("Description").value();
        prerequisitesTexts.InstallLabel = texts.attribute("InstallLabel").value();
        prerequisitesTexts.NotInstalledDescription =
            texts.attribute("NotInstalledDescription").value();
        for (const pugi::xpath_node& found : doc.select_nodes("/AutoRun/Prerequisites/Item")) {
            SetupItem item = ReadItem(found.node());
            if (item.installed) {
                continue;
            }
            prerequisiteIndex[item.Action] = prerequisites.size();
            hasBlockingMessage = hasBlockingMessage || !item.Message.empty();
            prerequisites.push_back(std::move(item));
        }
    }
    for (const pugi::xpath_node& found : doc.select_nodes("/AutoRun/Item")) {
        SetupItem item = ReadItem(found.node());
        mainIndex[item.Action] = mainItems.size();
        mainItems.push_back(std::move(item));
    }
    if (const pugi::xml_node dialog = doc.select_node("/AutoRun/MainDialog").node()) {
        Title = dialog.attribute("Title").value();
        Company = dialog.attribute("Company").value();
        Width = ReadPositiveInt(dialog, "Width", kDefaultWidth);
        MaxItemsInColumn = ReadPositiveInt(dialog, "MaxItemsInColumn", kDefaultMaxItemsInColumn);
        ReadmeLabel = dialog.attribute("ReadmeLabel").value();
        ReadmeHref = dialog.attribute("ReadmeHref").value();
        ExitLabel = dialog.attribute("ExitLabel").value();
    }
}

void Config::UpdateEnabled() {
    for (SetupItem& item : mainItems) {
        if (item.CheckCommandLine == kCheckAndShow && !item.filesPresent) {
            item.enabled = false;
            continue;
        }
        item.enabled = true;
        item.dependencyText.clear();
        item.conflictText.clear();
        for (const std::string& name : item.Depends) {
            const auto found = mainIndex.find(name);
            if (found == mainIndex.end() || !mainItems[found->second].installed) {
                item.enabled = false;
                break;
            }
        }
        for (const FeatureRule& rule : item.FeatureDepends) {
            if (!FeatureInstalledLocally(rule)) {
                item.enabled = false;
                item.dependencyText = rule.Text;
                break;
            }
        }
        for (const std::string& name : item.AntiDepends) {
            const auto found = mainIndex.find(name);
            if (found == mainIndex.end() || mainItems[found->second].installed) {
                item.enabled = false;
                break;
            }
        }
        for (const FeatureRule& rule : item.FeatureAntiDepends) {
            if (FeatureInstalledLocally(rule)) {
                if (!(item.installed && !rule.DisableOnItemAlreadyInstalled)) {
                    item.enabled = false;
                    item.conflictText = rule.Text;
                }
                break;
            }
        }
    }
}

}  // namespace installer
