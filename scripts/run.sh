#!/usr/bin/env bash
# Sets up, builds the linux preset and runs Hourgate in dry-run mode: it works as
# usual, but each power-off it would request is only reported on standard error
# ("hourgate: power-off requested (dry run)"). Nothing is ever powered off.
#
# Usage: scripts/run.sh [--guarded] [--demo] [--seconds N] [PROGRAM ARGS...]
#   On a desktop (DISPLAY set) the program runs until you leave it through its
#   tray menu "終了" (password LOCK_GATE; any other answer ends it too, after the
#   dry-run report). Without a desktop the script starts its own virtual display
#   and tray host, runs the program for N seconds (default 10), saves a
#   screenshot to build/run/screenshot.png and stops; with --demo it keeps
#   everything running until Ctrl+C. With --guarded the guard service runs too
#   (also in dry-run mode), on a private system bus with a mock logind that
#   reports one active session of yours: the tray program shows the guard's
#   figures and the guard keeps the records, in build/run/guard.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

demo=0
guarded=0
seconds=10
args=()
while [ $# -gt 0 ]; do
    case $1 in
    --demo) demo=1 ;;
    --guarded) guarded=1 ;;
    --seconds) seconds=${2:?}; shift ;;
    *) args+=("$1") ;;
    esac
    shift
done

scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target hourgate hourgated

# A copy of its own, so that its record files stay out of the build tree.
run_dir=build/run
mkdir -p "$run_dir"
cp build/linux/hourgate build/linux/hourgate-print.so "$run_dir/"
echo "program directory: $run_dir (record files appear here)"

if [ -n "${DISPLAY:-}" ] && [ "$guarded" = 0 ]; then
    exec "$run_dir/hourgate" --dry-run "${args[@]}"
fi

# No desktop: the end-to-end tests' harness starts a private virtual display
# with a tray host and stops every process it started by its PID when the
# script ends. The program keeps the machine's time zone and writes its
# standard error here.
tz=${TZ-}
HOURGATE_EXE=$PWD/build/linux/hourgate
# shellcheck source=tests/e2e/linux/lib.sh
source tests/e2e/linux/lib.sh
if [ -n "$tz" ]; then TZ=$tz; else unset TZ; fi
E2E_APP=$PWD/$run_dir
E2E_STDERR=/dev/stderr
records=$E2E_APP
if [ "$guarded" = 1 ]; then
    HOURGATED_EXE=$PWD/build/linux/hourgated GUARD_DIR=$PWD/$run_dir/guard records=$GUARD_DIR
    if ! start_logind || ! start_guard "" --dry-run; then echo "could not start the guard"; exit 1; fi
    session_new c1 "$(id -u)" "$(id -un)" || { echo "the mock logind took no session"; exit 1; }
    echo "guard running in dry-run mode; records and its log in $GUARD_DIR"
    if [ -n "${DISPLAY:-}" ]; then
        (cd "$E2E_APP" && ./hourgate --dry-run "${args[@]}") || true
        exit 0
    fi
fi
start_display || { echo "could not start Xvfb with trayer"; exit 1; }
echo "virtual display $DISPLAY with a tray host; starting hourgate --dry-run"
start_program "" --dry-run "${args[@]}"
wait_until 30 tray_icon >/dev/null || { echo "the tray icon did not appear"; exit 1; }
# Usage start ends by writing the record (after the notice, outside the hours);
# then the window is shown, so that the screenshot has Japanese text beside
# the icon.
# shellcheck disable=SC2016 # expanded by eval, at each poll
wait_until 30 eval '[ -n "$(find "$records" -name "*.txt" -newer "$E2E_APP/hourgate")" ]' ||
    echo "no record written yet"
click_tray 1
wait_until 10 window_shown hourgate || echo "the window did not show"
import -window root "$run_dir/screenshot.png" && echo "screenshot: $run_dir/screenshot.png"
if [ "$demo" = 1 ]; then
    echo "running on $DISPLAY until Ctrl+C (e.g. DISPLAY=$DISPLAY xdotool, import -window root)"
    wait "$PROGRAM_PID" || true
else
    # The run's length is the point here, not a wait for something.
    sleep "$seconds"
    echo "done after ${seconds}s; the record files:"
    for record in "$records"/*.txt; do
        [ -e "$record" ] && echo "  $record: $(tr '\0' '|' <"$record")"
    done
fi
