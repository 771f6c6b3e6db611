#!/usr/bin/env bash
# Builds the windows preset and runs hourgate.exe under Wine, always with
# --dry-run (power-off requests are only reported on standard error). The exe
# is copied into a run directory, where its data files (Hourgate.ini, the
# record files) live. Without a DISPLAY the test harness's private Xvfb and tray
# host are started and stopped again afterwards.
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
# shellcheck source=tests/e2e/windows/e2e-lib.sh
source tests/e2e/windows/e2e-lib.sh "$run_dir/hourgate.exe"
if [ -z "${DISPLAY:-}" ]; then
    e2e_start_display
    echo "run-windows: private X server on $DISPLAY (e.g. DISPLAY=$DISPLAY import -window root x.png)"
fi
echo "run-windows: $run_dir/hourgate.exe --dry-run $*"
cd "$run_dir"
# In the background, so that a signal reaches the harness's clean-up at once.
wine "$run_dir/hourgate.exe" --dry-run "$@" </dev/null &
e2e_pids=("$!" "${e2e_pids[@]}")
rc=0
wait "${e2e_pids[0]}" || rc=$?
echo "run-windows: exit code $rc"
exit "$rc"
