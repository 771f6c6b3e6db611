#!/usr/bin/env bash
# Takes the screenshots of the Windows program for docs/ (windows-*.png): the
# shown window, the hour notice, the tray menu, the password dialog and the
# About dialog, each under Wine in a private X server with a tray host.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
cmake --preset windows >/dev/null
cmake --build --preset windows --target hourgate hg_driver >/dev/null
# shellcheck source=tests/e2e/windows/e2e-lib.sh
source tests/e2e/windows/e2e-lib.sh build/windows/hourgate.exe \
    build/windows/tests/e2e/windows/hg_driver.exe
out=$repo/docs
mkdir -p "$out"
e2e_start_display
export TZ
shot() {  # shot NAME GEOMETRY: the part of the screen that matters
    import -window root -crop "$2" +repage "$out/windows-$1.png"
    echo "wrote docs/windows-$1.png"
}

TZ=$(tz_for 18)
dir=$(e2e_new_dir shown)
e2e_exempt_user "$dir"
e2e_start "$dir"
e2e_drive "$dir" wait-frame 20000 -- wait-tray 10000 -- wait-visible 0 5000 -- tray-left \
    -- wait-visible 1 5000 >/dev/null
sleep 0.5
shot window 1024x160+0+0

# The tool bar button's tooltip, and its prompt in the status bar.
e2e_drive "$dir" wait-foreground 5000 >/dev/null
xdotool mousemove 14 50
sleep 0.3
xdotool mousemove 13 51
sleep 2
shot toolbar 420x160+0+0
xdotool mousemove 300 300

# The tray menu opens at the cursor, which stands on the tray icon.
xdotool mousemove 1013 12
# (Wine passes focus changes on a moment later; let the hiding settle first.)
e2e_drive "$dir" tray-left -- wait-visible 0 5000 -- sleep 500 -- tray-right -- wait-menu 5000 \
    >/dev/null
sleep 0.5
shot traymenu 300x80+724+0
xdotool key Escape

e2e_drive "$dir" command 32771 -- wait-dialog 1001 5000 -- dialog-set-text 1001 secret >/dev/null
sleep 0.5
shot password 440x200+292+284
e2e_drive "$dir" dialog-command 1001 2 >/dev/null  # Cancel: a dry-run power-off request
e2e_wait_exit "$e2e_last_pid" 10

dir=$(e2e_new_dir about)
e2e_exempt_user "$dir"
e2e_start "$dir"
e2e_drive "$dir" wait-frame 20000 -- wait-tray 10000 -- wait-visible 0 5000 -- tray-left \
    -- wait-visible 1 5000 -- command 57664 -- wait-dialog 1 5000 >/dev/null
sleep 0.5
shot about 420x160+0+0
e2e_drive "$dir" dialog-command 1 1 >/dev/null

# A guest outside the allowed hours.
TZ=$(tz_for 3)
dir=$(e2e_new_dir notice)
e2e_start "$dir"
e2e_drive "$dir" wait-warning 20000 >/dev/null
sleep 0.3
shot notice 440x160+292+304
