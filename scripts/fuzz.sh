#!/usr/bin/env bash
# Builds the parsers' fuzz targets (the records, the exemption list, the limits file, the guard's pipe) with clang (libFuzzer, ASan, UBSan) and runs
# each for a few seconds. Usage: scripts/fuzz.sh [SECONDS-PER-TARGET]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds=${1:-5}
out=build/fuzz
mkdir -p "$out"
core=(src/core/UsageRecord.cpp src/os/DataFile_posix.cpp src/core/FormatText.cpp src/core/ExemptionList.cpp
    src/core/UsagePolicy.cpp src/core/ProgramDirectory.cpp src/core/GuardPipe.cpp src/core/Limits.cpp)
for target in FuzzUsageRecord FuzzExemptionList FuzzLimits FuzzGuardPipe; do
    clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -Isrc "tests/fuzz/$target.cpp" "${core[@]}" -o "$out/$target"
    mkdir -p "$out/$target.corpus"
    if ! "$out/$target" -max_total_time="$seconds" -print_final_stats=1 "$out/$target.corpus" \
        >"$out/$target.log" 2>&1; then
        cat "$out/$target.log"
        echo "$target: FAULT FOUND (the input is saved beside build/fuzz/$target)"
        exit 1
    fi
    echo "$target: no finding in ${seconds}s, $(sed -n 's/^stat::number_of_executed_units: *//p' \
        "$out/$target.log") inputs"
done
