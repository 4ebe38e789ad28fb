#!/usr/bin/env bash
# The soak: one host process shows and closes the result window 1,000 times
# (kinds 0, 1 and 2, small bills and the 3,600-record bill 500119, closed by
# OK, the close box and the host) and reports memory and handles every 100
# cycles, then checks that everything was released and the DLL unloaded.
# Three runs: on the host's main thread; the same with the DLL unloaded and
# loaded again 100 times in between; each show on a new apartment thread.
# Usage: run-soak.sh [BUILD_DIR [CYCLES]]   (not part of CI: minutes per run)
set -euo pipefail
root=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
build=${1:-$root/build}
cycles=${2:-1000}
"$root/tools/install-deps.sh"
"$root/tools/build.sh" "$build" --target show_soak
"$root/tools/wine-session.sh" start "$build"
trap '"$root/tools/wine-session.sh" stop "$build"' EXIT
status=0
for variant in main reload threads; do
    "$root/tools/wine-run.sh" "$build" "$build/bench/show_soak.exe" --variant "$variant" --cycles "$cycles" || status=1
    echo
done
exit $status
