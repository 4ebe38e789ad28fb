# Sourced by the other tools: the environment of the project's own Wine prefix.
# Usage: . tools/wine-env.sh BUILD_DIR
ambrelle_build_dir=$(cd "$1" && pwd)
export WINEPREFIX="$ambrelle_build_dir/wineprefix"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES='mscoree,mshtml='
# The component's users run a Chinese Windows (code page 936).
export LC_ALL=zh_CN.UTF-8
export LANG=zh_CN.UTF-8
ambrelle_session_dir="$ambrelle_build_dir/wine-session"
if [ -z "${AMBRELLE_KEEP_DISPLAY:-}" ] && [ -f "$ambrelle_session_dir/display" ]; then
    export DISPLAY=":$(cat "$ambrelle_session_dir/display")"
fi

# A build for 64-bit Windows (written by CMake into the build tree) runs under
# Wine's 64-bit loader and server: Debian's `wine` and `wineserver` commands
# would pick the 32-bit ones, so a folder of this build tree that comes first
# on PATH holds commands of those names that run the 64-bit ones.
if [ "$(cat "$ambrelle_build_dir/wine-arch" 2>/dev/null)" = win64 ]; then
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64
    ambrelle_wine_bin="$ambrelle_build_dir/wine64-bin"
    if [ ! -x "$ambrelle_wine_bin/wineboot" ]; then
        mkdir -p "$ambrelle_wine_bin"
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$ambrelle_wine_bin/wine"
        printf '#!/bin/sh\nexec /usr/lib/wine/wineserver64 "$@"\n' >"$ambrelle_wine_bin/wineserver"
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 wineboot.exe "$@"\n' >"$ambrelle_wine_bin/wineboot"
        chmod +x "$ambrelle_wine_bin/wine" "$ambrelle_wine_bin/wineserver" "$ambrelle_wine_bin/wineboot"
    fi
    case ":$PATH:" in
    *":$ambrelle_wine_bin:"*) ;;
    *) export PATH="$ambrelle_wine_bin:$PATH" ;;
    esac
else
    export WINEARCH=win32
fi
