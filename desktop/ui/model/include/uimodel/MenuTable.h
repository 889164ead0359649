// Menu 128 and toolbar 128 as data: which items, in which order, with which
// captions in each language, keys and tooltips. The window code only turns
// this table into wx objects, so both languages can be checked without a
// display.
//
// Captions keep their stored form, shortcut text included ("Clo&se\tCtrt+W").
// Windows never receive that text: the shortcut after the tab would become a
// real key binding (a misspelt one binds the bare letter), so the label given
// to wx is the caption before the tab plus the shortcut of the table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace uimodel {

enum class MenuItemKind { Command, Check, Radio, Submenu };

struct Shortcut {
    bool ctrl = false;
    bool alt = false;
    const char* key = nullptr;  // "O", "F4"; null: no shortcut

    bool IsSet() const { return key != nullptr; }
};

struct MenuItem {
    MenuItemKind kind = MenuItemKind::Command;
    uint32_t command = 0;  // resource id; 0 for a submenu
    res::TextPair caption;
    Shortcut shortcut;
    std::vector<MenuItem> items;  // a submenu's items
};

struct Menu {
    res::TextPair caption;
    std::vector<MenuItem> items;
};

// The five menus of the menu bar, in order.
const std::vector<Menu>& MainMenu();

// The stored caption in the language: Russian is the resource text.
std::string MenuCaption(res::TextPair caption, bool english);
// What the window shows: the caption without its stored shortcut text, then a
// tab and the table's shortcut ("Clo&se\tCtrl+W").
std::string MenuLabel(const MenuItem& item, bool english);
// "Ctrl+W", "Alt+F4"; empty when none.
std::string ShortcutText(const Shortcut& shortcut);

// The menu item with `command`, searched through submenus; null when none.
const MenuItem* FindMenuItem(uint32_t command);

struct ToolbarButton {
    uint32_t command;
    res::TextPair tooltip;
};

// The eight buttons of toolbar 128, in order, without separators.
const std::vector<ToolbarButton>& ToolbarButtons();

// Toolbar and status bar geometry (GTK sizes the tool buttons round their images).
inline constexpr int kToolImageSize = 32;
// Status-bar pane widths in pixels, panes 111..118; the last one stretches.
inline constexpr int kPaneWidths[res::kIndicatorCount] = {110, 95, 135, 190, 165, 170, 160, 200};

}  // namespace uimodel
