// What Setup's GUI tests need (link setup_gui_test_main; see CMakeLists.txt),
// over the kit both programs share (GuiTestKit.h):
//  - the test main (SetupGuiTestMain.cpp) starts wxWidgets without running
//    Setup's start-up (the kit's RunGuiTests);
//  - SetupGuiTest, a fixture with a fresh medium folder as the current
//    directory, a fresh registry folder, recorded message boxes and log;
//  - SetupPageTest, which adds an installer page shown without a modal loop;
//  - Pump / PumpUntil, WhenModalDialogOpens, page scripts, screenshots.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "GuiTestKit.h"
#include "installer/Launch.h"
#include "installer/Log.h"
#include "platform/ShowMessage.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/Scripts.h"
#include "testsupport/TempFolder.h"

class wxDialog;
class wxWindow;
class wxWebView;

namespace installer {
class CSVDlg;
}

namespace setuptest {

using namespace std::chrono_literals;

using guikit::Pump;
using guikit::PumpUntil;  // within 10 s unless told otherwise
using guikit::SaveScreenshot;
using guikit::WhenModalDialogOpens;
using guikit::WhenTrue;
using testsupport::WriteScript;

// The result of `script` run in the page ("" when it fails).
std::string PageValue(wxWebView& view, const std::string& script);

class SetupGuiTest : public ::testing::Test {
protected:
    SetupGuiTest();
    ~SetupGuiTest() override;

    // A file of the medium (the current directory).
    std::string Medium(const std::string& name) const { return m_medium.File(name); }
    // Writes `<AutoRun>` + body + `</AutoRun>` to the medium file `name`.
    void WriteConfig(const std::string& name, const std::string& body) const;

    testsupport::TempFolder m_medium;
    testsupport::TempFolder m_registry;
    testsupport::ScopedEnv m_registryEnv;
    platform::MessageRecorder m_messages;
    std::string m_log;
};

class SetupPageTest : public SetupGuiTest {
protected:
    ~SetupPageTest() override;

    // Shows the page for the configuration file `name`, without a modal loop,
    // and waits until the page has its first body.
    installer::CSVDlg& ShowPage(const std::string& name, int languageId = 1033);
    // Destroys the page shown by ShowPage.
    void ClosePage();

    // The mark cells of the page (numbers, "PDF", marks) as
    // "class:id:text|class:id:text|...", in page order.
    std::string Marks();
    // Clicks the (first) element with `id` in the page, as the user's click
    // would: on the main page, the row's number or mark.
    void Click(const std::string& id);
    // Clicks the title of the row with `id` (the only part of a PDF row that
    // opens its document).
    void ClickTitle(const std::string& id);

    installer::SystemLauncher m_launcher;
    installer::CSVDlg* m_dialog = nullptr;
};

}  // namespace setuptest
