#!/usr/bin/env bash
# Runs a script client of the tests with cscript in the project's Wine
# session: a .js as it is, a .vbs after the checks every VBScript client
# shares (checks.vbs). VBScript has no include, and Wine's cscript runs
# neither .wsf jobs nor ExecuteGlobal, so the two are joined into one file.
# cscript is a host we cannot put a handler into, and Wine swallows an access
# violation raised inside a window procedure: Wine itself reports every
# exception it dispatches in the process, and a hardware one fails the run.
# Usage: run_script_client.sh SOURCE_DIR BUILD_DIR SCRIPT
# Exits with the script's exit code (its failure count), or 1 more when a
# hardware exception was raised.
set -uo pipefail
source_dir=$1 build=$2 script=$3
run=("$source_dir/tools/wine-run.sh" "$build" cscript //nologo)
dispatched=$(mktemp)
joined=$(mktemp --suffix=.vbs)
trap 'rm -f "$joined" "$dispatched"' EXIT
if [[ $script == *.vbs ]]; then
    cat "$source_dir/tests/support/checks.vbs" "$script" >"$joined"
    script=$joined
fi
WINEDEBUG=-all,warn+seh "${run[@]}" "Z:${script//\//\\}" 2>"$dispatched"
status=$?
grep -v ':warn:seh:' "$dispatched" >&2
# Access violation, in-page error, illegal and privileged instruction, stack
# overflow, integer and floating-point faults, misalignment.
hardware='code=(c0000005|c0000006|c000001d|c0000096|c00000fd|c0000094|c0000095|c000008[c-f]|c000009[0-3]|c00002b[45]|80000002)\)'
if grep -E "$hardware" "$dispatched" >&2; then
    echo "$(basename "$3"): hardware exception in the script host" >&2
    status=$((status + 1))
fi
exit $status
