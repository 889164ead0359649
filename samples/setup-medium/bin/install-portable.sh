#!/bin/sh
# The portable copy is not part of this medium; the item shows how a conflict
# with an installed Hushdesk disables a row.
echo "install-portable: the portable copy is not on this medium" >&2
