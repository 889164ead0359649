// The one table between the program's command ids (resource.h) and the ids
// its windows use. wxWidgets refuses menu and window ids of 32767 and above,
// and every command id is above that, so each command gets a wx id: a stock id
// where one fits (so GTK shows its usual icons and keys), else one of a
// private block above the stock ids. Ids below 32767 that are not in the table
// (controls, panes) are used unchanged.
//
// A new command: add its number to resource.h and a row to kIdTable in
// CommandIds.cpp with the next free private id; the id-table test checks the
// table stays one-to-one and in range.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace uimodel {

// wx stock ids (wx/defs.h); the window library checks them at compile time.
inline constexpr int kWxIdOpen = 5000;
inline constexpr int kWxIdClose = 5001;
inline constexpr int kWxIdNew = 5002;
inline constexpr int kWxIdExit = 5006;
inline constexpr int kWxIdAbout = 5014;
inline constexpr int kWxIdOk = 5100;
inline constexpr int kWxIdCancel = 5101;
inline constexpr int kWxIdHighest = 5999;
// Largest id wx accepts for menus and windows.
inline constexpr int kWxIdLimit = 32766;

struct IdMapping {
    uint32_t resId;
    int wxId;
};

std::span<const IdMapping> IdTable();

// The wx id of a resource id: the table's, else the id itself when wx accepts
// it, else 0 (no such command).
int WxIdFor(uint32_t resId);

// The resource id of a wx id from the table, or of an id used unchanged.
std::optional<uint32_t> ResIdFor(int wxId);

}  // namespace uimodel
