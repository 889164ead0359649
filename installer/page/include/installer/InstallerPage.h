// What the installer page does, apart from the window that shows it: which
// page comes first, what a click runs, and the page that follows.
//
// Each page built gets a new generation number; the page reports it with
// every click, so a click on a page that has since been replaced is ignored,
// as is a click that arrives while an installer started by an earlier click
// is still running.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "installer/Config.h"
#include "installer/Launch.h"
#include "installer/PageBuilder.h"

namespace installer {

enum class PageCommand {
    None,         // the page stays as it is
    Show,         // show `page`
    CloseOk,      // end the dialog with OK
    CloseCancel,  // end the dialog with Cancel
};

struct PageUpdate {
    PageCommand command = PageCommand::None;
    Page page;
    uint64_t generation = 0;
};

// The PDF reader and database client tools, probed on this machine.
PageFacts ProbePageFacts();

class InstallerPage {
public:
    using FactsProbe = std::function<PageFacts()>;

    // `config` and `launcher` must outlive the page; `window` may be null.
    InstallerPage(Config& config, int languageId, Launcher& launcher, LaunchWindow* window,
                  DisplayScale scale, FactsProbe facts = ProbePageFacts);

    // The blocking page when a prerequisite carries a message, else the
    // prerequisites page when some are missing, else the main page.
    PageUpdate FirstPage();

    // A click report from the page (see PageScript.h).
    PageUpdate HandleClickReport(std::string_view report);

    // The clicked item (by its Action) runs: after the installed-warning
    // question for an installed item, its installed or not-installed command
    // line, its item commands, then its documents. A row drawn disabled runs
    // nothing. The main page is then rebuilt from fresh probes, whatever ran.
    PageUpdate OnItemClick(const std::string& id);
    // Runs every missing prerequisite's installer, then shows the main page
    // (with the main items probed again) or, if some are still missing, the
    // prerequisites page with its after-attempt text.
    PageUpdate OnPreInstall();
    void OnReadMe();

    uint64_t Generation() const { return m_generation; }
    bool IsLaunching() const { return m_launching; }

private:
    PageUpdate Show(Page page);
    PageUpdate RefreshMainPage();
    PageUpdate ShowMainPage();

    Config& m_config;
    int m_languageId;
    Launcher& m_launcher;
    LaunchWindow* m_window;
    DisplayScale m_scale;
    FactsProbe m_facts;
    uint64_t m_generation = 0;
    bool m_launching = false;
};

}  // namespace installer
