#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test
# (unit and end-to-end, all under Wine) through CTest; then replays the kept
# fuzz corpus through the text pieces built natively with the sanitizers.
set -euo pipefail
root=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
build=${1:-$root/build}
"$root/tools/install-deps.sh"
"$root/tools/build.sh" "$build"
if [ "$(cat "$build/wine-arch")" != win32 ]; then
    # The tests run on a 64-bit build here; the component that ships is the
    # 32-bit DLL, so it is built and packed too (the ZIP's contents checked).
    echo "This machine cannot run 32-bit programs: the tests run on the x86_64 build; building and packing the 32-bit Ambrelle.dll as well."
    "$root/tools/package.sh" "$build-i686"
fi
ctest --test-dir "$build" --output-on-failure
"$root/tools/run-fuzzers.sh" --replay --build "$build-fuzz"
