#!/usr/bin/env bash
# Installs every Debian package that building and testing Hourgate needs.
# Does nothing when they are all present already.
set -euo pipefail
packages=(
    # build and unit tests
    cmake ninja-build g++ libgtest-dev googletest clang-format shellcheck
    # the parsers' fuzz targets: libFuzzer with ASan and UBSan
    clang libclang-rt-14-dev
    # Windows cross build, and running it under Wine with a Japanese locale
    g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
    wine wine64 locales
    # the Windows installer (.msi): wixl builds it, msitools' msibuild and msiinfo edit and read it
    wixl msitools
    # Wine's own fonts (Marlett draws the caption buttons of Windows programs)
    fonts-wine
    # Linux program (Qt 6) and its power-off through logind
    qt6-base-dev libgl-dev
    # hourgatectl --json (header only, for both builds)
    nlohmann-json3-dev
    # whole-program tests: virtual display, tray host, clicks, screenshots, fonts,
    # mock logind on a private bus, accelerated time
    xvfb xauth trayer xdotool x11-utils imagemagick fonts-noto-cjk fonts-ipafont-gothic
    python3-dbusmock dbus libglib2.0-bin faketime
    # the Debian package's check, and its manual pages (scdoc builds them, man renders them)
    lintian scdoc man-db
    # window manager for the Linux screenshots in docs/ (captions), scripts/screenshots.sh
    openbox
    # what a usage tick costs the record, bench/record_tick.sh
    strace
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
