// The program's pictures, drawn from SVG text at run time: the program icon
// (the same picture the desktop entry installs) and the eight toolbar images.
// wx derives the disabled images from them.
#pragma once

#include <wx/bitmap.h>
#include <wx/bmpbndl.h>
#include <wx/iconbndl.h>

#include <cstdint>

namespace ui {

// The 32x32 toolbar image of a toolbar command (ToolbarButtons()); an empty
// bundle for any other command.
wxBitmapBundle ToolImage(uint32_t command);

wxBitmap ProgramIcon(int size);
wxIconBundle ProgramIcons();

}  // namespace ui
