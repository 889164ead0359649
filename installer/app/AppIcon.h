// The window icon (resource 128): a blue disk with a white arrow into a tray.
#pragma once

#include <wx/icon.h>

namespace installer {

wxIcon SetupIcon();

}  // namespace installer
