// Menu 128 made from the menu table (uimodel/MenuTable.h).
#pragma once

class wxMenuBar;

namespace ui {

// The menu bar with the Russian captions of the menu resource; the shortcuts
// come from the table.
wxMenuBar* CreateMainMenuBar();

// Replaces every caption by the one of the language (the two bilingual
// Language items stay as they are); submenus keep their items.
void RelabelMainMenu(wxMenuBar& menuBar, bool english);

}  // namespace ui
