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
    ;;
comma168)
    ambrelle_config_suffix=-comma168
    ambrelle_locale=de_DE.UTF-8
    ambrelle_dpi=168
    ;;
*)
    echo "unknown AMBRELLE_WINE_CONFIG: $AMBRELLE_WINE_CONFIG" >&2
    return 2
    ;;
esac
export WINEPREFIX="$ambrelle_build_dir/wineprefix$ambrelle_config_suffix"
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES='mscoree,mshtml='
export LC_ALL=$ambrelle_locale
export LANG=$ambrelle_locale
ambrelle_session_dir="$ambrelle_build_dir/wine-session$ambrelle_config_suffix"
if [ -z "${AMBRELLE_KEEP_DISPLAY:-}" ] && [ -f "$ambrelle_session_dir/display" ]; then
    export DISPLAY=":$(cat "$ambrelle_session_dir/display")"
fi
