#!/usr/bin/env bash
# The benchmarks: installs what is missing, builds, starts the Wine session
# and runs each benchmark of bench/ under the project's prefix:
#   - the cost of a late-bound call on each stand-in object, beside the
#     platform's own Scripting.Dictionary measured in the same run;
#   - `show` to the first painted window for 1, 1,000, 100,000 and 1,000,000
#     records of kinds 0 and 1, split into the bill service's fill and the
#     component's share, with a page down and repaint at the top, in the
#     middle and near the end, and one row's text beside the VarFormat calls
#     the rows make (counted from their texts) and beside all the outside
#     calls a row needs, made directly on the same records;
#   - the rejection rebuild in lines per second, beside the record set's own
#     cost of writing the same lines;
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
"$root/tools/wine-run.sh" "$build" "$build/bench/show_bench.exe" --runs 3 1000 100000
"$root/tools/wine-run.sh" "$build" "$build/bench/show_bench.exe" --runs 1 1000000
echo
"$root/tools/wine-run.sh" "$build" "$build/bench/rejection_bench.exe" 300000
echo
"$root/tools/wine-run.sh" "$build" "$build/bench/ado_bench.exe"
