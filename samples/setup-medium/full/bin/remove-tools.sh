#!/bin/sh
# Removes the tools again: records the product as absent.
set -e
"$(dirname "$0")/note.sh" "remove $1 in $(pwd)"
kestrova-reg set HKLM 'SOFTWARE\Kestrova\Installer\Products\{60334EC5-70AE-4F54-83E9-3849C0AB9AE4}' State dword:2
