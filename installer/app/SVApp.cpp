#include "SVApp.h"

#include <unistd.h>
#include <wx/msgdlg.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "LangSelectionDlg.h"
#include "SVDlg.h"
#include "WindowText.h"
#include "platform/ShowMessage.h"

namespace installer {
namespace {

constexpr char kUsage[] =
    "Usage: setup [MEDIUM_FOLDER]\n"
    "Shows the installation page of the medium in MEDIUM_FOLDER (default: the current folder),\n"
    "read from its <language id>.xml files.\n";

long IconStyle(uint32_t flags) {
    switch (flags & 0xF0) {
        case platform::kMbIconError:
            return wxICON_ERROR;
        case platform::kMbIconQuestion:
            return wxICON_QUESTION;
        case platform::kMbIconWarning:
            return wxICON_WARNING;
        case platform::kMbIconInformation:
            return wxICON_INFORMATION;
        default:
            return 0;
    }
}

}  // namespace

void InstallMessageBoxes() {
    platform::SetMessageHandler(
        [](const std::string& text, const std::string& caption, uint32_t flags) {
            wxMessageBox(WindowText(text), WindowText(caption), wxOK | IconStyle(flags));
        });
    platform::SetQuestionHandler(
        [](const std::string& text, const std::string& caption, uint32_t flags) {
            const int answer =
                wxMessageBox(WindowText(text), WindowText(caption), wxYES_NO | IconStyle(flags));
            return answer == wxYES ? platform::kIdYes : platform::kIdNo;
        });
}

std::optional<LanguageSelection> WxStartUpWindows::SelectLanguage() {
    return RunLanguageSelection(nullptr);
}

void WxStartUpWindows::RunInstallerPage(Config config, int languageId) {
    if (!CSVDlg::IsWebViewAvailable()) {
        platform::ShowMessage("The installation page needs WebKitGTK, which is not available.",
                              "Setup", platform::kMbIconError);
        return;
    }
    CSVDlg dialog(nullptr, std::move(config), languageId, m_launcher);
    dialog.ShowModal();
    dialog.SettleScripts();
}

bool CSVApp::OnInit() {
    SetAppName("setup");
    if (argc > 2 || (argc == 2 && (argv[1] == "--help" || argv[1] == "-h"))) {
        std::fputs(kUsage, argc == 2 ? stdout : stderr);
        m_exitStatus = argc == 2 ? 0 : 2;
        return true;
    }
    if (argc == 2) {
        const std::string folder = argv[1].utf8_string();
        if (chdir(folder.c_str()) != 0) {
            std::fprintf(stderr, "setup: cannot open the medium folder %s: %s\n", folder.c_str(),
                         std::strerror(errno));
            m_exitStatus = 2;
            return true;
        }
    }
    InstallMessageBoxes();
    return true;
}

int CSVApp::OnRun() {
    if (m_exitStatus) {
        return *m_exitStatus;
    }
    SystemLauncher launcher;
    WxStartUpWindows windows(launcher);
    return RunStartUp(windows, launcher);
}

}  // namespace installer
