#!/usr/bin/env bash
# shellcheck disable=SC2016 # checks pass code to eval, to expand when it runs
# A guest starting outside the allowed hours: the notice 警告 names them and the
# hours, shows centred, closes by itself, and only then is logind asked to power
# off. The exit password given while it shows still ends the program.
HOURGATE_EXE=${1:?usage: $0 HOURGATE_EXE}
# shellcheck source=tests/e2e/linux/lib.sh
source "$(dirname "$0")/lib.sh"
{ start_display && start_logind; } || exit 1

# Reads the notice's text in the same poll that finds it shown.
notice_shown() { text=$(icon_text "$(visible_window 警告)") && [ -n "$text" ]; }
# Calls read while the notice still shows afterwards were made while it showed.
closed_before_poweroff() {
    local calls
    calls=$(poweroffs)
    window_gone 警告 || { [ -z "$calls" ] || early=$calls; false; }
}

install_program
start_program "@2026-12-07 15:59:00"
check "a Monday at 15:59 the notice shows" wait_until 20 notice_shown
check "naming the user and the hours" eval '[ "$text" = "$(id -un)さんの使用可能時間は、16時から21時までです" ]'
check "centred on the 1024 x 768 screen" eval 'xdotool getwindowgeometry --shell "$(visible_window 警告)" |
    awk -F= "{v[\$1] = \$2} END {exit !((v[\"X\"] * 2 + v[\"WIDTH\"] - 1024) ^ 2 <= 4 && (v[\"Y\"] * 2 + v[\"HEIGHT\"] - 768) ^ 2 <= 4)}"'
check "it closes by itself" wait_until 20 closed_before_poweroff
check "no power-off was requested while it showed" test -z "${early:-}"
check "then logind gets one PowerOff(false)" wait_until 10 eval '[ "$(poweroffs)" = false ]'
check "usage start goes on to write the record" wait_until 10 test -e "$E2E_APP/guest.txt"
check "the program runs on until the system ends the session" program_running
stop_program

install_program
start_program "@2026-12-07 15:59:00"
wait_until 20 notice_shown
check "while it shows, the tray menu takes the exit password" leave tray LOCK_GATE
check "and the program ends with exit code 0" program_exits_with 0
e2e_finish
