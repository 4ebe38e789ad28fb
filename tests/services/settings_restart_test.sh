#!/usr/bin/env bash
# A setting written before the Wine prefix's server stops is read after it
# starts again: SettingsStore keeps its values in the registry, which the
# server writes to the prefix's files.
# Usage: settings_restart_test.sh SOURCE_DIR BUILD_DIR TOOL_EXE
set -euo pipefail
source_dir=$1
build=$2
tool=$3
. "$source_dir/tools/wine-env.sh" "$build"
app=AmbrelleRestartTest
fail() { echo "FAILED: $*" >&2; exit 1; }

wine "$tool" delete "$app"
wine "$tool" write "$app" HWinWidth r4:7021.5 || fail "write"
wine "$tool" write "$app" Caption "内部订单拒绝信息查询" || fail "write text"

# Stop the server (every Wine process of the prefix goes with it) and wait
# until it has saved the registry.
wineserver -k || true
wineserver -w
grep -q 'VB and VBA Program Settings\\\\'"$app"'\\\\Settings' "$WINEPREFIX/user.reg" ||
    fail "the section is not in user.reg"
grep -q '"HWinWidth"="7021.5"' "$WINEPREFIX/user.reg" || fail "the value is not in user.reg as text"

# Start it again as the session does, and read with a new process. Wine's
# background processes started now must not hold this script's output open
# (CTest waits for it to close): their output goes to a log.
log="$build/wine-session/settings-restart.log"
after_restart() {
    wineserver -p
    wine "$tool" expect "$app" HWinWidth 7021.5 || fail "HWinWidth after the restart"
    wine "$tool" expect "$app" Caption "内部订单拒绝信息查询" || fail "Caption after the restart"
    wine "$tool" delete "$app"
}
if ! (after_restart) </dev/null >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
fi
echo "settings survive a restart of the prefix"
