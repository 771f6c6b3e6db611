#!/usr/bin/env bash
# What one accounting tick costs the record: the guard counts one guest for
# half an hour of program time (the clock sixty times as fast, a mock logind on
# a private bus) under strace, and the system calls on the record are counted
# per counted minute. Expect one open, one lock, one read, one write and one
# close a minute, and no wait on the lock.
#
# Usage: bench/record_tick.sh [HOURGATED]   (default build/linux/hourgated)
#   BENCH_SECONDS=S   real seconds to trace (default 30, half an hour at x60)
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
HOURGATED_EXE=$(realpath "${1:-$root/build/linux/hourgated}")
command -v strace >/dev/null || { echo "strace is needed: scripts/install-deps.sh installs it" >&2; exit 2; }
# shellcheck source=tests/e2e/linux/lib.sh
source "$root/tests/e2e/linux/lib.sh"
start_logind || exit 1
mkdir "$GUARD_DIR" && : >"$GUARD_DIR/Hourgate.ini"
trace=$E2E_TMP/trace
start_guard "@2026-12-07 16:00:00 x60" || { echo "the guard did not start" >&2; exit 1; }
strace -f -qq -p "$GUARD_PID" -o "$trace" \
    -e trace=openat,flock,pread64,read,pwrite64,write,close,rename,link,clock_nanosleep &
tracer=$!
sleep 1
session_new c1 0 root
sleep "${BENCH_SECONDS:-30}"
kill -INT "$tracer" && wait "$tracer"
minutes=$(record_minutes guest.txt "$GUARD_DIR")
# The descriptors the record was opened on, and every call made on one of them.
awk -v minutes="$minutes" '
    /openat\(.*guest\.txt"/ && !/\.tmp"/ { opens++; if (match($0, /= [0-9]+$/)) fd[substr($0, RSTART + 2)] = 1 }
    /(link|rename)\(.*guest\.txt/ { creates++ }
    /clock_nanosleep/ && /= 0$/ { sleeps++ }
    {
        if (match($0, /(flock|pread64|read|pwrite64|write|close)\([0-9]+/)) {
            call = substr($0, RSTART, RLENGTH); split(call, part, "("); 
            if (part[2] in fd) { n[part[1]]++; if (part[1] == "close") delete fd[part[2]] }
        }
    }
    END {
        printf "counted minutes: %d\n", minutes
        printf "per counted minute: open %.2f, flock %.2f, read %.2f, write %.2f, close %.2f\n",
            opens / minutes, n["flock"] / minutes, (n["pread64"] + n["read"]) / minutes,
            (n["pwrite64"] + n["write"]) / minutes, n["close"] / minutes
        printf "records created whole: %d; waits of any thread (clock_nanosleep): %d\n", creates, sleeps
    }' "$trace"
