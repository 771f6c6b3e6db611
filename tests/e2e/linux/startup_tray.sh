#!/usr/bin/env bash
# Start-up hidden with the icon docked and the record written; the tray icon's
# left click toggles the window, closing only hides it, a double click toggles
# once, the tray menu dismissed does nothing; the accelerators re-run usage start.
HOURGATE_EXE=${1:?usage: $0 HOURGATE_EXE}
source "$(dirname "$0")/lib.sh"

start_display || exit 1
start_logind || exit 1
install_program
# A Monday afternoon, inside the guests' hours: no notice, no power-off.
start_program "@2026-12-07 16:10:00"

log "start-up"
check "the icon docks in the tray host" wait_until 10 tray_icon
check "the record is written at start" \
    wait_until 5 eval '[ "$(record guest.txt)" = "2026/12/07 16:10 000000| " ]'
check "the record file is exactly 25 bytes" eval '[ "$(stat -c %s "$E2E_APP/guest.txt")" = 25 ]'
check "the main window stays hidden" window_gone hourgate
check "the program keeps running" program_running
screenshot linux-tray

log "left click toggles, close hides"
click_tray 1
check "a left click shows the window" wait_until 3 window_shown hourgate
window=$(visible_window hourgate)
check "the window is 400 x 150" \
    eval '[ "$(xdotool getwindowgeometry "$window" | sed -n "s/ *Geometry: //p")" = 400x150 ]'
check "the window cannot be resized" \
    eval 'xprop -id "$window" WM_NORMAL_HINTS | grep -q "program specified minimum size: 400 by 150" &&
          xprop -id "$window" WM_NORMAL_HINTS | grep -q "program specified maximum size: 400 by 150"'
screenshot linux-window
click_tray 1
check "a second left click hides it" wait_until 3 window_gone hourgate
click_tray 1
check "a third shows it again" wait_until 3 window_shown hourgate
wm_close "$(visible_window hourgate)"
check "closing hides the window" wait_until 3 window_gone hourgate
check "closing does not end the program" program_running
check "closing keeps the icon" tray_icon
click_tray 1
check "after closing, a left click shows it again" wait_until 3 window_shown hourgate

log "a double click toggles once"
icon=$(tray_icon)
xdotool mousemove --window "$icon" 11 11 click --repeat 2 --delay 80 1
sleep 0.8
check "the double click hid the shown window" window_gone hourgate
click_tray 1
check "and the next click shows it" wait_until 3 window_shown hourgate

log "tray menu dismissed"
click_tray 3
check "a right click opens the menu" wait_until 3 popup_menu
screenshot linux-tray-menu
xdotool key Escape
check "Escape closes the menu" wait_until 3 popup_gone
click_tray 3
check "the menu opens again" wait_until 3 popup_menu
xdotool mousemove 500 500 click 1
check "a click elsewhere closes it" wait_until 3 popup_gone
check "the program runs on" program_running
check "no power-off was requested" eval '[ "$(poweroff_count)" = 0 ]'

log "Ctrl+N re-runs usage start"
# Minutes stored earlier today by another run; usage start carries them over.
seed_record guest.txt "2026/12/07 09:00 000042"
focus_window hourgate
xdotool key ctrl+n
check "the record is read again and rewritten with the current time" \
    wait_until 5 eval '[[ "$(record guest.txt)" == "2026/12/07 16:1"?" 000042| " ]]'

log "Ctrl+O opens a file as the document and re-runs usage start"
seed_record guest.txt "2026/12/07 09:00 000077"
echo "any file" >"$E2E_TMP/document.txt"
focus_window hourgate
xdotool key ctrl+o
check "the open dialog shows" wait_until 5 window_shown "開く"
xdotool type --delay 20 "$E2E_TMP/document.txt"
xdotool key Return
check "usage start ran again with the stored minutes" \
    wait_until 5 eval '[[ "$(record guest.txt)" == "2026/12/07 16:1"?" 000077| " ]]'
check "the opened file is left as it was" grep -qx "any file" "$E2E_TMP/document.txt"

log "Ctrl+P prints the two lines"
focus_window hourgate
xdotool key ctrl+p
# Without printers, Qt's print dialog offers printing to $HOME/print.pdf.
check "the print dialog shows" wait_until 5 window_shown Print
xdotool key Return
check "a one-page PDF is written" wait_until 10 eval 'head -c 5 "$HOME/print.pdf" | grep -q "%PDF-" &&
    [ "$(grep -a -c "/Type /Page$" "$HOME/print.pdf")" = 1 ]'

log "About"
focus_window hourgate
xdotool key alt+h a
check "the About dialog opens" wait_until 3 window_shown "hourgateのﾊﾞｰｼﾞｮﾝ情報"
screenshot linux-about
xdotool key Escape
check "Escape closes it" wait_until 3 window_gone "hourgateのﾊﾞｰｼﾞｮﾝ情報"

log "Ctrl+S writes an empty file"
echo "not empty" >"$E2E_TMP/saved.txt"
focus_window hourgate
xdotool key ctrl+s
check "the save dialog opens" wait_until 5 window_shown "名前を付けて保存"
xdotool type --delay 20 "$E2E_TMP/saved.txt"
xdotool key Return
sleep 0.7
# Qt asks before replacing an existing file.
xdotool key alt+y 2>/dev/null
check "the chosen file is now empty" wait_until 5 eval '[ -f "$E2E_TMP/saved.txt" ] && [ ! -s "$E2E_TMP/saved.txt" ]'

check "the program is still running" program_running
check "nothing asked for a power-off" eval '[ "$(poweroff_count)" = 0 ]'
check "nothing written on standard error" eval '[ ! -s "$E2E_STDERR" ]'
stop_program

log "a document named on the command line"
# argument                 starts
cases=(
    "$E2E_TMP/saved.txt    yes"
    "$E2E_TMP/missing.txt  no"
    "$E2E_TMP              no"
)
for row in "${cases[@]}"; do
    read -r document starts <<<"$row"
    install_program
    start_program "@2026-12-07 16:10:00" "$document"
    if [ "$starts" = yes ]; then
        check "$(basename "$document") opens: the icon docks" wait_until 10 tray_icon
        check "and usage starts" wait_until 5 test -e "$E2E_APP/guest.txt"
        stop_program
    else
        check "$(basename "$document") cannot be opened: start-up fails" program_exits_with 1
        check "without a record written" test ! -e "$E2E_APP/guest.txt"
    fi
done
e2e_finish
