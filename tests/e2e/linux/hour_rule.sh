#!/usr/bin/env bash
# The hour rule at start-up: a guest outside the allowed hours sees the notice
# naming them, which closes itself after 3 seconds (or at once with Enter or
# Escape), and then logind gets one PowerOff; inside the hours, and for a user
# named in Hourgate.ini at any hour, nothing happens.
HOURGATE_EXE=${1:?usage: $0 HOURGATE_EXE}
source "$(dirname "$0")/lib.sh"

start_display || exit 1
start_logind || exit 1
user=$(id -un)
weekday="${user}さんの使用可能時間は、16時から21時までです"
weekend="${user}さんの使用可能時間は、8時から21時までです"

now() { date +%s.%N; }
elapsed_between() { awk -v a="$1" -v b="$2" -v lo="$3" -v hi="$4" 'BEGIN { d = b - a; exit !(d >= lo && d <= hi) }'; }

# clock (real speed)   Hourgate.ini  notice  closed by  record file
cases=(
    "2026-12-07_15:59:00 -     weekday  timer  guest.txt"
    "2026-12-07_16:00:00 -     -        -      guest.txt"
    "2026-12-07_20:59:00 -     -        -      guest.txt"
    "2026-12-07_21:00:00 -     weekday  Return guest.txt"
    "2026-12-12_07:59:00 -     weekend  Escape guest.txt"
    "2026-12-13_08:00:00 -     -        -      guest.txt"
    "2026-12-07_23:30:00 ROOT  -        -      USER.txt"
)

for row in "${cases[@]}"; do
    read -r clock listed notice closer file <<<"$row"
    clock=${clock/_/ }
    file=${file/USER/$user}
    log "start at $clock ($(TZ=$TZ date -d "$clock" +%A)), listed: $listed, notice: $notice"
    install_program
    [ "$listed" = - ] || printf 'someone\n%s\n' "${listed/ROOT/${user^^}}" >"$E2E_APP/Hourgate.ini"
    mock ClearCalls >/dev/null
    start_program "@$clock"

    if [ "$notice" = - ]; then
        check "the record $file is written at start" \
            wait_until 10 eval '[[ "$(record "$file")" == "${clock:0:4}/${clock:5:2}/${clock:8:2} ${clock:11:5} 000000| " ]]'
        sleep 2
        check "no notice" window_gone "警告"
        check "no PowerOff" eval '[ "$(poweroff_count)" = 0 ]'
    else
        want=${!notice}
        check "the notice appears" wait_until 10 window_shown "警告"
        shown_at=$(now)
        win=$(visible_window "警告")
        check "it names the user and the allowed hours" eval '[ "$(icon_text "$win")" = "$want" ]'
        check "no PowerOff while it shows" eval '[ "$(poweroff_count)" = 0 ]'
        [ "$closer" = timer ] && screenshot linux-notice
        if [ "$closer" = timer ]; then
            check "it closes by itself" wait_until 8 window_gone "警告"
            check "after about 3 seconds" elapsed_between "$shown_at" "$(now)" 2.5 4.5
        else
            xdotool key "$closer"
            check "$closer closes it at once" wait_until 1 window_gone "警告"
        fi
        check "then logind gets one PowerOff" wait_until 3 eval '[ "$(poweroff_count)" = 1 ]'
        check "and usage start goes on to write the record" \
            wait_until 3 eval '[[ "$(record "$file")" == "${clock:0:4}/${clock:5:2}/${clock:8:2} ${clock:11:5} 000000| " ]]'
        check "the program keeps running until the system ends the logon" program_running
    fi
    [ "$file" = guest.txt ] || check "no guest record for a listed user" eval '[ ! -e "$E2E_APP/guest.txt" ]'
    stop_program
done
e2e_finish
