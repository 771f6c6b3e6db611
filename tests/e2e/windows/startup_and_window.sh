#!/usr/bin/env bash
# Start-up leaves only the tray icon and writes the record beside the exe; the
# tray icon's left press toggles the window, close only hides it; the About
# dialog; leaving through the tray menu with the right password.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh" "$@"
e2e_start_display
dir=$(e2e_new_dir app)
e2e_exempt_user "$dir"
user=$(e2e_user "$dir")
today=$(e2e_drive "$dir" today | sed -n 's/^date=//p')

e2e_start "$dir"
pid=$e2e_last_pid
# Start-up shows the frame for a moment before it hides it: wait for the
# hiding, then make sure the frame stays hidden.
out=$(e2e_drive "$dir" wait-frame 20000 -- wait-tray 10000 -- wait-visible 0 5000 -- sleep 300 \
    -- visible -- frame-info)
check "tray icon added" yes "$(grep -qx tray <<<"$out" && echo yes || echo no)"
check "hidden after start-up" visible=0 "$(grep '^visible=' <<<"$out" | tail -1)"
check "caption" caption=hourgate "$(grep '^caption=' <<<"$out")"
check "outer size" size=400x150 "$(grep '^size=' <<<"$out")"
style=$(sed -n 's/^style=//p' <<<"$out")
# caption and system menu; no sizing border, no minimise or maximise box
check "frame style" "caption+sysmenu, fixed" \
    "$( (((style & 0xC80000) == 0xC80000)) && echo -n caption+sysmenu; (((style & 0x70000) == 0)) && echo ", fixed")"

record="$dir/$user.txt"
check "record file beside the exe" yes "$([ -f "$record" ] && echo yes || echo no)"
check "record is 25 bytes" 25 "$(stat -c %s "$record" 2>/dev/null || echo 0)"
check "record holds today and 0 minutes" "$today 000000" \
    "$(head -c 23 "$record" | awk '{print $1, $3}')"

toggle() { e2e_drive "$dir" "$@" | grep '^visible=' | tail -1; }
check "first left press shows" visible=1 "$(toggle tray-left -- wait-visible 1 5000)"
check "idle text in the status bar" "status=ﾚﾃﾞｨ" "$(e2e_drive "$dir" status-text)"
# The tool bar's button under the mouse puts its prompt into the status bar.
e2e_drive "$dir" wait-foreground 5000 >/dev/null
xdotool mousemove 14 50 sleep 0.3 mousemove 13 51 sleep 0.5
check "tool bar prompt" "status=ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示" \
    "$(e2e_drive "$dir" status-text)"
xdotool mousemove 200 95 sleep 0.5
check "idle text once the mouse leaves the button" "status=ﾚﾃﾞｨ" "$(e2e_drive "$dir" status-text)"
xdotool mousemove 14 50 sleep 0.3 mousemove 13 51 sleep 0.5 mousemove 600 600 sleep 0.5
check "idle text once the mouse leaves the window" "status=ﾚﾃﾞｨ" "$(e2e_drive "$dir" status-text)"
check "second left press hides" visible=0 "$(toggle tray-left -- wait-visible 0 5000)"
check "third left press shows again" visible=1 "$(toggle tray-left -- wait-visible 1 5000)"
check "releases, double clicks and other icon ids are ignored" visible=1 \
    "$(toggle tray-other -- sleep 500 -- visible)"
check "close hides" visible=0 "$(toggle close -- wait-visible 0 5000)"
check "program still runs after close" yes "$(kill -0 "$pid" 2>/dev/null && echo yes || echo no)"
check "tray icon stays after close" tray=1 "$(e2e_drive "$dir" tray)"
check "left press after close shows" visible=1 "$(toggle tray-left -- wait-visible 1 5000)"

check "icon gone with the task bar" tray=0 "$(e2e_drive "$dir" tray-delete -- tray)"
check "icon back when a new task bar starts" tray "$(e2e_drive "$dir" taskbar-created -- wait-tray 5000)"

about=$(e2e_drive "$dir" command 57664 -- wait-dialog 1 5000 -- dialog-command 1 1)
check "About dialog" "caption=hourgateのﾊﾞｰｼﾞｮﾝ情報" "$(grep '^caption=' <<<"$about")"

# The tray menu's only item, chosen with the keyboard, then the right password.
# (Wine passes focus changes on a moment later; let the About dialog's end settle.)
e2e_drive "$dir" sleep 500 -- tray-right -- wait-menu 5000 >/dev/null
xdotool key Down Return
pw=$(e2e_drive "$dir" answer-password LOCK_GATE ok 5000)
check "password dialog caption" "caption=Pass Word" "$pw"
e2e_wait_exit "$pid" 15
check "right password ends the program with 0" 0 "$e2e_exit"
check "no power-off request" 0 "$(e2e_dry_run_lines "$dir")"
e2e_finish
