#include "installer/InstallerPage.h"

#include "installer/PageScript.h"
#include "installer/Probes.h"
#include "platform/ShowMessage.h"

namespace installer {
namespace {

constexpr std::string_view kReadMeId = "ReadMe";
constexpr std::string_view kTypePdf = "pdf";

// Marks the page busy for the length of a launch; clicks delivered meanwhile
// (by a nested event loop) are dropped.
class LaunchGuard {
public:
    explicit LaunchGuard(bool& flag) : m_flag(flag) { m_flag = true; }
    ~LaunchGuard() { m_flag = false; }
    LaunchGuard(const LaunchGuard&) = delete;
    LaunchGuard& operator=(const LaunchGuard&) = delete;

private:
    bool& m_flag;
};

}  // namespace

PageFacts ProbePageFacts() {
    return {PdfReaderRegistered(), SqlServer2005ClientToolsPresent(),
            SqlServer2000ClientToolsPresent()};
}

InstallerPage::InstallerPage(Config& config, int languageId, Launcher& launcher,
                             LaunchWindow* window, DisplayScale scale, FactsProbe facts)
    : m_config(config),
      m_languageId(languageId),
      m_launcher(launcher),
      m_window(window),
      m_scale(scale),
      m_facts(std::move(facts)) {}

PageUpdate InstallerPage::FirstPage() {
    if (m_config.hasBlockingMessage) {
        return Show(BuildBlockingPage(m_config, m_scale));
    }
    if (!m_config.prerequisites.empty()) {
        return Show(BuildPrerequisitesPage(m_config, false, m_languageId, m_scale));
    }
    return ShowMainPage();
}

PageUpdate InstallerPage::HandleClickReport(std::string_view report) {
    const auto click = ParseClickReport(report);
    if (!click || m_launching || click->generation != m_generation) {
        return {};
    }
    const RoutedClick routed = RouteClick(click->path);
    switch (routed.route) {
        case ClickRoute::Ok:
            return {PageCommand::CloseOk, {}, m_generation};
        case ClickRoute::Cancel:
            return {PageCommand::CloseCancel, {}, m_generation};
        case ClickRoute::ReadMe:
            OnReadMe();
            return {};
        case ClickRoute::PreInstall:
            return OnPreInstall();
        case ClickRoute::Item:
            return OnItemClick(routed.id);
        case ClickRoute::None:
            return {};
    }
    return {};
}

PageUpdate InstallerPage::OnItemClick(const std::string& id) {
    if (id == kReadMeId) {
        OnReadMe();
        return {};
    }
    const SetupItem* found = nullptr;
    for (const SetupItem& item : m_config.mainItems) {
        if (item.Action == id) {
            found = &item;
            break;
        }
    }
    if (found != nullptr && !IsRowDisabled(*found)) {
        SetupItem item = *found;  // the refresh below rewrites the list's flags
        // Another Setup on the same machine may have installed it since the
        // page was drawn: ask the question the item's state calls for now.
        ProbeInstalled(item);
        LaunchGuard guard(m_launching);
        const bool run = !item.installed || item.InstalledWarning.empty() ||
                         platform::AskQuestion(item.InstalledWarning, "",
                                               platform::kMbYesNo | platform::kMbIconQuestion) ==
                             platform::kIdYes;
        if (run) {
            const bool on64Bit = IsRunningOn64Bit();
            const std::string& line = item.installed ? InstalledCommandLineFor(item, on64Bit)
                                                     : NotInstalledCommandLineFor(item, on64Bit);
            m_launcher.LaunchProcess(line, m_window, item.SetCurrentDirectory);
            RunItemCommands(item, true, m_launcher, m_window, item.SetCurrentDirectory);
            for (const ShellExecuteEntry& entry : item.shellExecutes) {
                if (item.Type == kTypePdf) {
                    m_launcher.OpenPdfWithReader(entry.File);
                } else {
                    m_launcher.ShellExec(entry.File, entry.Parameters);
                }
            }
        }
    }
    return RefreshMainPage();
}

PageUpdate InstallerPage::OnPreInstall() {
    const bool on64Bit = IsRunningOn64Bit();
    {
        LaunchGuard guard(m_launching);
        for (SetupItem& prerequisite : m_config.prerequisites) {
            if (prerequisite.installed) {
                continue;
            }
            m_launcher.LaunchProcess(NotInstalledCommandLineFor(prerequisite, on64Bit), m_window,
                                     "");
            RunItemCommands(prerequisite, false, m_launcher, m_window, "");
            ProbeInstalled(prerequisite);
        }
    }
    for (const SetupItem& prerequisite : m_config.prerequisites) {
        if (!prerequisite.installed) {
            return Show(BuildPrerequisitesPage(m_config, true, m_languageId, m_scale));
        }
    }
    // The main items were probed before the prerequisites went in.
    return RefreshMainPage();
}

void InstallerPage::OnReadMe() {
    m_launcher.ShellExec(m_config.ReadmeHref, "");
}

PageUpdate InstallerPage::Show(Page page) {
    return {PageCommand::Show, std::move(page), ++m_generation};
}

PageUpdate InstallerPage::RefreshMainPage() {
    for (SetupItem& item : m_config.mainItems) {
        ProbeInstalled(item);
    }
    m_config.UpdateEnabled();
    return ShowMainPage();
}

PageUpdate InstallerPage::ShowMainPage() {
    return Show(BuildMainPage(m_config, m_facts(), m_languageId, m_scale));
}

}  // namespace installer
