#!/usr/bin/env bash
# Takes the screenshots in docs/ (linux-*.png): the real program under a private
# Xvfb with the openbox window manager (for captions) and trayer, in dry-run mode.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target hourgate
out=$PWD/docs
HOURGATE_EXE=$PWD/build/linux/hourgate
# shellcheck source=tests/e2e/linux/lib.sh
source tests/e2e/linux/lib.sh
# openbox puts each window into a frame: the program's windows are one level down.
E2E_WINDOW_DEPTH=2

shot() {  # shot NAME [GEOMETRY]: the screen, cropped to what is drawn on it
    # A window is mapped before Qt has painted it; nothing tells when it has.
    sleep 0.5
    import -window root "$E2E_TMP/full.png"
    convert "$E2E_TMP/full.png" -crop "${2:-1024x768+0+0}" -trim +repage "$out/$1.png"
    echo "docs/$1.png"
}

start_display
XDG_CONFIG_HOME=$E2E_TMP/config openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
E2E_PIDS+=($!)
wait_until 20 eval 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'

install_program
# Monday 15:59: a guest is outside the hours, so the notice shows at start.
start_program "@2026-12-07 15:59:58" --dry-run
wait_until 10 window_shown "警告"
shot linux-notice 1024x768+0+0
wait_until 10 window_gone "警告"
# Usage start goes on after the notice and writes the record.
wait_until 10 test -e "$E2E_APP/guest.txt"
click_tray 1
wait_until 5 window_shown hourgate
shot linux-window
click_tray 3
wait_until 5 popup_menu >/dev/null
shot linux-tray-menu
xdotool key Escape
focus_window hourgate
xdotool key alt+h a
wait_until 5 window_shown "hourgateのﾊﾞｰｼﾞｮﾝ情報"
shot linux-about
xdotool key Escape
click_tray 3
wait_until 5 popup_menu >/dev/null
xdotool key Down Return
wait_until 5 window_shown "Pass Word"
xdotool type "LOCK"
shot linux-password
xdotool type "_GATE"
xdotool key Return
program_exits_with 0
