// Resource ids as wx ids (see uimodel/CommandIds.h for why they differ).
#pragma once

#include <wx/defs.h>

#include <cstdint>

#include "uimodel/CommandIds.h"

static_assert(uimodel::kWxIdOpen == wxID_OPEN && uimodel::kWxIdClose == wxID_CLOSE &&
                  uimodel::kWxIdNew == wxID_NEW && uimodel::kWxIdExit == wxID_EXIT &&
                  uimodel::kWxIdAbout == wxID_ABOUT && uimodel::kWxIdOk == wxID_OK &&
                  uimodel::kWxIdCancel == wxID_CANCEL && uimodel::kWxIdHighest == wxID_HIGHEST,
              "the id table's stock ids must be wx's");

namespace ui {

// The wx id for a command, control or pane id of resource.h.
inline int WxId(uint32_t resId) {
    return uimodel::WxIdFor(resId);
}

}  // namespace ui
