#!/usr/bin/env bash
# The layers check passes on the tree as it is and fails on each kind of
# include that runs against the layers, planted one at a time in a copy.
set -uo pipefail
root="$(dirname "${BASH_SOURCE[0]}")/../.."
check="$root/scripts/check-layers.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
total=0
verdict() { # verdict DESCRIPTION EXPECTED_STATUS ACTUAL_STATUS
    total=$((total + 1))
    if [ "$2" = "$3" ]; then echo "ok   - $1"; else echo "FAIL - $1" && failures=$((failures + 1)); fi
}

"$check" "$root/src" 2>/dev/null
verdict "the tree as it is keeps the layers" 0 $?

# file to plant in | the line planted
while IFS='|' read -r file line; do
    rm -rf "$work/src" && cp -r "$root/src" "$work/src"
    mkdir -p "$(dirname "$work/src/$file")"
    printf '%s\n' "$line" >>"$work/src/$file"
    "$check" "$work/src" 2>/dev/null
    verdict "refused: $line in $file" 1 $?
done <<'PLANTS'
core/HourgateView.cpp|#include "os/System_posix.h"
core/HourgateView.h|#include <windows.h>
os/DataFile_posix.cpp|#include "tray/MainFrame_qt.h"
tray/MainFrame_qt.cpp|#include "guard/GuardService_qt.h"
guard/GuardService_qt.cpp|#include "tray/GuardClient_qt.h"
app/Stray.cpp|#include "core/Platform.h"
PLANTS
echo "$((total - failures)) passed, $failures failed"
((failures == 0))
