#!/usr/bin/env bash
# A user who switches away from their session for a moment every minute and
# straight back is counted the whole time their session was active: the
# seconds in use before each switch are kept, like time before a sleep. The
# clock runs ten times as fast; logind's sessions are the mock's.
HOURGATED_EXE=${1:?usage: $0 HOURGATED_EXE}
# shellcheck source=tests/e2e/linux/lib.sh
source "$(dirname "$0")/lib.sh"
start_logind || exit 1
speed=10
mkdir "$GUARD_DIR" && : >"$GUARD_DIR/Hourgate.ini"
start_guard "@2026-12-07 16:00:00 x$speed"
now() { date +%s.%N; }
calc() { awk "BEGIN { print $* }"; }
session_new c1 0 root
active_since=$(now)
active=0
# Ten program minutes: 55 s in the session, 5 s away, each time.
for _ in $(seq 10); do
    sleep "$(calc "55 / $speed")"
    session_active c1 false
    active=$(calc "$active + $(now) - $active_since")
    sleep "$(calc "5 / $speed")"
    session_active c1 true
    active_since=$(now)
done
session_active c1 false
active=$(calc "$active + $(now) - $active_since")
sleep 1 # the last tick's record
active_minutes=$(calc "$active * $speed / 60")
counted=$(record_minutes guest.txt "$GUARD_DIR")
echo "  active $(printf '%.2f' "$active_minutes") program minutes, counted $counted"
check "counted to within a minute of the time the session was active" \
    awk "BEGIN { exit !($counted >= $active_minutes - 1 && $counted <= $active_minutes) }"
e2e_finish
