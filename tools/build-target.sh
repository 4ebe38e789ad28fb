#!/usr/bin/env bash
# Prints the Windows target the tests can run on here: i686 when this machine
# runs 32-bit programs (the 32-bit Wine), x86_64 when its kernel refuses them.
set -euo pipefail
if [ -x /usr/lib/wine/wineserver32 ] && ! /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
    echo x86_64
else
    echo i686
fi
