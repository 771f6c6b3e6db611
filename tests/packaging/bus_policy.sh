#!/usr/bin/env bash
# shellcheck disable=SC2016 # checks pass code to eval, to expand when it runs
# The guard's bus policy on a real dbus-daemon with the system bus's default
# rules, a stand-in for the guard (dbusmock, run as root) owning its name:
# another user may call the tray program's three methods and hear the guard's
# signals, but may neither take the name nor call anything else.
POLICY=${1:?usage: $0 POLICY_FILE}
[ "$(id -u)" = 0 ] || { echo "skipped: acting as another user needs root"; exit 77; }
# shellcheck source=tests/e2e/linux/lib.sh
source "$(dirname "$0")/../e2e/linux/lib.sh"
# The other user must reach the bus's socket.
chmod 0755 "$E2E_TMP" && mkdir "$E2E_TMP/policy.d" && cp "$POLICY" "$E2E_TMP/policy.d/" &&
    cp "$(dirname "$0")/system-bus.conf" "$E2E_TMP/" || exit 1
dbus-daemon --config-file="$E2E_TMP/system-bus.conf" --address="unix:path=$E2E_TMP/bus" \
    --nofork --print-address=3 3>"$E2E_TMP/address" 2>/dev/null &
E2E_PIDS+=($!)
wait_until 20 test -s "$E2E_TMP/address" || exit 1
export DBUS_SYSTEM_BUS_ADDRESS; DBUS_SYSTEM_BUS_ADDRESS=$(head -n1 "$E2E_TMP/address")
/usr/bin/python3 -m dbusmock --system org.hourgate.Guard1 /org/hourgate/Guard1 org.hourgate.Guard1 &>/dev/null &
E2E_PIDS+=($!)

as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }
# guard [nobody] METHOD ARG...: a call to the stand-in, its reply or error on stdout.
guard() {
    local who=(); [ "$1" != nobody ] || { who=(as_nobody); shift; }
    "${who[@]}" gdbus call --address "$DBUS_SYSTEM_BUS_ADDRESS" --dest org.hourgate.Guard1 \
        --object-path /org/hourgate/Guard1 --method "$@" 2>&1
}
# (Matched in the shell: with pipefail, a failed call would fail a grep pipeline.)
answers() { [[ $(guard "${@:2}") == *"$1"* ]]; }
take_name() {
    as_nobody gdbus call --address "$DBUS_SYSTEM_BUS_ADDRESS" --dest org.freedesktop.DBus \
        --object-path /org/freedesktop/DBus --method org.freedesktop.DBus.RequestName org.hourgate.Guard1 4 2>&1
}
heard() {
    guard org.freedesktop.DBus.Mock.EmitSignal org.hourgate.Guard1 Notice s '[<"hello">]' >/dev/null &&
        grep -q "Notice ('hello',)" "$E2E_TMP/signals"
}
wait_until 20 guard org.freedesktop.DBus.Mock.AddMethod org.hourgate.Guard1 Status '' as 'ret = ["a", "b"]' >/dev/null

echo "another user (nobody)"
check "calls Status" answers "(['a', 'b'],)" nobody org.hourgate.Guard1.Status
check "pings the guard" guard nobody org.freedesktop.DBus.Peer.Ping
check "may not call another method of the interface" answers AccessDenied nobody org.hourgate.Guard1.Reset
check "may not call another interface" answers AccessDenied nobody org.freedesktop.DBus.Mock.ClearCalls
check "may not take the name" eval '[[ $(take_name) == *AccessDenied* ]]'
setpriv --reuid=nobody --regid=nogroup --clear-groups \
    gdbus monitor --address "$DBUS_SYSTEM_BUS_ADDRESS" --dest org.hourgate.Guard1 >"$E2E_TMP/signals" 2>&1 &
E2E_PIDS+=($!)
check "hears the guard's signals" wait_until 10 heard
echo "root"
check "reaches any method (the guard answers, not the bus)" answers UnknownMethod org.hourgate.Guard1.Reset
e2e_finish
