#include "uimodel/CommandIds.h"

#include "resources/resource.h"

namespace uimodel {
namespace {

constexpr int kPrivate = kWxIdHighest + 1;

constexpr IdMapping kIdTable[] = {
    {res::ID_FILE_NEW, kWxIdNew},
    {res::ID_FILE_OPEN, kWxIdOpen},
    {res::ID_FILE_CLOSE, kWxIdClose},
    {res::ID_APP_ABOUT, kWxIdAbout},
    {res::ID_APP_EXIT, kWxIdExit},
    {res::IDOK, kWxIdOk},
    {res::IDCANCEL, kWxIdCancel},
    {res::ID_PLAY, kPrivate + 1},
    {res::ID_ZOOM_IN, kPrivate + 2},
    {res::ID_PAUSE, kPrivate + 3},
    {res::ID_ZOOM_OUT, kPrivate + 4},
    {res::ID_PLAY_FROM_CURSOR, kPrivate + 5},
    {res::ID_STOP, kPrivate + 6},
    {res::ID_NOISE_CLEAN, kPrivate + 7},
    {res::ID_NOISE_SETTINGS, kPrivate + 8},
    {res::ID_LANGUAGE_ENGLISH, kPrivate + 9},
    {res::ID_LANGUAGE_RUSSIAN, kPrivate + 10},
    {res::ID_VIEW_TOOLBAR, kPrivate + 11},
    {res::ID_VIEW_STATUS_BAR, kPrivate + 12},
    {res::ID_FILE_SAVE_CLEANED, kPrivate + 13},
};

}  // namespace

std::span<const IdMapping> IdTable() {
    return kIdTable;
}

int WxIdFor(uint32_t resId) {
    for (const IdMapping& row : kIdTable) {
        if (row.resId == resId) {
            return row.wxId;
        }
    }
    return resId <= static_cast<uint32_t>(kWxIdLimit) ? static_cast<int>(resId) : 0;
}

std::optional<uint32_t> ResIdFor(int wxId) {
    for (const IdMapping& row : kIdTable) {
        if (row.wxId == wxId) {
            return row.resId;
        }
    }
    if (wxId > 0 && wxId <= kWxIdLimit && WxIdFor(static_cast<uint32_t>(wxId)) == wxId) {
        return static_cast<uint32_t>(wxId);
    }
    return std::nullopt;
}

}  // namespace uimodel
