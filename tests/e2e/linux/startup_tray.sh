#!/usr/bin/env bash
# shellcheck disable=SC2016 # checks pass code to eval, to expand when it runs
# Start-up and the tray: a document named on the command line must open; usage
# start writes the record with no notice inside the hours; the hidden window is
# toggled by left clicks and closing only hides it;
# the tray menu's 終了 with the exit password ends the program quietly.
HOURGATE_EXE=${1:?usage: $0 HOURGATE_EXE}
# shellcheck source=tests/e2e/linux/lib.sh
source "$(dirname "$0")/lib.sh"
{ start_display && start_logind; } || exit 1

# (Bounded: a program that ignored them would start and run on.)
check "--help prints the usage and exits 0" eval 'timeout 10 "$HOURGATE_EXE" --help | grep -q "^usage: hourgate"'
check "a wrong switch exits 2" eval 'timeout 10 "$HOURGATE_EXE" --bogus 2>/dev/null; [ $? = 2 ]'
check "without a display: one line, exit 1" eval '[ "$(timeout 10 env -u DISPLAY -u QT_QPA_PLATFORM "$HOURGATE_EXE" 2>&1 | wc -l; echo "${PIPESTATUS[0]}")" = "1
1" ]'
install_program
start_program "@2026-12-07 16:10:00" "$E2E_TMP/missing.txt"
check "an unopenable document on the command line: exit code 1" program_exits_with 1
check "and no record written" test ! -e "$E2E_APP/guest.txt"

echo "any text" >"$E2E_TMP/document.txt"
install_program
start_program "@2026-12-07 16:10:00" "$E2E_TMP/document.txt"
# Usage start shows a notice before it writes the record: watched from the start
# until the record exists, a notice of 3 s cannot slip between two polls.
wait_until 20 eval 'window_shown 警告 || [ -e "$E2E_APP/guest.txt" ]'
check "an openable one starts: the record is written, with no notice before it" \
    eval '[ -e "$E2E_APP/guest.txt" ] && window_gone 警告'
check "the record holds the start and no minutes in 25 bytes" \
    eval '[ "$(record guest.txt)" = "2026/12/07 16:10 000000| " ] && [ "$(stat -c %s "$E2E_APP/guest.txt")" = 25 ]'
check "the icon docks in the tray host" wait_until 20 tray_icon
check "the main window stays hidden" window_gone hourgate

click_tray 1
check "a left click shows the window" wait_until 10 window_shown hourgate
check "at 400 x 150" eval '[ "$(xdotool getwindowgeometry "$(visible_window hourgate)" | sed -n "s/ *Geometry: //p")" = 400x150 ]'
click_tray 1
check "another left click hides it" wait_until 10 window_gone hourgate
click_tray 1
wait_until 10 window_shown hourgate
wm_close hourgate
check "closing hides it" wait_until 10 window_gone hourgate
check "and the program runs on with its icon" eval 'program_running && tray_icon'

check "the tray menu's 終了 asks for the password" leave tray LOCK_GATE
check "LOCK_GATE ends the program with exit code 0" program_exits_with 0
check "its icon is gone" eval '! tray_icon'
check "and no power-off was requested" eval '[ -z "$(poweroffs)" ] && [ ! -s "$E2E_STDERR" ]'
e2e_finish
