#include "WindowText.h"

#include <glib.h>

namespace installer {

wxString WindowText(const std::string& utf8) {
    if (g_utf8_validate_len(utf8.data(), utf8.size(), nullptr)) {
        return wxString::FromUTF8(utf8.data(), utf8.size());
    }
    gchar* valid = g_utf8_make_valid(utf8.data(), static_cast<gssize>(utf8.size()));
    const wxString text = wxString::FromUTF8(valid);
    g_free(valid);
    return text;
}

}  // namespace installer
