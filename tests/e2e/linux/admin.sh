#!/usr/bin/env bash
# shellcheck disable=SC2016,SC2034 # checks pass code (and its variables) to eval, to expand when it runs
# hourgatectl against the guard on the private bus with the mock logind (and
# later a mock polkit): every user's day, a grant, a corrected count, a reload
# that moves a user to another category and sets a log-off, the history, and
# the refusal for anyone who is not an administrator.
HOURGATED_EXE=${1:?usage: $0 HOURGATED_EXE HOURGATECTL_EXE}
HOURGATECTL_EXE=${2:?usage: $0 HOURGATED_EXE HOURGATECTL_EXE}
# shellcheck source=tests/e2e/linux/lib.sh
source "$(dirname "$0")/lib.sh"
start_logind || exit 1
ctl() { "$HOURGATECTL_EXE" "$@"; }
# status_field USER N: field N of the user's row of status --json.
status_field() {
    ctl status --json | python3 -c 'import json, sys
for row in json.load(sys.stdin):
    if row["user"] == sys.argv[1]: print(row[sys.argv[2]])' "$1" "$2"
}

mkdir -p "$GUARD_DIR" && printf 'daemon\n' >"$GUARD_DIR/Hourgate.ini"
session_new a1 0 root
# A Monday at 17:00, inside the guests' hours; an hour of program time a minute.
start_guard "@2026-12-07 17:00:00 x60"
check "status: root, a guest, is being counted" wait_until 10 eval '[[ $(ctl status) == *root*guest*yes* ]]'
check "--json is JSON, with the same figures" eval '[ "$(status_field root counting)" = True ]'
out=$(ctl grant root 30)
check "a grant to a guest says the minutes are shared" eval '[[ $out == *"guest is shared"* ]]'
check "the grant raises today's quota to 180" eval '[ "$(status_field root quota)" = 180 ]'
ctl set root 100 >/dev/null
check "set writes the count to the record" eval '(( $(record_minutes guest.txt "$GUARD_DIR") - 100 <= 1 ))'
check "root's window shows it at once" eval '[[ $(guard_as root Status) == *"1時間 4"* ]]'
ctl reset root >/dev/null
check "reset starts the day again" eval '(( $(record_minutes guest.txt "$GUARD_DIR") <= 1 ))'

out=$(as_user nobody "$HOURGATECTL_EXE" status 2>&1)
rc=$?
check "anyone else is refused, with exit status 1" eval '[ $rc = 1 ] && [[ $out == *administrator* ]]'
check "and the guard logs the attempt" grep -q "status refused to nobody" "$GUARD_DIR/stderr.log"
/usr/bin/python3 -m dbusmock --system --template polkitd >>"$E2E_TMP/polkit.log" 2>&1 &
E2E_PIDS+=($!)
wait_until 20 eval "gdbus call --system --dest org.freedesktop.PolicyKit1 --object-path /org/freedesktop/PolicyKit1/Authority \
    --method org.freedesktop.DBus.Mock.SetAllowed \"['org.hourgate.Guard1.manage']\" &>/dev/null"
check "whom polkit allows org.hourgate.Guard1.manage may" as_user nobody "$HOURGATECTL_EXE" status
check "bad usage: exit status 2" eval 'ctl grant root many 2>/dev/null; [ $? = 2 ]'

# Limits with a bad line: the good ones hold, the bad one is reported by line.
printf '[guest]\nweekday_quota = 60\nwarning = 99999\n' >"$GUARD_DIR/limits.conf"
out=$(ctl reload)
echo "$out" >"$E2E_TMP/reload.txt"
check "reload reports the bad line" eval '[[ $out == *"line 3"* ]]'
check "and the guests' quota is 60 and the grant" eval '[ "$(status_field root quota)" = 90 ]'
guest=$(record_minutes guest.txt "$GUARD_DIR")
printf 'daemon\nroot\n' >"$GUARD_DIR/Hourgate.ini" && ctl reload >/dev/null
check "a reloaded list moves root to its own category at the next tick" \
    wait_until 10 eval '[ "$(status_field root category)" = root ] && [ -s "$GUARD_DIR/root.txt" ]'
sleep 2
check "and the guests' record counts no more" eval '(( $(record_minutes guest.txt "$GUARD_DIR") - guest <= 1 ))'
printf 'action = logoff\n[root]\nweekday_quota = 3\n' >"$GUARD_DIR/limits.conf" && ctl reload >/dev/null
check "time up with action = logoff ends root's session through logind" \
    wait_until 20 eval 'mock GetMethodCalls TerminateSession | grep -q a1'
check "and never powers off" eval '[ -z "$(poweroffs)" ]'

stop_guard
check "the stopped guard wrote today's counts to the history" \
    grep -q '^2026-12-07 [0-9]* root$' "$GUARD_DIR/history.log"
check "with no guard, exit status 1" eval 'ctl status 2>/dev/null; [ $? = 1 ]'
start_guard "@2026-12-07 20:00:00 x60"
check "history lists the day per category" eval '[[ $(ctl history --days 3) == *2026-12-07*guest* ]]'
check "history of a user is that user's category" eval '[[ $(ctl history root) != *guest* ]]'
if [ -n "${ADMIN_SHOW:-}" ]; then
    ctl status; LANG=ja_JP.UTF-8 ctl status; ctl status --json; LANG=ja_JP.UTF-8 ctl grant root 5; ctl history; cat "$E2E_TMP/reload.txt"
fi
e2e_finish
