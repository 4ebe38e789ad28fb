#!/usr/bin/env bash
# Configures and builds Ambrelle, its stand-ins, tests and demo host.
# Usage: build.sh [BUILD_DIR [OPTIONS OF cmake --build...]]   (default: build)
#
# The component is a 32-bit DLL, and the build is for 32-bit Windows (i686)
# wherever the machine can run 32-bit programs, which the 32-bit Wine needs.
# A kernel without 32-bit support (some virtual machines) runs only 64-bit
# Wine: there the same sources are built for 64-bit Windows (x86_64) so that
# every test still runs. AMBRELLE_TARGET=i686 or x86_64 chooses by hand.
set -euo pipefail
root=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
build=${1:-$root/build}
target=${AMBRELLE_TARGET:-$("$root/tools/build-target.sh")}
toolchain="$root/cmake/mingw-$target.cmake"
[ -f "$toolchain" ] || { echo "unknown target: $target" >&2; exit 2; }
# A tree built for the other target is built anew from nothing: its type
# libraries, objects and Wine prefix are all of the other kind.
if [ -f "$build/CMakeCache.txt" ] && ! grep -q "^CMAKE_TOOLCHAIN_FILE:.*=$toolchain\$" "$build/CMakeCache.txt"; then
    rm -rf "$build"
fi
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
shift || true
cmake --build "$build" -j"$(nproc)" "$@"
