// Texts of the string table as wx strings. The table is UTF-8.
#pragma once

#include <wx/string.h>

#include <string>

#include "resources/StringTable.h"

namespace ui {

inline wxString Wx(const std::string& utf8) {
    return wxString::FromUTF8(utf8.c_str());
}

inline wxString Text(uint32_t id) {
    return wxString::FromUTF8(res::LoadText(id));
}

// The English text when `english`, else the Russian one.
inline wxString Text(res::TextPair pair, bool english) {
    return wxString::FromUTF8(res::LoadPair(pair, english));
}

}  // namespace ui
