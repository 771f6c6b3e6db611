#!/usr/bin/env bash
# Measures the Windows build: size of the stripped exe, time from process
# creation to the tray icon under Wine, and the private memory after start.
# Rerunnable; prints a small table. Uses the end-to-end test set-up (own Xvfb,
# tray host, Wine prefix) and the test driver.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
cmake --preset windows >/dev/null
cmake --build --preset windows --target hourgate hg_driver >/dev/null
exe=build/windows/hourgate.exe
driver=build/windows/tests/e2e/windows/hg_driver.exe
# shellcheck source=tests/e2e/windows/e2e-lib.sh
source tests/e2e/windows/e2e-lib.sh "$exe" "$driver"

stripped="$e2e_work/hourgate-stripped.exe"
x86_64-w64-mingw32-strip -o "$stripped" "$exe"
echo "exe size, unstripped:        $(stat -c %s "$exe") bytes"
echo "exe size, stripped:          $(stat -c %s "$stripped") bytes"

e2e_start_display
runs=${MEASURE_RUNS:-5}
for i in $(seq "$runs"); do
    dir=$(e2e_new_dir "run$i")
    e2e_exempt_user "$dir"  # no hour notice in the way
    kib() { echo $(($(sed -n "s/^$1=//p" <<<"$out") / 1024)); }
    out=$(e2e_drive "$dir" launch 30000 -- sleep 2000 -- memory -- terminate)
    echo "run $i: start-up to tray icon $(sed -n 's/^startup_to_tray_ms=//p' <<<"$out") ms," \
        "committed private memory $(kib committed_private_bytes) KiB" \
        "(PrivateUsage $(kib private_usage_bytes), PagefileUsage $(kib pagefile_usage_bytes)," \
        "working set $(kib working_set_bytes) KiB)"
done
