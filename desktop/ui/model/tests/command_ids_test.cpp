#include <gtest/gtest.h>

#include <set>

#include "resources/resource.h"
#include "uimodel/CommandIds.h"
#include "uimodel/MenuTable.h"

namespace {

using uimodel::IdTable;
using uimodel::kWxIdLimit;

TEST(CommandIds, TableIsOneToOneAndEveryWxIdIsAccepted) {
    std::set<uint32_t> resIds;
    std::set<int> wxIds;
    for (const auto& row : IdTable()) {
        EXPECT_TRUE(resIds.insert(row.resId).second) << "resource id twice: " << row.resId;
        EXPECT_TRUE(wxIds.insert(row.wxId).second) << "wx id twice: " << row.wxId;
        EXPECT_GE(row.wxId, 1) << row.resId;
        EXPECT_LE(row.wxId, kWxIdLimit) << row.resId;
        EXPECT_EQ(uimodel::WxIdFor(row.resId), row.wxId);
        EXPECT_EQ(uimodel::ResIdFor(row.wxId), row.resId);
    }
}

TEST(CommandIds, EveryCommandOfMenusAndToolbarHasAWxId) {
    std::set<int> seen;
    auto check = [&](uint32_t command) {
        const int wxId = uimodel::WxIdFor(command);
        EXPECT_GT(wxId, 0) << command;
        EXPECT_LE(wxId, kWxIdLimit) << command;
        seen.insert(wxId);
    };
    for (const auto& menu : uimodel::MainMenu()) {
        for (const auto& item : menu.items) {
            if (item.kind == uimodel::MenuItemKind::Submenu) {
                for (const auto& sub : item.items) {
                    check(sub.command);
                }
            } else {
                check(item.command);
            }
        }
    }
    for (const auto& button : uimodel::ToolbarButtons()) {
        check(button.command);
    }
    for (uint32_t window : {res::ID_VIEW_TOOLBAR, res::ID_VIEW_STATUS_BAR, res::ID_FILE_NEW}) {
        check(window);
    }
    // 17 menu commands (Toolbar and Status Bar among them) plus New.
    EXPECT_EQ(seen.size(), 18u);
}

TEST(CommandIds, ControlsAndPanesKeepTheirNumbersWithoutCollidingWithCommands) {
    for (uint32_t id : {res::IDC_WAVE, res::IDC_GAIN_MAX, res::IDC_BUILD_DATE_EN,
                        res::ID_INDICATOR_NOISE_CANCEL, res::ID_INDICATOR_PASSES}) {
        EXPECT_EQ(uimodel::WxIdFor(id), static_cast<int>(id));
        EXPECT_EQ(uimodel::ResIdFor(static_cast<int>(id)), id);
        for (const auto& row : IdTable()) {
            EXPECT_NE(row.wxId, static_cast<int>(id));
        }
    }
    EXPECT_EQ(uimodel::WxIdFor(res::IDOK), uimodel::kWxIdOk);
    EXPECT_EQ(uimodel::WxIdFor(40000), 0);
    EXPECT_EQ(uimodel::ResIdFor(1), std::nullopt);  // 1 is IDOK, shown as wx's OK id
}

}  // namespace
