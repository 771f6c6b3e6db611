#!/usr/bin/env bash
# Takes the screenshots of the Windows program for docs/ (windows-*.png): the
# shown window, the tool bar's tooltip, the tray menu, the password dialog, the
# About dialog and the hour notice, under Wine in the test harness's private X
# server with a tray host.
#
#   scripts/screenshots-windows.sh [DIR]     DIR defaults to docs/
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
cmake --preset windows >/dev/null
cmake --build --preset windows --target hourgate hg_driver >/dev/null
out=$(realpath "${1:-docs}")
mkdir -p "$out"
# shellcheck source=tests/e2e/windows/e2e-lib.sh
source tests/e2e/windows/e2e-lib.sh build/windows/hourgate.exe \
    build/windows/tests/e2e/windows/hg_driver.exe
WM_COMMAND=0x111 WM_TRAYNOTIFY=0x8064 WM_LBUTTONDOWN=0x201 WM_RBUTTONDOWN=0x204
ID_TRAY_EXIT=32771 ID_APP_ABOUT=57664 IDCANCEL=2
shot() { # shot NAME GEOMETRY: the part of the screen that matters, once drawn
    sleep 0.5
    import -window root -crop "$2" +repage "$out/windows-$1.png"
    echo "wrote $out/windows-$1.png"
}
show_window() {
    e2e_until 60 e2e_has tray=1
    e2e_drive post $WM_TRAYNOTIFY 1 $WM_LBUTTONDOWN
    e2e_until 60 e2e_has visible=1
}
shown_named() { xdotool search --onlyvisible --name "$1" >/dev/null; }

e2e_at_hour 18
e2e_start shown
show_window
shot window 1024x160+0+0
# The tool bar button's tooltip, and its prompt in the status bar.
xdotool mousemove 14 50 sleep 0.3 mousemove 13 51 sleep 1.5
shot toolbar 420x160+0+0
# The tray menu opens at the cursor, which stands on the tray icon.
xdotool mousemove 1013 12
e2e_drive post $WM_TRAYNOTIFY 1 $WM_LBUTTONDOWN
e2e_until 60 e2e_has visible=0
e2e_drive post $WM_TRAYNOTIFY 1 $WM_RBUTTONDOWN
shot traymenu 300x80+724+0
xdotool key Escape
e2e_drive post $WM_COMMAND $ID_TRAY_EXIT 0
e2e_until 60 e2e_drive answer secret 0
shot password 440x200+292+284
e2e_drive answer secret $IDCANCEL # a dry-run power-off request, then the end
e2e_wait_exit

e2e_start about
show_window
e2e_drive post $WM_COMMAND $ID_APP_ABOUT 0
e2e_until 60 shown_named 'ﾊﾞｰｼﾞｮﾝ情報'
shot about 420x160+0+0
kill "$e2e_pid"

e2e_at_hour 3 # a guest outside the allowed hours
e2e_start notice
e2e_until 60 shown_named '^警告$'
shot notice 440x160+292+304
