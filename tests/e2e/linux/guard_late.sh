#!/usr/bin/env bash
# shellcheck disable=SC2016 # checks pass code to eval, to expand when it runs
# A tray program that started before the guard (an autostart can beat a
# service that is still starting) counts for itself until the guard appears,
# then becomes the guard's face: the guard's figures, and no more writes of
# its own record.
HOURGATE_EXE=${1:?usage: $0 HOURGATE_EXE HOURGATED_EXE}
HOURGATED_EXE=${2:?usage: $0 HOURGATE_EXE HOURGATED_EXE}
# shellcheck source=tests/e2e/linux/lib.sh
source "$(dirname "$0")/lib.sh"
{ start_display && start_logind; } || exit 1
session_new c1 0 root
install_program
printf '2026/12/07 09:00 000030\0 ' >"$E2E_APP/guest.txt"
# Inside the allowed hours, the clock ten times as fast: a minute in six seconds.
start_program "@2026-12-07 17:00:00 x10" --dry-run
session_of "$PROGRAM_PID" c1
check "the icon docks" wait_until 20 tray_icon
window_lines() { icon_text "$(visible_window hourgate)"; }
guard_lines() { guard_as root Status | sed -n "s/^(\['\(.*\)', '\(.*\)'\],)$/\1\\\\n\2/p"; }
click_tray 1
check "standalone, the program counts on from its own record" \
    wait_until 20 eval '[ "$(record_minutes guest.txt)" -ge 31 ]'
check "and its window shows no guard's figures" \
    eval 'wait_until 10 window_shown hourgate && [ -z "$(window_lines)" ]'
start_guard "@2026-12-07 17:00:00 x10" --dry-run
check "once the guard is there the window shows the guard's figures" \
    wait_until 20 eval '[ -n "$(window_lines)" ] && [ "$(window_lines)" = "$(guard_lines)" ]'
own=$(record guest.txt)
sleep 15 # past two of the program's minutes
check "the program no longer writes its own record" eval '[ "$(record guest.txt)" = "'"$own"'" ]'
e2e_finish
