# Sourced by the other tools: the environment of the project's own Wine prefix.
# Usage: . tools/wine-env.sh BUILD_DIR
ambrelle_build_dir=$(cd "$1" && pwd)
export WINEPREFIX="$ambrelle_build_dir/wineprefix"
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES='mscoree,mshtml='
# The component's users run a Chinese Windows (code page 936).
export LC_ALL=zh_CN.UTF-8
export LANG=zh_CN.UTF-8
ambrelle_session_dir="$ambrelle_build_dir/wine-session"
if [ -z "${AMBRELLE_KEEP_DISPLAY:-}" ] && [ -f "$ambrelle_session_dir/display" ]; then
    export DISPLAY=":$(cat "$ambrelle_session_dir/display")"
fi
