#!/bin/sh
# Installs Hushdesk from a build folder into $HUSHDESK_PREFIX and records it:
# the product as installed (State 5) and its Engine feature as local (3).
set -e
build=${1:?usage: install-hushdesk.sh BUILD_FOLDER}
prefix=${HUSHDESK_PREFIX:?HUSHDESK_PREFIX names the folder to install into}
product='SOFTWARE\Kestrova\Installer\Products\{BFEC5A96-DB50-4D1C-80D9-2D97DD847C22}'

cmake --install "$build" --prefix "$prefix"
# What went where, for the uninstaller.
mkdir -p "$prefix/share/hushdesk"
cp "$build/install_manifest.txt" "$prefix/share/hushdesk/install_manifest.txt"

kestrova-reg set HKLM "$product" State dword:5
kestrova-reg set HKLM "$product\\Features" Engine dword:3
