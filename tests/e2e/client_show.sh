#!/usr/bin/env bash
# Runs a script client of show (VBScript or JScript) under cscript while
# window_closer presses OK on each window it opens, and checks the captions
# the closer saw.
# Usage: client_show.sh SOURCE_DIR BUILD_DIR CLOSER_EXE SCRIPT
set -uo pipefail
source_dir=$1 build=$2 closer=$3 script=$4
captions=$(mktemp)
trap 'rm -f "$captions"' EXIT

"$source_dir/tools/wine-run.sh" "$build" "$closer" 3 60 >"$captions" &
closer_pid=$!
"$source_dir/tests/support/run_script_client.sh" "$source_dir" "$build" "$script"
script_status=$?
wait "$closer_pid"
closer_status=$?

expected=$'内部订单确认信息查询\n内部订单拒绝信息查询\n发货通知单确认信息查询'
seen=$(tr -d '\r' <"$captions")
status=0
if [ "$script_status" -ne 0 ]; then echo "$(basename "$script"): $script_status failure(s)"; status=1; fi
if [ "$closer_status" -ne 0 ]; then echo "window_closer failed"; status=1; fi
if [ "$seen" != "$expected" ]; then
    echo "captions seen:"; echo "$seen"; echo "expected:"; echo "$expected"; status=1
fi
exit $status
