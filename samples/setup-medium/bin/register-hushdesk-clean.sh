#!/bin/sh
# hushdesk-clean comes with Hushdesk; this records it in the uninstall list
# once it is there to be used.
set -e
prefix=${HUSHDESK_PREFIX:?HUSHDESK_PREFIX names the folder Hushdesk was installed into}
key='SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\HushdeskClean'
if [ ! -x "$prefix/bin/hushdesk-clean" ]; then
    echo "register-hushdesk-clean: $prefix/bin/hushdesk-clean is not installed" >&2
    exit 1
fi
kestrova-reg set HKLM "$key" DisplayName sz:hushdesk-clean
kestrova-reg set HKLM "$key" UninstallString "sz:$prefix/bin/hushdesk-clean"
