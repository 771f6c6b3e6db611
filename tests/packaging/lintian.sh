#!/usr/bin/env bash
# Builds the .deb from a build tree, as `cpack` does, into a directory of its
# own and has lintian check it: an error or a warning fails, and so does an
# override that nothing needs any more.
BUILD_DIR=${1:?usage: $0 BUILD_DIR}
command -v lintian >/dev/null || { echo "skipped: lintian is not installed"; exit 77; }
out=$(mktemp -d "${TMPDIR:-/tmp}/hourgate-deb.XXXXXX") || exit 1
trap 'rm -rf "$out"' EXIT
cpack --config "$BUILD_DIR/CPackConfig.cmake" -B "$out" >/dev/null || exit 1
lintian --fail-on error,warning --info "$out"/*.deb
status=$?
unused=$(lintian -I --fail-on none "$out"/*.deb 2>&1 | grep -c 'unused-override')
[ "$unused" = 0 ] || { echo "unused overrides: $unused"; exit 1; }
exit $status
