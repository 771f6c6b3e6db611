#!/usr/bin/env bash
# Sets up and runs every test: the presets linux, linux-asan and windows (the
# Windows build's tests run under Wine), then, for a full run, the parsers' fuzz
# targets. Usage: scripts/test.sh [preset...]
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
scripts/install-deps.sh || exit 1

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(linux linux-asan windows)
failed=()
for preset in "${presets[@]}"; do
    echo "=== $preset ==="
    if ! cmake --preset "$preset" >/dev/null || ! cmake --build --preset "$preset"; then
        failed+=("$preset (build)")
        continue
    fi
    if [ "$preset" = windows ]; then
        # shellcheck source=scripts/wine-env.sh
        source scripts/wine-env.sh
        wine_warm
        ctest --preset "$preset" --timeout 300 || failed+=("$preset")
        wine_stop
    else
        ctest --preset "$preset" --timeout 300 || failed+=("$preset")
    fi
done
# The parsers' fuzz targets, a few seconds each, with every full run.
if [ $# -eq 0 ]; then
    echo "=== fuzz ==="
    scripts/fuzz.sh 5 || failed+=(fuzz)
fi
if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "all presets passed: ${presets[*]}"
