// CSVApp: Setup's application object. Start-up runs in OnRun, which returns
// the exit status (0 on every path the installer itself ends); OnInit only
// prepares, so that it never turns into exit status 255.
#pragma once

#include <wx/app.h>

#include <optional>
#include <string>

#include "installer/Launch.h"
#include "installer/StartUp.h"

namespace installer {

// Start-up's windows as wx dialogs.
class WxStartUpWindows : public StartUpWindows {
public:
    explicit WxStartUpWindows(Launcher& launcher) : m_launcher(launcher) {}
    std::optional<LanguageSelection> SelectLanguage() override;
    void RunInstallerPage(Config config, int languageId) override;

private:
    Launcher& m_launcher;
};

// Message boxes and Yes/No questions of the platform layer as wx message boxes.
void InstallMessageBoxes();

class CSVApp : public wxApp {
public:
    bool OnInit() override;
    int OnRun() override;

private:
    std::optional<int> m_exitStatus;  // set when the arguments end Setup early
};

}  // namespace installer
