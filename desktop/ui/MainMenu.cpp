#include "MainMenu.h"

#include <wx/menu.h>

#include "UiText.h"
#include "WxIds.h"
#include "uimodel/MenuTable.h"

namespace ui {
namespace {

using uimodel::MenuItem;
using uimodel::MenuItemKind;

wxMenu* CreateMenu(const std::vector<MenuItem>& items) {
    auto* menu = new wxMenu;
    for (const MenuItem& item : items) {
        const wxString label = Wx(uimodel::MenuLabel(item, false));
        switch (item.kind) {
            case MenuItemKind::Command:
                menu->Append(WxId(item.command), label);
                break;
            case MenuItemKind::Check:
                menu->AppendCheckItem(WxId(item.command), label);
                break;
            case MenuItemKind::Radio:
                menu->AppendRadioItem(WxId(item.command), label);
                break;
            case MenuItemKind::Submenu:
                menu->AppendSubMenu(CreateMenu(item.items), label);
                break;
        }
    }
    return menu;
}

void Relabel(wxMenu& menu, const std::vector<MenuItem>& items, bool english) {
    // Items are matched by position: a submenu has no command id.
    for (size_t i = 0; i < items.size() && i < menu.GetMenuItemCount(); ++i) {
        wxMenuItem* wxItem = menu.FindItemByPosition(i);
        wxItem->SetItemLabel(Wx(uimodel::MenuLabel(items[i], english)));
        if (items[i].kind == MenuItemKind::Submenu && wxItem->GetSubMenu() != nullptr) {
            Relabel(*wxItem->GetSubMenu(), items[i].items, english);
        }
    }
}

}  // namespace

wxMenuBar* CreateMainMenuBar() {
    auto* menuBar = new wxMenuBar;
    for (const uimodel::Menu& menu : uimodel::MainMenu()) {
        menuBar->Append(CreateMenu(menu.items), Text(menu.caption, false));
    }
    return menuBar;
}

void RelabelMainMenu(wxMenuBar& menuBar, bool english) {
    const std::vector<uimodel::Menu>& menus = uimodel::MainMenu();
    for (size_t i = 0; i < menus.size() && i < menuBar.GetMenuCount(); ++i) {
        menuBar.SetMenuLabel(i, Text(menus[i].caption, english));
        Relabel(*menuBar.GetMenu(i), menus[i].items, english);
    }
}

}  // namespace ui
