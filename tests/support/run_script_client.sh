#!/usr/bin/env bash
# Runs a script client of the tests with cscript in the project's Wine
# session: a .js as it is, a .vbs after the checks every VBScript client
# shares (checks.vbs). VBScript has no include, and Wine's cscript runs
# neither .wsf jobs nor ExecuteGlobal, so the two are joined into one file.
# Usage: run_script_client.sh SOURCE_DIR BUILD_DIR SCRIPT
# Exits with the script's exit code (its failure count).
set -uo pipefail
source_dir=$1 build=$2 script=$3
run=("$source_dir/tools/wine-run.sh" "$build" cscript //nologo)
if [[ $script != *.vbs ]]; then
    "${run[@]}" "Z:${script//\//\\}"
    exit
fi
joined=$(mktemp --suffix=.vbs)
trap 'rm -f "$joined"' EXIT
cat "$source_dir/tests/support/checks.vbs" "$script" >"$joined"
"${run[@]}" "Z:${joined//\//\\}"
