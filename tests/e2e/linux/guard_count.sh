#!/usr/bin/env bash
# shellcheck disable=SC2016 # checks pass code to eval, to expand when it runs
# The guard service counts every user with an active local session by the
# program's rules: a user's minutes only while their session is active, each
# user in the record of their own category, which no user may open; each user
# gets only their own figures; a restarted guard goes on from the records.
HOURGATED_EXE=${1:?usage: $0 HOURGATED_EXE}
# shellcheck source=tests/e2e/linux/lib.sh
source "$(dirname "$0")/lib.sh"
start_logind || exit 1

minutes() { record_minutes "$1" "$GUARD_DIR"; }
not_counted() { [[ $(guard_as "$1" Status) == *Error.NotCounted* ]]; }
mkdir "$GUARD_DIR" && echo nobody >"$GUARD_DIR/Hourgate.ini"
# Left by the program run alone, and a file of someone else's beside it.
install -m 0666 /dev/null "$GUARD_DIR/guest.txt" && chmod 0666 "$GUARD_DIR/Hourgate.ini"
install -o nobody -m 0664 /dev/null "$GUARD_DIR/notes.txt"
modes() { stat -c '%n %U %a' "$GUARD_DIR"/{Hourgate.ini,guest.txt,notes.txt} | sed "s|$GUARD_DIR/||" | xargs; }
# The service manager's notification socket, as systemd gives it (Type=notify).
/usr/bin/python3 -c 'import socket, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM); s.bind(sys.argv[1])
out = open(sys.argv[2], "ab", 0)
while True: out.write(s.recv(64) + b"\n")' "$E2E_TMP/notify" "$E2E_TMP/notified" &
E2E_PIDS+=($!)
wait_until 10 test -S "$E2E_TMP/notify"
NOTIFY_SOCKET=$E2E_TMP/notify WATCHDOG_USEC=2000000 start_guard "@2026-12-07 16:00:00 x60"
check "the guard tells systemd it is ready, then pings its watchdog" \
    wait_until 10 eval '[ "$(sort -u "$E2E_TMP/notified" | xargs)" = "READY=1 WATCHDOG=1" ] &&
        [ "$(head -n1 "$E2E_TMP/notified")" = READY=1 ]'
check "the guard makes its own files its own and leaves any other alone" \
    eval '[ "$(modes)" = "Hourgate.ini root 644 guest.txt root 600 notes.txt nobody 664" ]'
interface() { gdbus introspect --system --dest org.hourgate.Guard1 --object-path /org/hourgate/Guard1 |
    sed -n '/interface org.hourgate.Guard1 {/,/};/p' | xargs; }
check "introspection shows the whole interface, its signals too" eval '[ "$(interface)" = \
    "interface org.hourgate.Guard1 { methods: Status(out as arg_0); Subscribe(); PowerOff(); NoticeClosed(); AdminStatus(out as arg_0); AdminGrant(in s user, in i minutes, out as arg_0); AdminSet(in s user, in i minutes, out as arg_0); AdminReload(out as arg_0); AdminHistory(in s user, in i days, out as arg_0); signals: Notice(s message); StatusChanged(as lines); properties: };" ]'
session_new c1 0 root
check "root's active session: the guests' record counts" wait_until 20 eval '[ "$(minutes guest.txt)" -ge 2 ]'
check "nobody, without a session, is not counted (and gets no one else's figures)" not_counted nobody

# A switch of the seat to nobody, who is on the exemption list.
session_active c1 false
session_new c2 65534 nobody
check "nobody's session counts in a record of its own" wait_until 20 eval '[ "$(minutes nobody.txt)" -ge 1 ]'
paused=$(minutes guest.txt)
wait_until 20 eval '[ "$(minutes nobody.txt)" -ge 4 ]'
check "meanwhile root's inactive session counts nothing" eval '[ "$(minutes guest.txt)" = '"$paused"' ]'
check "nobody gets its own figures" eval 'guard_as nobody Status | grep -q "今日 nobody さんは、"'
check "nobody can neither open nor write a record" eval '! as_user nobody sh -c "cat \"\$0\" || : >>\"\$0\" || : >>\"\$1\"" \
    "$GUARD_DIR/nobody.txt" "$GUARD_DIR/guest.txt" 2>/dev/null'
session_removed c2
check "nobody's session gone: no count kept" wait_until 10 not_counted nobody

session_active c1 true
wait_until 10 eval '[ "$(minutes guest.txt)" -gt '"$paused"' ]'
# logind restarts: the guard reads its sessions again and counts on.
kill "$LOGIND_PID" && wait "$LOGIND_PID" 2>/dev/null
start_mock_logind && session_new c3 0 root
counted=$(minutes guest.txt)
check "after logind restarts the guard counts on" \
    wait_until 20 eval '[ "$(minutes guest.txt)" -gt '"$counted"' ]'
stop_guard
before=$(printf '%06d' "$(minutes guest.txt)")
# At the normal speed: the record written at start is the only one for a minute.
start_guard "@2026-12-07 18:00:00"
check "a guard restarted later that day goes on from the record" \
    wait_until 20 eval '[ "$(record guest.txt "$GUARD_DIR")" = "2026/12/07 18:00 '"$before"'| " ]'
# logind hangs for 3 s on the caller's session: the guard answers others meanwhile.
mock AddMethod org.freedesktop.login1.Manager GetSessionByPID u o \
    "__import__('time').sleep(3); ret = '/'" >/dev/null
(guard_as root PowerOff >/dev/null &)
sleep 0.5
started=$(date +%s%3N) && guard_as root Status >/dev/null && took=$(($(date +%s%3N) - started))
check "a hung logind does not hold the guard: it answers while a request waits (${took} ms)" \
    test "$took" -lt 1500
# The system bus restarts: the guard ends with an error, for systemd to start it again.
stop_bus
check "after losing the system bus the guard exits with an error, saying why" \
    eval 'wait_until 10 eval "! kill -0 $GUARD_PID 2>/dev/null"; wait "$GUARD_PID"; [ $? = 1 ] &&
        grep -q "system bus connection is lost" "$GUARD_DIR/stderr.log"'
e2e_finish
