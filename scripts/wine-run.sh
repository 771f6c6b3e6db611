#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's private prefix, with the
# Japanese locale so that the ANSI code page is 932. Used by ctest as the
# cross-compiling emulator.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=scripts/wine-env.sh
source "$here/wine-env.sh"
wine_prepare
exec wine "$@"
