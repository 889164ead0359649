#!/bin/sh
# Installs the tools (nothing to copy in this sample): notes where it ran and
# records the product as installed.
set -e
"$(dirname "$0")/note.sh" "install $1 in $(pwd)"
kestrova-reg set HKLM 'SOFTWARE\Kestrova\Installer\Products\{60334EC5-70AE-4F54-83E9-3849C0AB9AE4}' State dword:5
