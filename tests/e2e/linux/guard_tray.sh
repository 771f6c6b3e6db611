#!/usr/bin/env bash
# shellcheck disable=SC2016 # checks pass code to eval, to expand when it runs
# The program in guarded mode, as the face of the guard service for its user
# (root here): started before the guard, it counts for itself until the guard
# appears, then shows the guard's figures and notices and writes no file; a
# wrong exit password asks the guard for the power-off, and the program ends
# only when the guard takes it; the guard, not the program, counts and powers off.
HOURGATE_EXE=${1:?usage: $0 HOURGATE_EXE HOURGATED_EXE}
HOURGATED_EXE=${2:?usage: $0 HOURGATE_EXE HOURGATED_EXE}
# shellcheck source=tests/e2e/linux/lib.sh
source "$(dirname "$0")/lib.sh"
{ start_display && start_logind; } || exit 1

# The window's two lines, published as its icon text, and the guard's answer.
window_lines() { icon_text "$(visible_window hourgate)"; }
guard_lines() { guard_as root Status | sed -n "s/^(\['\(.*\)', '\(.*\)'\],)$/\1\\\\n\2/p"; }
notice_shown() { text=$(icon_text "$(visible_window 警告)") && [ -n "$text" ]; }

session_new c1 0 root
install_program
# At the normal speed, so that its notices stay up for their 3 seconds; inside
# the allowed hours. An autostart can beat a guard that is still starting.
start_program "@2026-12-07 17:00:00"
session_of "$PROGRAM_PID" c1
check "the icon docks" wait_until 20 tray_icon
check "before the guard, the program counts for itself" wait_until 10 test -s "$E2E_APP/guest.txt"
own=$(record guest.txt)
start_guard "@2026-12-07 16:00:00 x60"
click_tray 1
check "once the guard is there the window shows its figures for root" \
    wait_until 20 eval 'window_shown hourgate && [ "$(window_lines)" = "$(guard_lines)" ] && [ -n "$(window_lines)" ]'
# New, which runs usage start when the program counts itself (checked at the end).
focus_window hourgate && xdotool key ctrl+n
click_tray 1

# root's second session, switched away from: its processes may not power off.
session_new c2 0 root && session_active c2 false
from_c2() { (session_of "$BASHPID" c2 && exec gdbus call --system --dest org.hourgate.Guard1 \
    --object-path /org/hourgate/Guard1 --method org.hourgate.Guard1.PowerOff 2>&1); }
check "a power-off asked from root's other session, while c1 is in use, is refused" \
    eval '[[ $(from_c2) == *Error.Refused* ]] && [ -z "$(poweroffs)" ]'
session_active c1 false
check "a wrong password at 終了 while root's session is inactive is taken" leave tray wrong
session_active c1 true
check "the guard refused that power-off: the program runs on and takes another at ｱﾌﾟﾘｹｰｼｮﾝの終了" leave menu wrong
check "the guard requests this one from logind, and the program ends with exit code 0" \
    eval 'program_exits_with 0 && [ "$(poweroffs)" = false ]'

start_program ""
session_of "$PROGRAM_PID" c1
wait_until 20 tray_icon >/dev/null
mock ClearCalls >/dev/null
stop_guard
# Restarted a minute before the allowed hours end for guests.
start_guard "@2026-12-07 20:59:00 x60"
check "the restarted guard's notice reaches the program" wait_until 20 notice_shown
check "naming root and the hours" eval '[ "$text" = "rootさんの使用可能時間は、16時から21時までです" ]'
stop_program
calls=$(poweroffs | wc -w) minutes=$(record_minutes guest.txt "$GUARD_DIR")
check "with the program killed, the guard counts on and requests the power-off again" \
    wait_until 20 eval '[ "$(poweroffs | wc -w)" -gt '"$calls"' ] && [ "$(record_minutes guest.txt "$GUARD_DIR")" -gt '"$minutes"' ]'
check "since the guard is there the program wrote no file, not even at New" \
    eval '[ "$(ls "$E2E_APP" | xargs)" = "guest.txt hourgate hourgate-print.so stderr.log" ] &&
        [ "$(record guest.txt)" = "'"$own"'" ] && [ ! -s "$E2E_STDERR" ]'
e2e_finish
