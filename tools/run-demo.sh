#!/usr/bin/env bash
# The main job: the demo host shows the approval history of sample bills.
# Installs what is missing, builds, starts the Wine session and runs the host
# for each query kind: internal order confirmations and rejections of bill
# 100231, and the delivery notice confirmations of bill 500119 (3600 records).
# With a display (DISPLAY set) the windows open there and stay until closed;
# without one they open on a private Xvfb display, a screenshot of each is
# written to build/demo/, and the host closes them.
#
# Usage: run-demo.sh
set -euo pipefail
root=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
build=$root/build
"$root/tools/install-deps.sh"
"$root/tools/build.sh" "$build"

interactive=
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    interactive=1
    export AMBRELLE_USE_DISPLAY=$DISPLAY
fi
"$root/tools/wine-session.sh" start "$build"
trap '"$root/tools/wine-session.sh" stop "$build"' EXIT
demo="$build/host/AmbrelleDemo.exe"
mkdir -p "$build/demo"

for query in "100231 0" "100231 1" "500119 2"; do
    read -r fid kind <<<"$query"
    if [ -n "$interactive" ]; then
        "$root/tools/wine-run.sh" "$build" "$demo" "$fid" "$kind"
        continue
    fi
    "$root/tools/wine-run.sh" "$build" "$demo" "$fid" "$kind" --close-after 6 &
    host=$!
    # Wait for the window, then photograph the screen.
    display=":$(cat "$build/wine-session/display")"
    for _ in $(seq 50); do
        DISPLAY=$display xdotool search --onlyvisible --name "信息查询" >/dev/null 2>&1 && break
        sleep 0.1
    done
    sleep 1.5
    shot="$build/demo/ambrelle-kind$kind.png"
    DISPLAY=$display import -window root "$shot"
    wait "$host"
    echo "screenshot: $shot"
done
