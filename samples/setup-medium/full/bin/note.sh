#!/bin/sh
# Appends its arguments to setup-notes.txt in $HUSHDESK_PREFIX: the order in
# which Setup ran the item's lines.
printf '%s\n' "$*" >> "${HUSHDESK_PREFIX:?HUSHDESK_PREFIX names the folder to write notes into}/setup-notes.txt"
