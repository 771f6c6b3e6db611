#!/usr/bin/env bash
# The usage tick with real timers: the first tick (30 s) accounts nothing, the
# second (60 s) adds a minute, rewrites the record and, near the quota, shows the
# warning with the minutes left; reaching the quota requests the power-off.
# Two copies run side by side (one near the quota, one one minute short of it)
# so that both cases share the same minute of waiting.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh" "$@"
e2e_start_display
export TZ
TZ=$(tz_for 12)  # noon: far from midnight, which would start a new day's count

near=$(e2e_new_dir near)
e2e_exempt_user "$near"
user=$(e2e_user "$near")
today=$(e2e_drive "$near" today)
date=$(sed -n 's/^date=//p' <<<"$today")
weekday=$(sed -n 's/^weekday=//p' <<<"$today")
quota=150
{ [ "$weekday" = 0 ] || [ "$weekday" = 6 ]; } && quota=270
last=$(e2e_new_dir last)
cp "$near/Hourgate.ini" "$last/"

# seed DIR MINUTES: today's record of the listed user, written at 09:00.
seed() { printf '%s 09:00 %06d\0 ' "$date" "$2" >"$1/$user.txt"; }
minutes_in() { head -c 23 "$1/$user.txt" | awk '{print $3 + 0}'; }
seed "$near" $((quota - 14))
seed "$last" $((quota - 1))

e2e_start "$near"
near_pid=$e2e_last_pid
e2e_start "$last"
for dir in "$near" "$last"; do e2e_drive "$dir" wait-frame 20000 -- wait-tray 10000 >/dev/null; done
check "start-up carries today's minutes over" $((quota - 14)) "$(minutes_in "$near")"

sleep 40
check "the first tick accounts nothing" $((quota - 14)) "$(minutes_in "$near")"
check "no warning before a minute is accounted" 0 "$(e2e_dry_run_lines "$last")"

e2e_drive "$last" wait-warning 60000 >"$e2e_work/last.notice" &
last_driver=$!
near_notice=$(e2e_drive "$near" wait-warning 60000)
wait "$last_driver"
check "warning with 13 minutes left" "message=${user}さん あと 13 分で強制終了します" \
    "$(grep '^message=' <<<"$near_notice")"
check "warning with 0 minutes left" "message=${user}さん あと 0 分で強制終了します" \
    "$(grep '^message=' "$e2e_work/last.notice")"
check "the record follows the counter" $((quota - 13)) "$(minutes_in "$near")"
check "the record keeps today's date" "$date" "$(head -c 10 "$near/$user.txt")"

e2e_drive "$near" wait-no-warning 6000 >/dev/null
e2e_drive "$last" wait-no-warning 6000 >/dev/null
sleep 0.5
check "13 minutes left: no power-off request" 0 "$(e2e_dry_run_lines "$near")"
check "quota used up: power-off requested" 1 "$(e2e_dry_run_lines "$last")"
check "the program carries on after the request" yes \
    "$(kill -0 "$near_pid" 2>/dev/null && echo yes || echo no)"
e2e_finish
