#!/usr/bin/env bash
# Installs what building and running Ambrelle on Debian needs, if missing:
# the mingw-w64 toolchains (i686, and x86_64 for machines that cannot run
# 32-bit programs), CMake, Wine 32- and 64-bit, Xvfb, fonts and the
# zh_CN.UTF-8 and de_DE.UTF-8 locales, and clang with libFuzzer and the
# sanitizers for the fuzz targets built natively. Runs as root (or through
# sudo when available).
set -euo pipefail

packages=(
    cmake g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools libwine-dev googletest
    wine wine64 xvfb x11-utils xdotool imagemagick
    fonts-wine fonts-wqy-microhei locales nlohmann-json3-dev python3
    clang libclang-rt-14-dev
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
    fi
    # A mirror caught mid-sync fails an index or two; apt then keeps the
    # ones it had, which is usually enough. Try again a few times, and let the
    # install itself say whether something is really missing.
    for attempt in 1 2 3; do
        as_root apt-get update -qq && break
        echo "apt-get update failed (attempt $attempt of 3)" >&2
        [ "$attempt" -eq 3 ] || sleep 10
    done
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

# The 32-bit Wine, for the 32-bit prefix. Its i386 libraries must match the
# versions of the 64-bit ones installed, which a mirror caught mid-sync cannot
# always give; without it the tests run under the 64-bit Wine (see
# build-target.sh), as on machines that cannot run 32-bit programs at all.
if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
    if ! as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq wine32:i386; then
        echo "warning: the 32-bit Wine could not be installed; the tests will run under the 64-bit Wine" >&2
    fi
fi

# zh_CN.UTF-8: the component's users; de_DE.UTF-8: the second test
# configuration, a locale with a decimal comma.
for wanted in zh_CN de_DE; do
    if ! locale -a 2>/dev/null | grep -qi "^$wanted\.utf-\?8$"; then
        as_root sed -i "s/^# *$wanted.UTF-8 UTF-8/$wanted.UTF-8 UTF-8/" /etc/locale.gen
        grep -q "^$wanted.UTF-8 UTF-8" /etc/locale.gen || echo "$wanted.UTF-8 UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
        as_root locale-gen >/dev/null
    fi
done
