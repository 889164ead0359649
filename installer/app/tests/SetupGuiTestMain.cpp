// The main of Setup's GUI test executables (see SetupGuiTest.h).
#include <wx/app.h>

#include "GuiTestKit.h"

wxIMPLEMENT_APP_NO_MAIN(wxApp);

using namespace std::chrono_literals;

int main(int argc, char** argv) {
    // The web view takes its time to load and paint.
    return guikit::RunGuiTests(argc, argv, {.waitLimit = 10000ms, .screenshotSettle = 800ms});
}
