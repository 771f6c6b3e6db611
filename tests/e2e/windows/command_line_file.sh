#!/usr/bin/env bash
# A document named on the command line that cannot be opened ends start-up
# with exit code 1, before usage start writes any record.
# shellcheck source=tests/e2e/windows/e2e-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh" "$@"
e2e_start missing 'Z:\no\such\file.txt'
e2e_wait_exit
check "exit code" 1 "$e2e_exit"
check "no record written" "" "$(find "$e2e_dir" -name '*.txt' ! -name 'std*.txt')"
