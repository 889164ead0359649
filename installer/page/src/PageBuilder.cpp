#include "installer/PageBuilder.h"

#include <vector>

namespace installer {
namespace {

constexpr std::string_view kTypePdf = "pdf";
constexpr std::string_view kTypeBlue = "blue";

bool IsRightToLeft(int languageId) {
    return languageId == kRightToLeftLanguageId;
}

void AppendBanner(std::string& html, const Config& config, bool rightToLeft) {
    html += rightToLeft ? "<div class=\"hdr1_rtl\">\n" : "<div class=\"hdr1\">\n";
    html += config.Company;
    html += "\n";
    html += rightToLeft ? "<div class=\"hdr2_rtl\">" : "<div class=\"hdr2\">";
    html += config.Title;
    html += "</div>\n</div>\n";
    if (rightToLeft) {
        html += "<div class=\"table_rtl\">\n";
    }
}

void AppendExitLink(std::string& html, const Config& config) {
    if (!config.ExitLabel.empty()) {
        html +=
            "<div class=\"hyperlink\" style=\"float : right; margin-top : 5mm; margin-down : "
            "10mm;\" id=\"Cancel\">";
        html += config.ExitLabel;
        html += "</div><br><br>";
    }
}

// The description a main row shows, the first rule that applies.
const std::string& Description(const SetupItem& item, const PageFacts& facts) {
    if (item.CheckCommandLine == kCheckAndShow && !item.filesPresent) {
        return item.FileNotFoundDescription;
    }
    if (item.Type == kTypePdf && facts.pdfReaderRegistered) {
        return item.InstalledDescription;
    }
    if (!item.installed) {
        if (!item.dependencyText.empty()) {
            return item.dependencyText;
        }
        return item.conflictText.empty() ? item.NotInstalledDescription : item.conflictText;
    }
    if (!item.CheckMSSQL2000) {
        return item.conflictText.empty() ? item.InstalledDescription : item.conflictText;
    }
    // With neither client tools present the plain installed text is the honest one.
    if (!facts.sqlServer2005ClientTools && facts.sqlServer2000ClientTools) {
        return item.MSSQL2000InstalledDescription;
    }
    return item.InstalledDescription;
}

struct RowClasses {
    const char* mark;
    const char* action;
    const char* description;
};

void AppendMainRow(std::string& html, const SetupItem& item, const PageFacts& facts, int& number) {
    const std::string id = EscapeAttribute(item.Action);
    const bool pdf = item.Type == kTypePdf;
    RowClasses classes{"DigitRed", "Action", "Description"};
    if (pdf) {
        classes = facts.pdfReaderRegistered
                      ? RowClasses{"PdfBlue", "Action", "Description"}
                      : RowClasses{"DisablePdfBlue", "DisabledAction", "DisabledDescription"};
    } else if (item.Type == kTypeBlue) {
        classes.mark = "DigitBlue";
    } else if (IsRowDisabled(item)) {
        classes = {"DisabledDigit", "DisabledAction", "DisabledDescription"};
    } else if (item.installed) {
        classes.mark = "DigitGreen";
    }
    html += "<tr>\n<td align=\"center\" class=\"";
    html += classes.mark;
    html += "\" id=\"" + id + "\">";
    html += pdf ? std::string("PDF") : std::to_string(number++);
    html += "</td>\n<td><div class=\"";
    html += classes.action;
    html += "\" id=\"" + id + "\">";
    html += item.Title;
    html += "</div>\n<div class=\"";
    html += classes.description;
    html += "\">";
    html += Description(item, facts);
    html += "</div></td></tr>\n";
}

}  // namespace

bool IsRowDisabled(const SetupItem& item) {
    if (item.Type == kTypePdf || item.Type == kTypeBlue) {
        return false;
    }
    return !item.enabled || (item.CheckCommandLine != kCheckCommandLineOff && !item.filesPresent);
}

std::string EscapeAttribute(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

Page BuildMainPage(const Config& config, const PageFacts& facts, int languageId,
                   DisplayScale scale) {
    std::vector<const SetupItem*> visible;
    for (const SetupItem& item : config.mainItems) {
        if (IsVisible(item)) {
            visible.push_back(&item);
        }
    }
    const int count = static_cast<int>(visible.size());
    const int perColumnLimit =
        config.MaxItemsInColumn > 0 ? config.MaxItemsInColumn : kDefaultMaxItemsInColumn;
    const int columns = (count + perColumnLimit - 1) / perColumnLimit;
    const int rows = columns == 0 ? 0 : (count + columns - 1) / columns;

    const bool rightToLeft = IsRightToLeft(languageId);
    std::string html;
    AppendBanner(html, config, rightToLeft);
    html += "<table id=\"Container\">\n<tr valign=\"top\">";
    int number = 1;
    size_t next = 0;
    for (int column = 0; column < columns; ++column) {
        html += "<td>\n<table id=\"ActionList\">\n";
        for (int row = 0; row < rows && next < visible.size(); ++row) {
            AppendMainRow(html, *visible[next++], facts, number);
        }
        html += "</table>\n</td>";
    }
    html += "</tr></table>";
    if (rightToLeft) {
        html += "</div>\n";
    }
    if (!config.ReadmeLabel.empty() && !config.ReadmeHref.empty()) {
        html += "<div class=\"hyperlink\" style=\"float : left; margin-top : 5mm;\" id=\"ReadMe\">";
        html += config.ReadmeLabel;
        html += "</div>\n";
    }
    if (!config.ExitLabel.empty()) {
        html +=
            "<div class=\"hyperlink\" style=\"float : right; margin-top : 5mm;\" id=\"Cancel\">";
        html += config.ExitLabel;
        html += "</div>\n";
    }
    return {html, config.Title, MainPageSize(columns, rows, config.Width, scale)};
}

Page BuildPrerequisitesPage(const Config& config, bool afterAttempt, int languageId,
                            DisplayScale scale) {
    const bool rightToLeft = IsRightToLeft(languageId);
    const PrerequisitesPageTexts& texts = config.prerequisitesTexts;
    std::string html;
    AppendBanner(html, config, rightToLeft);
    html += "<div class=\"TopTitle\">" + texts.Title + "</div>\n";
    html += "<div class=\"PlainText\">";
    html += afterAttempt ? texts.NotInstalledDescription : texts.Description;
    html += "</div>\n<table id=\"ActionList\">\n";
    int rows = 0;
    for (const SetupItem& item : config.prerequisites) {
        if (item.installed) {
            continue;
        }
        const std::string id = EscapeAttribute(item.Action);
        html += "<tr>\n<td class=\"MarkRed\" id=\"" + id + "\">&raquo</td>\n";
        html +=
            "<td><div class=\"PlainText\" id=\"" + id + "\">" + item.Title + "</div></td></tr>\n";
        ++rows;
    }
    html += "</table>";
    if (rightToLeft) {
        html += "</div>\n";
    }
    if (!texts.InstallLabel.empty()) {
        html +=
            "<div class=\"hyperlink\" style=\"float : left; margin-top : 5mm; margin-down : "
            "10mm;\" id=\"PreInstall\">";
        html += texts.InstallLabel;
        html += "</div>";
    }
    AppendExitLink(html, config);
    return {html, config.Title, PrerequisitesPageSize(rows, afterAttempt, config.Width, scale)};
}

Page BuildBlockingPage(const Config& config, DisplayScale scale) {
    std::string html;
    AppendBanner(html, config, false);
    html += "<table id=\"ActionList\">\n";
    for (const SetupItem& item : config.prerequisites) {
        if (item.Message.empty()) {
            continue;
        }
        const std::string id = EscapeAttribute(item.Action);
        html += "<tr>\n<td class=\"MarkRed2\" id=\"" + id + "\">!</td>\n";
        html += "<td class=\"SpaceBefore\"><div class=\"PlainText\" id=\"" + id + "\">" +
                item.Message + "</div></td></tr>\n";
    }
    html += "</table>";
    AppendExitLink(html, config);
    return {html, config.Title, BlockingPageSize(config.Width, scale)};
}

}  // namespace installer
