// Text on its way into a window. wxString::FromUTF8 gives an empty string for
// bytes that are not UTF-8 (a medium folder named in a legacy code page, say),
// which would blank a box or a page: such bytes become U+FFFD instead.
#pragma once

#include <wx/string.h>

#include <string>

namespace installer {

wxString WindowText(const std::string& utf8);

}  // namespace installer
