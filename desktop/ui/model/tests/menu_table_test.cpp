#include <gtest/gtest.h>

#include "resources/StringTable.h"
#include "resources/resource.h"
#include "uimodel/MenuTable.h"

namespace {

using uimodel::FindMenuItem;
using uimodel::MainMenu;
using uimodel::MenuLabel;

TEST(MenuTable, TopLevelCaptionsInBothLanguages) {
    const char* english[] = {"&File", "&Play", "&Noise-Clean", "&View", "&Help"};
    const char* russian[] = {"&Файл", "&Воспроизведение", "&Шумоочистка", "В&ид", "&Помощь"};
    ASSERT_EQ(MainMenu().size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(uimodel::MenuCaption(MainMenu()[i].caption, true), english[i]);
        EXPECT_EQ(uimodel::MenuCaption(MainMenu()[i].caption, false), russian[i]);
    }
}

TEST(MenuTable, ItemsInOrderWithTheirCommands) {
    auto commands = [](size_t menu) {
        std::vector<uint32_t> ids;
        for (const auto& item : MainMenu()[menu].items) {
            ids.push_back(item.command);
        }
        return ids;
    };
    using V = std::vector<uint32_t>;
    EXPECT_EQ(commands(0), (V{res::ID_FILE_OPEN, res::ID_FILE_CLOSE, res::ID_FILE_SAVE_CLEANED,
                              res::ID_APP_EXIT}));
    EXPECT_EQ(commands(1),
              (V{res::ID_PLAY, res::ID_PAUSE, res::ID_STOP, res::ID_PLAY_FROM_CURSOR}));
    EXPECT_EQ(commands(2), (V{res::ID_NOISE_SETTINGS, res::ID_NOISE_CLEAN}));
    EXPECT_EQ(commands(3), (V{res::ID_VIEW_TOOLBAR, res::ID_VIEW_STATUS_BAR, 0, res::ID_ZOOM_IN,
                              res::ID_ZOOM_OUT}));
    EXPECT_EQ(commands(4), (V{res::ID_APP_ABOUT}));

    const auto& language = MainMenu()[3].items[2];
    ASSERT_EQ(language.kind, uimodel::MenuItemKind::Submenu);
    EXPECT_EQ(MenuLabel(language, true), "Language of Interface");
    EXPECT_EQ(MenuLabel(language, false), "Язык Интерфейса ");
    ASSERT_EQ(language.items.size(), 2u);
    for (bool english : {true, false}) {
        EXPECT_EQ(MenuLabel(language.items[0], english), "Английский (English)");
        EXPECT_EQ(MenuLabel(language.items[1], english), "Русский (Russian)");
    }
}

TEST(MenuTable, LabelsTakeShortcutsFromTheTableNotFromTheCaption) {
    const auto* close = FindMenuItem(res::ID_FILE_CLOSE);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(uimodel::MenuCaption(close->caption, true), "Clo&se\tCtrt+W");
    EXPECT_EQ(MenuLabel(*close, true), "Clo&se\tCtrl+W");
    EXPECT_EQ(MenuLabel(*close, false), "&Закрыть\tCtrl+W");
    EXPECT_EQ(MenuLabel(*FindMenuItem(res::ID_FILE_OPEN), true), "&Open...\tCtrl+O");
    EXPECT_EQ(MenuLabel(*FindMenuItem(res::ID_NOISE_CLEAN), false),
              "Шумоочистка &текущего файла\tCtrl+E");
    EXPECT_EQ(MenuLabel(*FindMenuItem(res::ID_NOISE_SETTINGS), true),
              "Noise Cleaning Se&ttings...\tCtrl+T");
    EXPECT_EQ(MenuLabel(*FindMenuItem(res::ID_APP_EXIT), true), "Exi&t\tAlt+F4");
    EXPECT_EQ(MenuLabel(*FindMenuItem(res::ID_FILE_SAVE_CLEANED), true),
              "Save Cleaned &As...\tCtrl+S");
    EXPECT_EQ(MenuLabel(*FindMenuItem(res::ID_FILE_SAVE_CLEANED), false),
              "Сохранить очищенный &как...\tCtrl+S");
    EXPECT_EQ(MenuLabel(*FindMenuItem(res::ID_STOP), true), "Stop");
    EXPECT_EQ(MenuLabel(*FindMenuItem(res::ID_STOP), false), "Ос&танов");
    EXPECT_EQ(MenuLabel(*FindMenuItem(res::ID_ZOOM_OUT), false), "Масштаб -");
    // Nothing binds Ctrl+N.
    EXPECT_EQ(FindMenuItem(res::ID_FILE_NEW), nullptr);
}

TEST(MenuTable, ToolbarButtonsInOrderWithTooltips) {
    const auto& buttons = uimodel::ToolbarButtons();
    const uint32_t order[] = {res::ID_FILE_OPEN,      res::ID_PLAY,     res::ID_PLAY_FROM_CURSOR,
                              res::ID_PAUSE,          res::ID_STOP,     res::ID_NOISE_CLEAN,
                              res::ID_NOISE_SETTINGS, res::ID_APP_ABOUT};
    ASSERT_EQ(buttons.size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(buttons[i].command, order[i]);
        EXPECT_STRNE(res::LoadPair(buttons[i].tooltip, true), "");
        EXPECT_STRNE(res::LoadPair(buttons[i].tooltip, false), "");
    }
    EXPECT_STREQ(res::LoadPair(buttons[2].tooltip, true), "Play from Cursor");
    EXPECT_STREQ(res::LoadPair(buttons[2].tooltip, false), "Воспр. от курсора");
    EXPECT_STREQ(res::LoadPair(buttons[7].tooltip, true), "About the Hushdesk...");
}

}  // namespace
