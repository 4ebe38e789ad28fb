#!/usr/bin/env bash
# Builds the 32-bit Ambrelle.dll and packs what a Windows administrator
# installs into a ZIP: the DLL and its install text (packaging/INSTALL.txt).
# Usage: package.sh [BUILD_DIR]   (default: build-i686)
# Prints the ZIP's path (BUILD_DIR/package/Ambrelle-<version>-win32.zip).
set -euo pipefail
root=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
build=${1:-$root/build-i686}
AMBRELLE_TARGET=i686 "$root/tools/build.sh" "$build" --target Ambrelle >&2
build=$(cd "$build" && pwd)
exec python3 "$root/tools/pack.py" "$(command -v cpack)" "$build" "$build/component/Ambrelle.dll" \
    "$build/packaging/INSTALL.txt"
