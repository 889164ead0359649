#include "ProgramArt.h"

#include <string>

#include "ProgramIconSvg.h"
#include "resources/resource.h"

namespace ui {
namespace {

// Each image on a 32x32 canvas; colours readable on light and dark toolbars.
std::string ToolSvg(uint32_t command) {
    const std::string head =
        R"(<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">)";
    std::string body;
    switch (command) {
        case res::ID_FILE_OPEN:
            body =
                R"(<path d="M3 8 L12 8 L15 11 L27 11 L27 26 L3 26 Z" fill="#e0a526" stroke="#8a5d08" stroke-width="1.2"/>)"
                R"(<path d="M3 26 L8 15 L31 15 L27 26 Z" fill="#f7cf5e" stroke="#8a5d08" stroke-width="1.2"/>)";
            break;
        case res::ID_PLAY:
            body =
                R"(<path d="M9 5 L27 16 L9 27 Z" fill="#2e9a3e" stroke="#1b5e26" stroke-width="1.2"/>)";
            break;
        case res::ID_PLAY_FROM_CURSOR:
            body =
                R"(<rect x="4" y="4" width="3" height="24" fill="#c0392b"/>)"
                R"(<path d="M11 7 L27 16 L11 25 Z" fill="#2e9a3e" stroke="#1b5e26" stroke-width="1.2"/>)";
            break;
        case res::ID_PAUSE:
            body =
                R"(<rect x="8" y="6" width="6" height="20" rx="1" fill="#2f6fb8" stroke="#1c4677" stroke-width="1"/>)"
                R"(<rect x="18" y="6" width="6" height="20" rx="1" fill="#2f6fb8" stroke="#1c4677" stroke-width="1"/>)";
            break;
        case res::ID_STOP:
            body =
                R"(<rect x="7" y="7" width="18" height="18" rx="2" fill="#c0392b" stroke="#7b2219" stroke-width="1.2"/>)";
            break;
        case res::ID_NOISE_CLEAN:
            body =
                R"(<path d="M2 17 L6 17 L8 9 L11 25 L14 6 L17 27 L20 13 L22 20 L24 17 L30 17" fill="none" stroke="#2f6fb8" stroke-width="2.2" stroke-linejoin="round" stroke-linecap="round"/>)"
                R"(<path d="M25 2 L26.5 6.5 L31 8 L26.5 9.5 L25 14 L23.5 9.5 L19 8 L23.5 6.5 Z" fill="#e0a526"/>)";
            break;
        case res::ID_NOISE_SETTINGS:
            body = R"(<rect x="4" y="7" width="24" height="2.5" fill="#555555"/>)"
                   R"(<rect x="4" y="15" width="24" height="2.5" fill="#555555"/>)"
                   R"(<rect x="4" y="23" width="24" height="2.5" fill="#555555"/>)"
                   R"(<rect x="17" y="4" width="5" height="8.5" rx="1" fill="#2f6fb8"/>)"
                   R"(<rect x="8" y="12" width="5" height="8.5" rx="1" fill="#2f6fb8"/>)"
                   R"(<rect x="20" y="20" width="5" height="8.5" rx="1" fill="#2f6fb8"/>)";
            break;
        case res::ID_APP_ABOUT:
            body =
                R"(<circle cx="16" cy="16" r="13" fill="#2f6fb8" stroke="#1c4677" stroke-width="1.2"/>)"
                R"(<circle cx="16" cy="9.5" r="2.2" fill="#ffffff"/>)"
                R"(<rect x="14" y="13.5" width="4" height="11" rx="1" fill="#ffffff"/>)";
            break;
        default:
            return "";
    }
    return head + body + "</svg>";
}

}  // namespace

wxBitmapBundle ToolImage(uint32_t command) {
    const std::string svg = ToolSvg(command);
    if (svg.empty()) {
        return {};
    }
    return wxBitmapBundle::FromSVG(svg.c_str(), wxSize(32, 32));
}

wxBitmap ProgramIcon(int size) {
    return wxBitmapBundle::FromSVG(kProgramIconSvg, wxSize(size, size))
        .GetBitmap(wxSize(size, size));
}

wxIconBundle ProgramIcons() {
    wxIconBundle icons;
    for (int size : {16, 32, 48, 64}) {
        wxIcon icon;
        icon.CopyFromBitmap(ProgramIcon(size));
        icons.AddIcon(icon);
    }
    return icons;
}

}  // namespace ui
