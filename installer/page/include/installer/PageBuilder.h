// The three installer pages, built from the configuration as HTML fragments
// that replace the template's body: the main page (numbered, coloured rows of
// the installable items), the prerequisites page and the blocking page.
//
// Configuration texts (titles, descriptions, messages, labels) are markup as
// written, so media may use <b> or <br> in them, but each is kept out of the
// page's own markup: the body holds an empty slot
// (<span data-text="N"></span>) where text N goes, and the page puts the text
// into that slot through the DOM, so unbalanced markup in a text stays inside
// its slot. An Action is also an element id, and is escaped inside its
// attribute so that quotes or ampersands in it cannot break the page; the
// page hands the raw id back on a click.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "installer/Config.h"
#include "installer/PageSize.h"

namespace installer {

// Arabic: the main and prerequisites pages are laid out right to left.
inline constexpr int kRightToLeftLanguageId = 1025;

// What the rows show besides the configuration, probed by the caller.
struct PageFacts {
    bool pdfReaderRegistered = false;
    bool sqlServer2005ClientTools = false;
    bool sqlServer2000ClientTools = false;
};

struct Page {
    std::string body;   // the fragment for the template's body, with text slots
    std::string title;  // the window title
    PageSize size;
    std::vector<std::string> texts;  // what goes into slot 0, 1, ...
};

// The body with each text written into its slot: the markup the page ends up
// with when every text is well-formed (for logs, tests and checks).
std::string FilledBody(const Page& page);

Page BuildMainPage(const Config& config, const PageFacts& facts, int languageId,
                   DisplayScale scale);
// `afterAttempt`: an installation was tried and left prerequisites missing.
Page BuildPrerequisitesPage(const Config& config, bool afterAttempt, int languageId,
                            DisplayScale scale);
// Never right to left.
Page BuildBlockingPage(const Config& config, DisplayScale scale);

// Whether a main item's row is drawn disabled: a row of a normal type that is
// not enabled or whose installation files are missing. Such a row never runs.
bool IsRowDisabled(const SetupItem& item);

// `& < > " '` as character references, for attribute values.
std::string EscapeAttribute(std::string_view text);

}  // namespace installer
