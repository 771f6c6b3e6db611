#!/usr/bin/env bash
# Builds the windows preset and runs hourgate.exe under Wine, always with
# --dry-run (power-off requests are only reported on standard error). The exe
# is copied into a run directory, where its data files (Hourgate.ini, the
# record files) live. Without a DISPLAY a private Xvfb and tray host are started
# and stopped again afterwards.
#
#   scripts/run-windows.sh [ARGS...]      e.g. TZ=JST-9 scripts/run-windows.sh
#   HOURGATE_RUN_DIR=DIR                  run directory (default build/windows-run)
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
cmake --preset windows >/dev/null
cmake --build --preset windows --target hourgate >/dev/null

run_dir=${HOURGATE_RUN_DIR:-$repo/build/windows-run}
mkdir -p "$run_dir"
cp build/windows/hourgate.exe "$run_dir/"
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh 2>/dev/null
wine_prepare 2>/dev/null
# Debian's Wine does not look into /usr/share/wine/fonts; without Marlett in the
# prefix the caption buttons of every window show letters instead of symbols.
if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -f "${display_file:-}"
}
trap cleanup EXIT
trap 'exit 143' INT TERM  # so that the clean-up runs on a signal too
if [ -z "${DISPLAY:-}" ]; then
    display_file=$(mktemp)
    Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$display_file" >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.05; done
    export DISPLAY=":$(tr -d '\n' <"$display_file")"
    trayer --edge top --align right --widthtype pixel --width 120 --height 24 \
        --SetDockType true >/dev/null 2>&1 &
    pids+=($!)
    echo "run-windows: private X server on $DISPLAY (e.g. DISPLAY=$DISPLAY import -window root x.png)"
fi
echo "run-windows: $run_dir/hourgate.exe --dry-run $*"
cd "$run_dir"
# In the background, so that a signal reaches our clean-up at once.
wine "$run_dir/hourgate.exe" --dry-run "$@" </dev/null &
pids=("$!" "${pids[@]}")
rc=0
wait "${pids[0]}" || rc=$?
echo "run-windows: exit code $rc"
exit "$rc"
