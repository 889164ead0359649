#!/bin/sh
# Prerequisite "Sound output": present when SDL2 is installed on this system.
# Records that with kestrova-reg; when SDL2 is missing it records nothing, so
# Setup comes back with the components that are still missing.
if pkg-config --exists sdl2 2>/dev/null || ldconfig -p 2>/dev/null | grep -q libSDL2; then
    kestrova-reg set HKLM 'SOFTWARE\Kestrova\Installer\Products\{C283D29A-FB9E-4F54-B892-6A12630790DD}' State dword:5
else
    echo "install-soundkit: SDL2 is not installed (apt-get install libsdl2-2.0-0)" >&2
fi
