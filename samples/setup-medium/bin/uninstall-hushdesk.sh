#!/bin/sh
# Removes what install-hushdesk.sh installed into $HUSHDESK_PREFIX (the files
# its manifest lists, nothing else) and records Hushdesk as absent. The
# hushdesk-clean it brought goes with it, so its registration goes too.
# A manifest that names anything outside the prefix (an edited or foreign
# file, "..", a folder linked elsewhere) is refused whole: nothing is removed.
set -e
prefix=${HUSHDESK_PREFIX:?HUSHDESK_PREFIX names the folder Hushdesk was installed into}
manifest="$prefix/share/hushdesk/install_manifest.txt"
product='SOFTWARE\Kestrova\Installer\Products\{BFEC5A96-DB50-4D1C-80D9-2D97DD847C22}'

if [ -f "$manifest" ]; then
    root=$(realpath -m -- "$prefix")
    outside=0
    # The manifest's last line has no line feed; read still returns it.
    while IFS= read -r file || [ -n "$file" ]; do
        [ -n "$file" ] || continue
        case "$(realpath -m -- "$file")" in
            "$root"/*) ;;
            *)
                echo "uninstall-hushdesk: refusing $file: it is not inside $root" >&2
                outside=1
                ;;
        esac
    done < "$manifest"
    if [ "$outside" -ne 0 ]; then
        echo "uninstall-hushdesk: $manifest names files outside the prefix; nothing was removed" >&2
        exit 1
    fi
    while IFS= read -r file || [ -n "$file" ]; do
        [ -n "$file" ] || continue
        rm -f -- "$file"
    done < "$manifest"
    rm -f -- "$manifest"
fi
kestrova-reg set HKLM "$product" State dword:2
kestrova-reg delete HKLM "$product\\Features" >/dev/null 2>&1 || true
kestrova-reg delete HKLM 'SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\HushdeskClean' \
    >/dev/null 2>&1 || true
