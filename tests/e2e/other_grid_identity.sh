#!/usr/bin/env bash
# Runs end-to-end tests of the window with another build of the grid control
# registered under the same ProgID: TessaryOther.ocx, whose class, type
# library, event interface and event dispatch ids are all its own. The window
# must show, mark and total exactly as with Tessary.ocx, which is registered
# again at the end whatever happened.
# Usage: other_grid_identity.sh SOURCE_DIR BUILD_DIR OTHER_OCX TESSARY_OCX PROGRAM [ARGS...]
set -uo pipefail
source_dir=$1 build=$2 other=$3 tessary=$4
shift 4
run() { "$source_dir/tools/wine-run.sh" "$build" "$@"; }
windows_path() { echo "Z:${1//\//\\}"; }

restore() {
    run regsvr32 /s /u "$(windows_path "$other")"
    run regsvr32 /s "$(windows_path "$tessary")"
}
trap restore EXIT
run regsvr32 /s "$(windows_path "$other")" || { echo "regsvr32 failed for $other"; exit 1; }
run "$@"
