#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test
# (unit and end-to-end, all under Wine) through CTest.
set -euo pipefail
root=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
build=${1:-$root/build}
"$root/tools/install-deps.sh"
"$root/tools/build.sh" "$build"
ctest --test-dir "$build" --output-on-failure
