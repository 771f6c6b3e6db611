#!/usr/bin/env bash
# Sets up, builds the linux preset and runs Hourgate in dry-run mode: it works as
# usual, but each power-off it would request is only reported on standard error
# ("hourgate: power-off requested (dry run)"). Nothing is ever powered off.
#
# Usage: scripts/run.sh [--demo] [--seconds N] [PROGRAM ARGS...]
#   On a desktop (DISPLAY set) the program runs until you leave it through its
#   tray menu "終了" (password LOCK_GATE; any other answer ends it too, after the
#   dry-run report). Without a desktop the script starts its own virtual display
#   and tray host, runs the program for N seconds (default 10), saves a
#   screenshot to build/run/screenshot.png and stops; with --demo it keeps
#   everything running until Ctrl+C.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

demo=0
seconds=10
args=()
while [ $# -gt 0 ]; do
    case $1 in
    --demo) demo=1 ;;
    --seconds) seconds=${2:?}; shift ;;
    *) args+=("$1") ;;
    esac
    shift
done

scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target hourgate

# A copy of its own, so that its record files stay out of the build tree.
run_dir=build/run
mkdir -p "$run_dir"
cp build/linux/hourgate "$run_dir/hourgate"
echo "program directory: $run_dir (record files appear here)"

if [ -n "${DISPLAY:-}" ]; then
    exec "$run_dir/hourgate" --dry-run "${args[@]}"
fi

# No desktop: a private virtual display with a tray host. Every process started
# here is stopped by its PID when the script ends.
pids=()
tmp=$(mktemp -d)
cleanup() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$tmp/display")"
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$tmp/runtime DBUS_SESSION_BUS_ADDRESS=disabled:
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
trayer --edge top --align right --widthtype pixel --width 120 --height 24 \
    --SetDockType true >"$tmp/trayer.log" 2>&1 &
pids+=($!)
sleep 1
echo "virtual display $DISPLAY with a tray host; starting hourgate --dry-run"
"$run_dir/hourgate" --dry-run "${args[@]}" &
pids+=($!)
sleep 2
import -window root "$run_dir/screenshot.png" && echo "screenshot: $run_dir/screenshot.png"
if [ "$demo" = 1 ]; then
    echo "running on $DISPLAY until Ctrl+C (e.g. DISPLAY=$DISPLAY xdotool, import -window root)"
    wait "${pids[-1]}" || true
else
    sleep "$seconds"
    echo "done after ${seconds}s; the record files:"
    for record in "$run_dir"/*.txt; do
        [ -e "$record" ] && echo "  $record: $(tr '\0' '|' <"$record")"
    done
fi
