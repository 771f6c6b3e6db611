#!/usr/bin/env bash
# Fails when an include under src/ runs against the layers: core/ takes only
# the standard library, os/ only core/, tray/ and guard/ only core/ and os/
# (and the resources), ctl/ only core/ and os/, and tray/, guard/ and ctl/ never
# each other.
# Usage: scripts/check-layers.sh [SRC_DIR]
set -euo pipefail
src=${1:-"$(dirname "${BASH_SOURCE[0]}")/../src"}
status=0
fail() {
    echo "layers: $1" >&2
    status=1
}
while IFS= read -r -d '' file; do
    rel=${file#"$src"/}
    layer=${rel%%/*}
    case $layer in
    core) allowed="core" ;;
    os) allowed="core os" ;;
    tray) allowed="core os tray res" ;;
    ctl) allowed="core os ctl" ;;
    guard) allowed="core os guard res" ;;
    res) continue ;;
    *)
        fail "$rel: not in one of core/, os/, tray/, guard/, ctl/"
        continue
        ;;
    esac
    line=0
    while IFS= read -r text; do
        line=$((line + 1))
        [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*([\"\<])([^\"\>]*) ]] || continue
        target=${BASH_REMATCH[2]}
        if [ "${BASH_REMATCH[1]}" = '<' ]; then
            # The core sees no OS and no framework: only the C++ standard headers.
            [ "$layer" = core ] && [[ ! $target =~ ^[a-z_]+$ ]] &&
                fail "$rel:$line: the core includes <$target>, not a standard C++ header"
            continue
        fi
        folder=${target%%/*}
        [[ " $allowed " == *" $folder "* ]] ||
            fail "$rel:$line: $layer/ may not include \"$target\""
    done <"$file"
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)
exit $status
