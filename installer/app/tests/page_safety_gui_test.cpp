// The installer page with hostile or awkward media: folders whose addresses
// need percent-encoding, markup in configuration texts, and documents that
// carry the execute bit.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wx/webview.h>

#include <filesystem>

#include "SVDlg.h"
#include "SetupGuiTest.h"
#include "WindowText.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace setuptest {
namespace {

using testsupport::ReadText;
using testsupport::ScopedEnv;

// A USB stick mounted at "/media/user/HUSHDESK 1.0", or a folder named in
// Cyrillic: the web view reports the template's address percent-encoded.
TEST_F(SetupPageTest, MediaInFoldersWithSpacesOrCyrillicNamesShowTheirPageAndStillLaunch) {
    for (const std::string folder : {"HUSHDESK 1.0", "Установка"}) {
        SCOPED_TRACE(folder);
        WriteScript(Medium(folder + "/bin/install.sh"), "touch installed\n");
        WriteConfig(folder + "/1033.xml", R"(
            <Item Action="A" Title="Hushdesk" CommandLine="bin/install.sh"/>
            <MainDialog Title="Hushdesk 1.0 Setup" Company="Kestrova" ExitLabel="Exit"/>)");
        std::filesystem::current_path(Medium(folder));
        installer::CSVDlg& dialog = ShowPage("1033.xml");
        EXPECT_EQ(Marks(), "DigitRed:A:1");
        EXPECT_TRUE(SaveScreenshot(
            dialog, "setup-medium-in-" + std::string(folder[0] == 'H' ? "spaced" : "cyrillic") +
                        "-folder"));

        Click("A");
        EXPECT_TRUE(
            PumpUntil([&] { return std::filesystem::exists(Medium(folder + "/installed")); }));
        // The guard against navigation is armed as well.
        dialog.RunPageScript("window.location.href = 'file:///etc/hostname'");
        Pump(800ms);
        EXPECT_EQ(Marks(), "DigitRed:A:1");
        ClosePage();
    }
}

// A listening socket on the loopback interface that tells whether anyone
// connected.
class LocalServer {
public:
    LocalServer() {
        m_socket = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            listen(m_socket, 8) == 0 &&
            getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            m_port = ntohs(address.sin_port);
        }
    }
    ~LocalServer() { close(m_socket); }
    int Port() const { return m_port; }
    bool WasContacted() const {
        const int client = accept(m_socket, nullptr, nullptr);
        if (client >= 0) {
            close(client);
        }
        return client >= 0;
    }

private:
    int m_socket = -1;
    int m_port = 0;
};

// A 1x1 PNG image.
const std::string kPixelPng(
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00"
    "\x00\x01\x08\x06\x00\x00\x00\x1f\x15\xc4\x89\x00\x00\x00\x0d\x49\x44\x41\x54\x78\x9c\x63"
    "\xf8\xcf\xc0\xf0\x1f\x00\x05\x00\x01\xff\x89\x99\x3d\x1d\x00\x00\x00\x00\x49\x45\x4e\x44"
    "\xae\x42\x60\x82",
    70);

