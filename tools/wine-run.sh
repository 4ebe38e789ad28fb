#!/usr/bin/env bash
# Runs a Windows program of the build under the project's Wine prefix.
# Usage: wine-run.sh BUILD_DIR PROGRAM [ARGS...]
# Used by CTest as the cross-compiling emulator.
set -euo pipefail
here=$(dirname "$(readlink -f "$0")")
. "$here/wine-env.sh" "$1"
shift
exec wine "$@"
