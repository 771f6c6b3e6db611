#!/usr/bin/env bash
# The style gates CI runs before the tests: every C++ file as clang-format wants
# it, every shell script clean under shellcheck.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
git ls-files 'scripts/*.sh' 'tests/*.sh' 'bench/*.sh' | xargs shellcheck -x
echo "style: clang-format and shellcheck clean"