TEST_F(SetupPageTest, MarkupInTextsRunsNothingLoadsNothingElsewhereAndLeavesExitVisible) {
    LocalServer server;
    ASSERT_NE(server.Port(), 0);
    WriteScript(Medium("bin/install.sh"), "echo ran >> runs\n");
    testsupport::WriteText(Medium("logo.png"), kPixelPng);
    testsupport::WriteText(m_registry.File("outside.png"), kPixelPng);
    const std::string up =
        "../" + std::filesystem::path(m_registry.Path()).filename().string() + "/outside.png";
    const std::string remote = "http://127.0.0.1:" + std::to_string(server.Port()) + "/logo.png";
    WriteConfig("1033.xml", R"(
        <Item Action="A" CommandLine="bin/install.sh"
              Title="&lt;img src=&quot;missing.png&quot; onerror=&quot;document.getElementById('A').click()&quot;&gt;Hushdesk"/>
        <Item Action="B" Title="&lt;img id=&quot;remote&quot; src=&quot;)" +
                                remote + R"(&quot;&gt;Remote"
              NotInstalledDescription="&lt;img id=&quot;logo&quot; src=&quot;logo.png&quot;&gt;&lt;img id=&quot;outside&quot; src=&quot;file://)" +
                                m_registry.File("outside.png") +
                                R"(&quot;&gt;&lt;img id=&quot;up&quot; src=&quot;)" + up +
                                R"(&quot;&gt;"/>
        <Item Action="C" Title="x&lt;/td&gt;&lt;/tr&gt;&lt;/table&gt;&lt;/td&gt;&lt;/tr&gt;&lt;/table&gt;&lt;div style=&quot;display:none&quot;&gt;&lt;div&gt;&lt;div&gt;"/>
        <MainDialog Title="Hushdesk 1.0 Setup" Company="Kestrova" ExitLabel="Exit"/>)");
    installer::CSVDlg& dialog = ShowPage("1033.xml");
    wxWebView& view = *dialog.WebView();
    Pump(1500ms);

    EXPECT_FALSE(std::filesystem::exists(Medium("runs"))) << ReadText(Medium("runs"));
    EXPECT_FALSE(server.WasContacted());
    EXPECT_EQ(Marks(), "DigitRed:A:1|DigitRed:B:2|DigitRed:C:3");
    EXPECT_EQ(PageValue(view, "String(document.getElementById('Cancel').offsetParent !== null)"),
              "true");
    // Images of the medium itself still show.
    EXPECT_EQ(PageValue(view, "String(document.getElementById('logo').naturalWidth)"), "1");
    EXPECT_EQ(PageValue(view, "String(document.getElementById('outside').naturalWidth)"), "0");
    EXPECT_EQ(PageValue(view, "String(document.getElementById('up').naturalWidth)"), "0");
    EXPECT_TRUE(SaveScreenshot(dialog, "setup-markup-in-texts"));

    // The page's own script still works: a click still launches.
    Click("A");
    EXPECT_TRUE(PumpUntil([&] { return std::filesystem::exists(Medium("runs")); }));
    Pump(500ms);
    EXPECT_EQ(ReadText(Medium("runs")), "ran\n");
}

// On FAT/exFAT sticks and CDs without Rock Ridge every file is executable:
// "Read me" and "Release notes" are documents all the same.
TEST_F(SetupPageTest, DocumentsWithTheExecuteBitOpenWithTheDesktop) {
    testsupport::TempFolder desktop;
    WriteScript(desktop.File("xdg-open"),
                "printf '%s\\n' \"$@\" >> '" + desktop.File("opened") + "'\n");
    ScopedEnv path("PATH", desktop.Path() + ":" + std::getenv("PATH"));
    for (const char* name : {"README.html", "Release notes.txt"}) {
        testsupport::WriteText(Medium(name), "touch ran-by-a-shell\n");
        ASSERT_EQ(chmod(Medium(name).c_str(), 0755), 0);
    }
    WriteConfig("1033.xml", R"(
        <Item Action="Notes" Type="blue" Title="Release notes">
          <ShellExecute File="Release notes.txt"/></Item>
        <Item Action="Other" Title="Other"/>
        <MainDialog Title="T" Company="C" ReadmeLabel="Read me" ReadmeHref="README.html"/>)");
    ShowPage("1033.xml");

    Click("ReadMe");
    Click("Notes");
    const std::string expected = Medium("README.html") + "\n" + Medium("Release notes.txt") + "\n";
    EXPECT_TRUE(PumpUntil([&] { return ReadText(desktop.File("opened")) == expected; }))
        << ReadText(desktop.File("opened"));
    EXPECT_FALSE(std::filesystem::exists(Medium("ran-by-a-shell")));
}

// A folder named in a legacy code page must not give an empty box or title.
TEST(WindowTextTest, BytesThatAreNotUtf8NeverEmptyAText) {
    EXPECT_EQ(installer::WindowText("Установка"), wxString::FromUTF8("Установка"));
    const wxString path = installer::WindowText("/media/\xC7\xE0\xEF/1033.xml");
    EXPECT_TRUE(path.StartsWith("/media/")) << path;
    EXPECT_TRUE(path.EndsWith("/1033.xml")) << path;
    EXPECT_NE(path.Find(wxUniChar(0xFFFD)), wxNOT_FOUND) << path;
}

}  // namespace
}  // namespace setuptest
