#!/usr/bin/env bash
# Measures the Linux program under a private Xvfb with a tray host, in dry-run
# mode: start-up time to the docked tray icon (median of 5 starts), resident
# memory after start, and resident memory and CPU time after one hour of
# program time (libfaketime at sixty times the speed, so the hour takes a minute).
# Usage: scripts/measure-linux.sh
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
scripts/install-deps.sh || exit 1
cmake --preset linux >/dev/null && cmake --build --preset linux --target hourgate >/dev/null || exit 1
HOURGATE_EXE=$PWD/build/linux/hourgate
# shellcheck source=tests/e2e/linux/lib.sh
source tests/e2e/linux/lib.sh

rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$PROGRAM_PID/status"; }
# utime + stime of the program, in milliseconds.
cpu_ms() {
    awk -v hz="$(getconf CLK_TCK)" '{ print int(($14 + $15) * 1000 / hz) }' "/proc/$PROGRAM_PID/stat"
}
now_ms() { date +%s%3N; }

start_display || exit 1
install_program

startups=()
for _ in 1 2 3 4 5; do
    t0=$(now_ms)
    start_program "@2026-12-07 16:00:00" --dry-run
    wait_until 20 tray_icon >/dev/null || { echo "the icon did not dock"; exit 1; }
    startups+=($(($(now_ms) - t0)))
    stop_program
    wait_until 5 eval '! tray_icon' >/dev/null
done
median=$(printf '%s\n' "${startups[@]}" | sort -n | sed -n 3p)

start_program "@2026-12-07 16:00:00 x60" --dry-run
wait_until 20 tray_icon >/dev/null
sleep 1
rss_start=$(rss_kib)
cpu_start=$(cpu_ms)
sleep 60
rss_hour=$(rss_kib)
cpu_hour=$(($(cpu_ms) - cpu_start))
record=$(record guest.txt)
stop_program

echo "start-up to docked tray icon: ${median} ms (median of 5: ${startups[*]} ms)"
echo "resident memory after start:  ${rss_start} KiB"
echo "resident memory after 1 hour: ${rss_hour} KiB"
echo "CPU time over that hour:      ${cpu_hour} ms (user + system)"
echo "record after the hour:        $record"
