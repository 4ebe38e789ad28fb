# Sourced by the other tools: the environment of the project's own Wine prefix.
# Usage: . tools/wine-env.sh BUILD_DIR
#
# AMBRELLE_WINE_CONFIG chooses the configuration, each with a prefix and a
# session (display) of its own:
#   (unset)   the component's users: Chinese Windows (code page 936), 96 DPI;
#   comma168  regional settings with a decimal comma (German) and a display
#             scaled to 175 % (168 DPI), where twips are not whole pixels.
ambrelle_build_dir=$(cd "$1" && pwd)
case "${AMBRELLE_WINE_CONFIG:-}" in
"")
    ambrelle_config_suffix=
    ambrelle_locale=zh_CN.UTF-8
    ambrelle_dpi=96
    ambrelle_screen=1280x1024x24
    ;;
comma168)
    ambrelle_config_suffix=-comma168
    ambrelle_locale=de_DE.UTF-8
    ambrelle_dpi=168
    # The same screen scaled by 175 %, so that windows fit as they do at 96 DPI.
    ambrelle_screen=2240x1792x24
    ;;
*)
    echo "unknown AMBRELLE_WINE_CONFIG: $AMBRELLE_WINE_CONFIG" >&2
    return 2
    ;;
esac
export WINEPREFIX="$ambrelle_build_dir/wineprefix$ambrelle_config_suffix"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES='mscoree,mshtml='
export LC_ALL=$ambrelle_locale
export LANG=$ambrelle_locale
ambrelle_session_dir="$ambrelle_build_dir/wine-session$ambrelle_config_suffix"
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
