#!/bin/sh
# The single item: notes that it ran, in $HUSHDESK_PREFIX.
printf 'single item installed\n' >> "${HUSHDESK_PREFIX:?HUSHDESK_PREFIX names the folder to write notes into}/setup-notes.txt"
