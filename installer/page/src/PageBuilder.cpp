#include "installer/PageBuilder.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace installer {
namespace {

constexpr std::string_view kTypePdf = "pdf";
constexpr std::string_view kTypeBlue = "blue";

constexpr std::string_view kTextSlotStart = "<span data-text=\"";
constexpr std::string_view kTextSlotEnd = "\"></span>";

// The page markup, with each configuration text kept apart: in its place
// stands an empty slot that the page fills through the DOM, so that markup in
// a text (an unbalanced "</td>" included) stays inside its own element.
struct Markup {
    std::string html;
    std::vector<std::string> texts;

    Markup& operator+=(std::string_view part) {
        html += part;
        return *this;
    }
    void Text(const std::string& text) {
        if (text.empty()) {
            return;
        }
        html += kTextSlotStart;
        html += std::to_string(texts.size());
        html += kTextSlotEnd;
        texts.push_back(text);
    }
};

bool IsRightToLeft(int languageId) {
    return languageId == kRightToLeftLanguageId;
}

void AppendBanner(Markup& html, const Config& config, bool rightToLeft) {
    html += rightToLeft ? "<div class=\"hdr1_rtl\">\n" : "<div class=\"hdr1\">\n";
    html.Text(config.Company);
    html += "\n";
    html += rightToLeft ? "<div class=\"hdr2_rtl\">" : "<div class=\"hdr2\">";
    html.Text(config.Title);
    html += "</div>\n</div>\n";
    if (rightToLeft) {
        html += "<div class=\"table_rtl\">\n";
    }
}

void AppendExitLink(Markup& html, const Config& config) {
    if (!config.ExitLabel.empty()) {
        html +=
            "<div class=\"hyperlink\" style=\"float : right; margin-top : 5mm; margin-down : "
            "10mm;\" id=\"Cancel\">";
        html.Text(config.ExitLabel);
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

void AppendMainRow(Markup& html, const SetupItem& item, const PageFacts& facts, int& number) {
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
    html.Text(item.Title);
    html += "</div>\n<div class=\"";
    html += classes.description;
    html += "\">";
    html.Text(Description(item, facts));
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
    const int64_t count = static_cast<int64_t>(visible.size());
    // A limit beyond the item count acts as the count; 64-bit sums, so that a
    // limit near 2^31 cannot wrap to a page with no rows.
    const int64_t perColumnLimit = std::clamp<int64_t>(
        config.MaxItemsInColumn > 0 ? config.MaxItemsInColumn : kDefaultMaxItemsInColumn, 1,
        std::max<int64_t>(count, 1));
    const int columns = static_cast<int>((count + perColumnLimit - 1) / perColumnLimit);
    const int rows = columns == 0 ? 0 : static_cast<int>((count + columns - 1) / columns);

    const bool rightToLeft = IsRightToLeft(languageId);
    Markup html;
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
        html.Text(config.ReadmeLabel);
        html += "</div>\n";
    }
    if (!config.ExitLabel.empty()) {
        html +=
            "<div class=\"hyperlink\" style=\"float : right; margin-top : 5mm;\" id=\"Cancel\">";
        html.Text(config.ExitLabel);
        html += "</div>\n";
    }
    return {std::move(html.html), config.Title, MainPageSize(columns, rows, config.Width, scale),
            std::move(html.texts)};
}

Page BuildPrerequisitesPage(const Config& config, bool afterAttempt, int languageId,
                            DisplayScale scale) {
    const bool rightToLeft = IsRightToLeft(languageId);
    const PrerequisitesPageTexts& texts = config.prerequisitesTexts;
    Markup html;
    AppendBanner(html, config, rightToLeft);
    html += "<div class=\"TopTitle\">";
    html.Text(texts.Title);
    html += "</div>\n";
    html += "<div class=\"PlainText\">";
    html.Text(afterAttempt ? texts.NotInstalledDescription : texts.Description);
    html += "</div>\n<table id=\"ActionList\">\n";
    int rows = 0;
    for (const SetupItem& item : config.prerequisites) {
        if (item.installed) {
            continue;
        }
        const std::string id = EscapeAttribute(item.Action);
        html += "<tr>\n<td class=\"MarkRed\" id=\"" + id + "\">&raquo</td>\n";
        html += "<td><div class=\"PlainText\" id=\"" + id + "\">";
        html.Text(item.Title);
        html += "</div></td></tr>\n";
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
        html.Text(texts.InstallLabel);
        html += "</div>";
    }
    AppendExitLink(html, config);
    return {std::move(html.html), config.Title,
            PrerequisitesPageSize(rows, afterAttempt, config.Width, scale), std::move(html.texts)};
}

Page BuildBlockingPage(const Config& config, DisplayScale scale) {
    Markup html;
    AppendBanner(html, config, false);
    html += "<table id=\"ActionList\">\n";
    for (const SetupItem& item : config.prerequisites) {
        if (item.Message.empty()) {
            continue;
        }
        const std::string id = EscapeAttribute(item.Action);
        html += "<tr>\n<td class=\"MarkRed2\" id=\"" + id + "\">!</td>\n";
        html += "<td class=\"SpaceBefore\"><div class=\"PlainText\" id=\"" + id + "\">";
        html.Text(item.Message);
        html += "</div></td></tr>\n";
    }
    html += "</table>";
    AppendExitLink(html, config);
    return {std::move(html.html), config.Title, BlockingPageSize(config.Width, scale),
            std::move(html.texts)};
}

std::string FilledBody(const Page& page) {
    std::string filled;
    size_t from = 0;
    while (true) {
        const size_t slot = page.body.find(kTextSlotStart, from);
        if (slot == std::string::npos) {
            break;
        }
        const size_t numberStart = slot + kTextSlotStart.size();
        const size_t end = page.body.find(kTextSlotEnd, numberStart);
        if (end == std::string::npos) {
            break;
        }
        const size_t index = std::stoul(page.body.substr(numberStart, end - numberStart));
        filled.append(page.body, from, slot - from);
        filled += index < page.texts.size() ? page.texts[index] : "";
        from = end + kTextSlotEnd.size();
    }
    filled.append(page.body, from);
    return filled;
}

}  // namespace installer
