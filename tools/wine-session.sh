#!/usr/bin/env bash
# Starts and stops the Wine session the tests and the demo run in:
# an Xvfb display of their own, the project's 32-bit Wine prefix inside the
# build tree (created on first use), a persistent wineserver, and every
# COM server of the build registered with regsvr32.
#
# Usage: wine-session.sh start|stop|register BUILD_DIR
# (AMBRELLE_WINE_CONFIG chooses the configuration: tools/wine-env.sh.)
set -euo pipefail
here=$(dirname "$(readlink -f "$0")")
action=$1
build=$(cd "$2" && pwd)
AMBRELLE_KEEP_DISPLAY=1 . "$here/wine-env.sh" "$build"
session=$ambrelle_session_dir

start_display() {
    mkdir -p "$session"
    if [ -n "${AMBRELLE_USE_DISPLAY:-}" ]; then
        # Show the windows on the caller's own display.
        echo "${AMBRELLE_USE_DISPLAY#:}" >"$session/display"
        export DISPLAY="$AMBRELLE_USE_DISPLAY"
        return
    fi
    if [ -f "$session/xvfb.pid" ] && kill -0 "$(cat "$session/xvfb.pid")" 2>/dev/null; then
        export DISPLAY=":$(cat "$session/display")"
        return
    fi
    rm -f "$session/display"
    exec 5>"$session/display"
    Xvfb -displayfd 5 -screen 0 "$ambrelle_screen" -nolisten tcp >"$session/xvfb.log" 2>&1 &
    echo $! >"$session/xvfb.pid"
    exec 5>&-
    for _ in $(seq 100); do
        [ -s "$session/display" ] && break
        sleep 0.1
    done
    [ -s "$session/display" ] || { echo "Xvfb did not start" >&2; cat "$session/xvfb.log" >&2; exit 1; }
    export DISPLAY=":$(cat "$session/display")"
}

create_prefix() {
    [ -f "$WINEPREFIX/.ambrelle-ready-$WINEARCH" ] && return
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
    # Debian's Wine does not load its own fonts by itself.
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    cp /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$WINEPREFIX/drive_c/windows/Fonts/"
    local subst='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    for face in SimSun NSimSun 宋体 新宋体; do
        wine reg add "$subst" /v "$face" /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
    done
    # No window manager under Xvfb: Wine draws the frames itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
    # Display scaling (96 DPI is 100 %).
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$ambrelle_dpi" /f >/dev/null 2>&1
    wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels \
        /t REG_DWORD /d "$ambrelle_dpi" /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.ambrelle-ready-$WINEARCH"
}

start_wineserver() {
    # Keeps the server running between programs; one that is already running
    # (a session started before) refuses, and is kept as it is.
    wineserver -p 2>/dev/null || true
}

register_servers() {
    local list="$build/com-servers.txt"
    [ -f "$list" ] || return 0
    while IFS= read -r dll; do
        [ -n "$dll" ] || continue
        wine regsvr32 /s "Z:${dll//\//\\}" || { echo "regsvr32 failed for $dll" >&2; exit 1; }
    done <"$list"
}

case "$action" in
start)
    # Wine's background processes must not hold the caller's output open
    # (CTest waits for it to close): everything goes to a log, shown on failure.
    mkdir -p "$session"
    if ! (start_display && create_prefix && start_wineserver && wine cmd /c exit 0 && register_servers) \
            </dev/null >"$session/start.log" 2>&1; then
        cat "$session/start.log" >&2
        exit 1
    fi
    ;;
register)
    [ -f "$session/display" ] && export DISPLAY=":$(cat "$session/display")"
    register_servers </dev/null
    ;;
stop)
    wineserver -k 2>/dev/null || true
    if [ -f "$session/xvfb.pid" ]; then
        kill "$(cat "$session/xvfb.pid")" 2>/dev/null || true
        rm -f "$session/xvfb.pid" "$session/display"
    fi
    ;;
*)
    echo "usage: $0 start|stop|register BUILD_DIR" >&2
    exit 2
    ;;
esac
