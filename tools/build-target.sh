#!/usr/bin/env bash
# Prints the Windows target the tests can run on here: i686 when this machine
# runs 32-bit programs (the 32-bit Wine), x86_64 when its kernel refuses them
# or the 32-bit Wine is not installed.
set -euo pipefail
if [ -x /usr/lib/wine/wineserver32 ] && /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
    echo i686
else
    echo x86_64
fi
