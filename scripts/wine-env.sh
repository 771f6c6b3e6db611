# shellcheck shell=bash
# Sourced: the environment for running the Windows build under Wine.
# Private prefix, Japanese locale built outside the system, quiet Wine.
: "${HOURGATE_WINE_ROOT:=${TMPDIR:-/tmp}/hourgate-wine-$(id -u)}"
export WINEPREFIX="$HOURGATE_WINE_ROOT/prefix"
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LOCPATH="$HOURGATE_WINE_ROOT/locale"

# Creates the locale and the prefix once; later calls return at once.
wine_prepare() {
    export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
    [ -f "$HOURGATE_WINE_ROOT/ready" ] && return 0
    mkdir -p "$HOURGATE_WINE_ROOT"
    (
        flock 9
        [ -f "$HOURGATE_WINE_ROOT/ready" ] && exit 0
        mkdir -p "$LOCPATH"
        localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" >/dev/null 2>&1 || true
        DISPLAY='' wineboot -i </dev/null >/dev/null 2>&1
        # Without a window manager Wine waits 2 s whenever a window is hidden.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
        wineserver -w
        # Debian's Wine does not look into /usr/share/wine/fonts; without Marlett
        # in the prefix the caption buttons of every window show letters.
        cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
        touch "$HOURGATE_WINE_ROOT/ready"
    ) 9>"$HOURGATE_WINE_ROOT/lock"
}

# Keeps one wineserver running for a whole test run (cold starts cost seconds).
wine_warm() {
    wine_prepare
    wineserver -p >/dev/null 2>&1 </dev/null
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

wine_stop() {
    wineserver -k >/dev/null 2>&1 || true
}
