#!/usr/bin/env bash
# The benchmarks: installs what is missing, builds, starts the Wine session
# and runs each benchmark of bench/ under the project's prefix:
#   - the cost of a late-bound call on each stand-in object, beside the
#     platform's own Scripting.Dictionary measured in the same run;
#   - filling and walking a record set of 1,000,000 records of 12 fields
#     through the vtable, with the memory a record takes.
# Usage: run-benchmarks.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
build=${1:-$root/build}
"$root/tools/install-deps.sh"
"$root/tools/build.sh" "$build"
"$root/tools/wine-session.sh" start "$build"
trap '"$root/tools/wine-session.sh" stop "$build"' EXIT
script="Z:$root/bench/late_bound_calls.vbs"
"$root/tools/wine-run.sh" "$build" cscript //nologo "${script//\//\\}"
echo
"$root/tools/wine-run.sh" "$build" "$build/bench/ado_bench.exe"
