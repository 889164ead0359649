// The main of every GUI test executable of the desktop program (see GuiTest.h).
#include <stdlib.h>
#include <wx/app.h>

#include "CQuellixApp.h"
#include "GuiTestKit.h"

wxIMPLEMENT_APP_NO_MAIN(CQuellixApp);

using namespace std::chrono_literals;

int main(int argc, char** argv) {
    // Playback must never need a sound device.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    return guikit::RunGuiTests(argc, argv, {.waitLimit = 5000ms, .screenshotSettle = 100ms});
}
