#include "uimodel/MenuTable.h"

#include "resources/StringTable.h"

namespace uimodel {
namespace {

using namespace res;

constexpr Shortcut kCtrl(const char* key) {
    return {true, false, key};
}

MenuItem Command(uint32_t command, TextPair caption, Shortcut shortcut = {}) {
    return {MenuItemKind::Command, command, caption, shortcut, {}};
}

MenuItem Check(uint32_t command, TextPair caption) {
    return {MenuItemKind::Check, command, caption, {}, {}};
}

MenuItem Radio(uint32_t command, uint32_t bilingualCaption) {
    return {MenuItemKind::Radio, command, {bilingualCaption, bilingualCaption}, {}, {}};
}

std::vector<Menu> BuildMainMenu() {
    return {
        {{IDS_MENU_FILE, IDS_RU_MENU_FILE},
         {Command(ID_FILE_OPEN, {IDS_MENU_OPEN, IDS_RU_MENU_OPEN}, kCtrl("O")),
          Command(ID_FILE_CLOSE, {IDS_MENU_CLOSE, IDS_RU_MENU_CLOSE}, kCtrl("W")),
          Command(ID_FILE_SAVE_CLEANED, NextIdPair(IDS_MENU_SAVE_CLEANED), kCtrl("S")),
          Command(ID_APP_EXIT, {IDS_MENU_EXIT, IDS_RU_MENU_EXIT}, {false, true, "F4"})}},
        {{IDS_MENU_PLAY, IDS_RU_MENU_PLAY},
         {Command(ID_PLAY, {IDS_MENU_PLAY_ITEM, IDS_RU_MENU_PLAY_ITEM}),
          Command(ID_PAUSE, {IDS_MENU_PAUSE, IDS_RU_MENU_PAUSE}),
          Command(ID_STOP, {IDS_STOP, IDS_RU_MENU_STOP}),
          Command(ID_PLAY_FROM_CURSOR, {IDS_PLAY_FROM_CURSOR, IDS_RU_MENU_PLAY_FROM_CURSOR})}},
        {{IDS_MENU_NOISE_CLEAN, IDS_RU_MENU_NOISE_CLEAN},
         {Command(ID_NOISE_SETTINGS, {IDS_MENU_SETTINGS, IDS_RU_MENU_SETTINGS}, kCtrl("T")),
          Command(ID_NOISE_CLEAN, {IDS_MENU_PERFORM, IDS_RU_MENU_PERFORM}, kCtrl("E"))}},
        {{IDS_MENU_VIEW, IDS_RU_MENU_VIEW},
         {Check(ID_VIEW_TOOLBAR, {IDS_MENU_TOOLBAR, IDS_RU_MENU_TOOLBAR}),
          Check(ID_VIEW_STATUS_BAR, {IDS_MENU_STATUS_BAR, IDS_RU_MENU_STATUS_BAR}),
          {MenuItemKind::Submenu,
           0,
           {IDS_MENU_LANGUAGE, IDS_RU_MENU_LANGUAGE},
           {},
           {Radio(ID_LANGUAGE_ENGLISH, IDS_MENU_LANGUAGE_ENGLISH),
            Radio(ID_LANGUAGE_RUSSIAN, IDS_MENU_LANGUAGE_RUSSIAN)}},
          Command(ID_ZOOM_IN, {IDS_MENU_ZOOM_IN, IDS_RU_MENU_ZOOM_IN}),
          Command(ID_ZOOM_OUT, {IDS_MENU_ZOOM_OUT, IDS_RU_MENU_ZOOM_OUT})}},
        {{IDS_MENU_HELP, IDS_RU_MENU_HELP},
         {Command(ID_APP_ABOUT, {IDS_MENU_ABOUT, IDS_RU_MENU_ABOUT})}},
    };
}

const MenuItem* FindIn(const std::vector<MenuItem>& items, uint32_t command) {
    for (const MenuItem& item : items) {
        if (item.kind != MenuItemKind::Submenu && item.command == command) {
            return &item;
        }
        if (const MenuItem* found = FindIn(item.items, command)) {
            return found;
        }
    }
    return nullptr;
}

}  // namespace

const std::vector<Menu>& MainMenu() {
    static const std::vector<Menu> menu = BuildMainMenu();
    return menu;
}

std::string MenuCaption(res::TextPair caption, bool english) {
    return LoadPair(caption, english);
}

std::string ShortcutText(const Shortcut& shortcut) {
    if (!shortcut.IsSet()) {
        return "";
    }
    std::string text;
    if (shortcut.ctrl) {
        text += "Ctrl+";
    }
    if (shortcut.alt) {
        text += "Alt+";
    }
    return text + shortcut.key;
}

std::string MenuLabel(const MenuItem& item, bool english) {
    std::string label = MenuCaption(item.caption, english);
    label = label.substr(0, label.find('\t'));
    if (item.shortcut.IsSet()) {
        label += "\t" + ShortcutText(item.shortcut);
    }
    return label;
}

const MenuItem* FindMenuItem(uint32_t command) {
    for (const Menu& menu : MainMenu()) {
        if (const MenuItem* found = FindIn(menu.items, command)) {
            return found;
        }
    }
    return nullptr;
}

const std::vector<ToolbarButton>& ToolbarButtons() {
    static const std::vector<ToolbarButton> buttons = {
        {ID_FILE_OPEN, kTextTipOpen},
        {ID_PLAY, kTextTipPlay},
        {ID_PLAY_FROM_CURSOR, kTextTipPlayFromCursor},
        {ID_PAUSE, kTextTipPause},
        {ID_STOP, kTextTipStop},
        {ID_NOISE_CLEAN, kTextTipPerform},
        {ID_NOISE_SETTINGS, kTextTipSettings},
        {ID_APP_ABOUT, kTextTipAbout},
    };
    return buttons;
}

}  // namespace uimodel
