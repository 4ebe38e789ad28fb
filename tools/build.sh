#!/usr/bin/env bash
# Configures and builds Ambrelle, its stand-ins, tests and demo host.
# Usage: build.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
build=${1:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"
