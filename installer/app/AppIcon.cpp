#include "AppIcon.h"

namespace installer {
namespace {

// clang-format off
const char* const kSetupIconXpm[] = {
    "32 32 3 1",
    "  c None",
    "b c #3877C6",
    "w c #FFFFFF",
    "                                ",
    "    bbbbbbbbbbbbbbbbbbbbbbbb    ",
    "  bbbbbbbbbbbbbbbbbbbbbbbbbbbb  ",
    "  bbbbbbbbbbbbbbbbbbbbbbbbbbbb  ",
    " bbbbbbbbbbbbbbbbbbbbbbbbbbbbbb ",
    " bbbbbbbbbbbbbbbbbbbbbbbbbbbbbb ",
    " bbbbbbbbbbbbbwwwwbbbbbbbbbbbbb ",
    " bbbbbbbbbbbbbwwwwbbbbbbbbbbbbb ",
    " bbbbbbbbbbbbbwwwwbbbbbbbbbbbbb ",
    " bbbbbbbbbbbbbwwwwbbbbbbbbbbbbb ",
    " bbbbbbbbbbbbbwwwwbbbbbbbbbbbbb ",
    " bbbbbbbbbbbbbwwwwbbbbbbbbbbbbb ",
    " bbbbbbbbbbbbbwwwwbbbbbbbbbbbbb ",
    " bbbbbbbbbbbbbwwwwbbbbbbbbbbbbb ",
    " bbbbbbbbbbbbbwwwwbbbbbbbbbbbbb ",
    " bbbbbbbbbbbbbwwwwbbbbbbbbbbbbb ",
    " bbbbbbbbbbbbbwwwwbbbbbbbbbbbbb ",
    " bbbbbbbbbbbbbwwwwbbbbbbbbbbbbb ",
    " bbbbbbbbbwwwwwwwwwwwwbbbbbbbbb ",
    " bbbbbbbbbbwwwwwwwwwwbbbbbbbbbb ",
    " bbbbbbwwbbbwwwwwwwwbbbwwbbbbbb ",
    " bbbbbbwwbbbbwwwwwwbbbbwwbbbbbb ",
    " bbbbbbwwbbbbbwwwwbbbbbwwbbbbbb ",
    " bbbbbbwwbbbbbbbbbbbbbbwwbbbbbb ",
    " bbbbbbwwwwwwwwwwwwwwwwwwbbbbbb ",
    " bbbbbbwwwwwwwwwwwwwwwwwwbbbbbb ",
    " bbbbbbbbbbbbbbbbbbbbbbbbbbbbbb ",
    " bbbbbbbbbbbbbbbbbbbbbbbbbbbbbb ",
    "  bbbbbbbbbbbbbbbbbbbbbbbbbbbb  ",
    "  bbbbbbbbbbbbbbbbbbbbbbbbbbbb  ",
    "    bbbbbbbbbbbbbbbbbbbbbbbb    ",
    "                                ",
};
// clang-format on

}  // namespace

wxIcon SetupIcon() {
    return wxIcon(kSetupIconXpm);
}

}  // namespace installer
