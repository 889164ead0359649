// The main of Setup's GUI test executables (see SetupGuiTest.h).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/app.h>
#include <wx/apptrait.h>
#include <wx/evtloop.h>
#include <wx/init.h>

wxIMPLEMENT_APP_NO_MAIN(wxApp);

namespace {

void FailTestOnAssert(const wxString& file, int line, const wxString& function,
                      const wxString& condition, const wxString& message) {
    ADD_FAILURE_AT(file.utf8_string().c_str(), line)
        << "wx assertion in " << function.utf8_string() << ": " << condition.utf8_string() << " "
        << message.utf8_string();
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // GTK must not look for an accessibility bus that Xvfb runs lack.
    setenv("NO_AT_BRIDGE", "1", 1);
    setenv("GDK_BACKEND", "x11", 1);

    wxSetAssertHandler(FailTestOnAssert);
    if (!wxEntryStart(argc, argv)) {
        fprintf(stderr, "cannot start wxWidgets (is DISPLAY set? run under xvfb-run -a)\n");
        return 1;
    }
    wxEventLoopBase* loop = wxTheApp->GetTraits()->CreateEventLoop();
    wxEventLoopBase::SetActive(loop);

    const int result = RUN_ALL_TESTS();

    wxEventLoopBase::SetActive(nullptr);
    delete loop;
    wxEntryCleanup();
    return result;
}
