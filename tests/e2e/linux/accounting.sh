#!/usr/bin/env bash
# Accounting over accelerated time: an hour of use adds one minute to the record
# per minute of clock; a record seeded near the quota gives the warnings, then
# one PowerOff; a user named in Hourgate.ini gets the quota but no hour notice.
HOURGATE_EXE=${1:?usage: $0 HOURGATE_EXE}
source "$(dirname "$0")/lib.sh"

start_display || exit 1
start_logind || exit 1
user=$(id -un)

# Minutes of the day in a record's "HH:MM" field.
record_clock_minutes() { record "$1" | awk '{ split($2, t, ":"); print t[1] * 60 + t[2] }'; }

# watch_notices SECONDS FILE: for SECONDS, notes each new notice as
# "<text>|<PowerOff calls so far>|<record minutes>" and each new PowerOff count.
watch_notices() {
    local deadline=$((SECONDS + $1)) file=$2 seen="" win text count last=0
    : >"$E2E_TMP/notices"
    while [ $SECONDS -lt $deadline ]; do
        win=$(visible_window "警告")
        if [ -n "$win" ] && [ "$win" != "$seen" ]; then
            seen=$win
            text=$(icon_text "$win")
            echo "notice $text|$(poweroff_count)|$(record_minutes "$file")" >>"$E2E_TMP/notices"
        fi
        count=$(poweroff_count)
        if [ "$count" != "$last" ]; then
            last=$count
            echo "poweroff $count|$(record_minutes "$file")" >>"$E2E_TMP/notices"
        fi
        sleep 0.05
    done
}

log "one hour at sixty times the speed"
install_program
mock ClearCalls >/dev/null
start_program "@2026-12-07 16:00:00 x60"
check "the record is written at start" \
    wait_until 10 eval '[ "$(record guest.txt)" = "2026/12/07 16:00 000000| " ]'
drift_ok=true
previous=0
for _ in $(seq 12); do
    sleep 5
    used=$(record_minutes guest.txt)
    clock=$(($(record_clock_minutes guest.txt) - 16 * 60))
    echo "    record: $(record guest.txt)"
    # The record carries the clock of the tick that wrote it: the minutes used
    # must keep up with it, one per minute, and never fall.
    if [ $((clock - used)) -gt 1 ] || [ "$used" -gt "$clock" ] || [ "$used" -lt "$previous" ]; then
        drift_ok=false
    fi
    previous=$used
done
check "the record grows one minute per minute of clock" $drift_ok
check "an hour adds about sixty minutes" eval '[ "$previous" -ge 58 ] && [ "$previous" -le 61 ]'
check "no notice and no PowerOff inside the hours and quota" \
    eval 'window_gone "警告" && [ "$(poweroff_count)" = 0 ]'
check "the program is still running" program_running
stop_program

log "a guest's record seeded two minutes short of the weekday quota"
install_program
mock ClearCalls >/dev/null
seed_record guest.txt "2026/12/07 09:00 000148"
start_program "@2026-12-07 17:00:00 x6"
watch_notices 26 guest.txt
cat "$E2E_TMP/notices" | sed 's/^/    /'
check "the first accounted minute warns of 1 minute left, before any PowerOff" \
    eval 'sed -n 1p "$E2E_TMP/notices" | grep -qx "notice ${user}さん あと 1 分で強制終了します|0|149"'
check "the next warns of 0 minutes, still before the PowerOff" \
    eval 'sed -n 2p "$E2E_TMP/notices" | grep -qx "notice ${user}さん あと 0 分で強制終了します|0|150"'
check "then logind gets the PowerOff" \
    eval 'sed -n 3p "$E2E_TMP/notices" | grep -qx "poweroff 1|150"'
check "no hour notice for a guest inside the hours" eval '! grep -q 使用可能時間 "$E2E_TMP/notices"'
stop_program

log "a listed user at 23:30 reaching the quota"
install_program
mock ClearCalls >/dev/null
printf '%s\n' "$user" >"$E2E_APP/Hourgate.ini"
seed_record "$user.txt" "2026/12/07 20:00 000149"
start_program "@2026-12-07 23:30:00 x6"
watch_notices 16 "$user.txt"
cat "$E2E_TMP/notices" | sed 's/^/    /'
check "no hour notice" eval '! grep -q 使用可能時間 "$E2E_TMP/notices"'
check "the quota warning shows 0 minutes left" \
    eval 'sed -n 1p "$E2E_TMP/notices" | grep -qx "notice ${user}さん あと 0 分で強制終了します|0|150"'
check "then logind gets the PowerOff" eval 'sed -n 2p "$E2E_TMP/notices" | grep -qx "poweroff 1|150"'
check "the minutes are counted under the user's own record" eval '[ ! -e "$E2E_APP/guest.txt" ]'
stop_program
e2e_finish
