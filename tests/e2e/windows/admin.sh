#!/usr/bin/env bash
# hourgatectl.exe against the guard run by hand, with a tray program whose user
# the guard counts: every user's day (a table and JSON), a grant, a corrected
# and a reset count, a reload of limits.conf, the history the guard writes when
# it stops, and the exit statuses without a guard and for bad usage. Wine's one
# user is an administrator, so that the refusal of anyone else (event ID 3) is
# not shown here.
# Usage: admin.sh HOURGATE_EXE DRIVER_EXE HOURGATED_EXE HOURGATECTL_EXE
# shellcheck source=tests/e2e/windows/e2e-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh" "$@"
e2e_at_hour 18
ctl_exe=$(realpath "$4")
# ctl ARGS...: sets ctl_rc, and ctl_out and ctl_err as UTF-8 (JSON is UTF-8 already).
ctl() {
    ctl_rc=0
    wine "$ctl_exe" "$@" >"$e2e_work/ctl-out.txt" 2>"$e2e_work/ctl-err.txt" </dev/null || ctl_rc=$?
    ctl_out=$(if [ "${*: -1}" = --json ]; then cat; else iconv -f CP932 -t UTF-8; fi \
        <"$e2e_work/ctl-out.txt" | tr -d '\r')
    ctl_err=$(iconv -f CP932 -t UTF-8 "$e2e_work/ctl-err.txt" | tr -d '\r')
}
# The user's row of `status --json` as "category used quota counting".
standing() {
    ctl status --json
    python3 -c 'import json, sys
for row in json.loads(sys.argv[1]):
    if row["user"] == sys.argv[2]: print(row["category"], row["used"], row["quota"], row["counting"])' \
        "$ctl_out" "$user"
}
quota() { standing | cut -d' ' -f3; }
# The record as text, its NUL shown as @ and the time of day as HH:MM.
record() { tr '\0' '@' <"$e2e_guard_dir/guest.txt" | sed -E 's/ [0-9]{2}:[0-9]{2} / HH:MM /'; }
info() { sed 's/^/info: /'; }
today=$(date +%Y/%m/%d)

e2e_start_guard guard
e2e_start tray
e2e_until 60 e2e_has tray=1
user=$(e2e_state user)
e2e_until 30 e2e_has_figures

ctl status
info <<<"$ctl_out"
check "status: a table row for the tray program's user, a guest being counted" "0 $user guest はい" \
    "$ctl_rc $(awk -v u="$user" '$1 == u { print $1, $2, $7 }' <<<"$ctl_out")"
check "status --json: the same row" "guest 0 $(quota) True" "$(standing)"
before=$(quota)

ctl grant "$user" 30
check "grant: done, the guest category's grant today" "0 $today 30 guest" \
    "$ctl_rc $(tr -d '\r' <"$e2e_guard_dir/grants.dat")"
check "grant: the quota grows by the minutes given" $((before + 30)) "$(quota)"
check "grant: the guard logs it" 1 \
    "$(e2e_guard_log | grep -c "administrator gave 30 minutes today to $user (guest)")"

# A usage tick may count a minute between the request and the look at the
# record: one minute more is taken as the count set.
ctl set "$user" 42
check "set: the record holds the corrected count" "0 $today HH:MM 000042@ " \
    "$ctl_rc $(record | sed 's/000043@/000042@/')"
ctl reset "$user"
check "reset: the record holds no minutes" "0 $today HH:MM 000000@ " \
    "$ctl_rc $(record | sed 's/000001@/000000@/')"

printf '[guest]\r\nweekday_quota = 200\r\nweekend_quota = 200\r\n' >"$e2e_guard_dir/limits.conf"
ctl reload
check "reload: done, the quota is limits.conf's and the grant" "0 230" "$ctl_rc $(quota)"

# A stop (Ctrl+C by hand, as the service manager's stop) writes today's counts.
kill -INT "$e2e_guard_pid"
guard_ended() { ! kill -0 "$e2e_guard_pid" 2>/dev/null; }
e2e_until 30 guard_ended
check "the stop writes today's line to the history" "1" \
    "$(grep -cE "^${today//\//-} [0-9]+ guest\$" "$e2e_guard_dir/history.log")"
ctl status
check "no guard: exit status 1, and why" \
    '1 hourgatectl: ガードサービス (hourgated) が動いていません (no pipe \\.\pipe\hourgate-guard)' \
    "$ctl_rc $ctl_err"
# Yesterday's line of a listed user's category, as the guard writes it: in code page 932.
yesterday=$(date -d yesterday +%F)
printf '%s 15 %s\n' "$yesterday" "$(printf 太郎 | iconv -t CP932)" >>"$e2e_guard_dir/history.log"
e2e_start_guard guard
ctl history "$user"
info <<<"$ctl_out"
check "history USER: today's line of the user's category only" "0 ${today//\//-} guest" \
    "$ctl_rc $(awk 'NR > 1 { print $1, $3 }' <<<"$ctl_out")"
ctl history --json
check "history --json: every category, the names in UTF-8" \
    "$yesterday 15 太郎|$(grep "^${today//\//-} " "$e2e_guard_dir/history.log")" \
    "$(python3 -c 'import json, sys
print("|".join("%s %s %s" % (r["date"], r["minutes"], r["category"]) for r in json.loads(sys.argv[1])))' \
        "$ctl_out")"

ctl grant "$user"
check "bad usage: exit status 2, and the usage" "2 hourgatectl: grant: wrong number of arguments" \
    "$ctl_rc $(head -1 <<<"$ctl_err")"
