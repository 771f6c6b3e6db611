#!/usr/bin/env bash
# A document named on the command line that cannot be opened ends start-up
# with exit code 1, before usage start writes any record. --help answers on
# standard output with exit code 0, a wrong switch with the usage on standard
# error and exit code 2; neither starts the program.
# shellcheck source=tests/e2e/windows/e2e-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh" "$@"
no_record() { find "$e2e_dir" -name '*.txt' ! -name 'std*.txt'; }
e2e_start missing 'Z:\no\such\file.txt'
e2e_wait_exit
check "exit code" 1 "$e2e_exit"
check "no record written" "" "$(no_record)"
for answer in help:0:stdout bogus:2:stderr; do
    IFS=: read -r switch code stream <<<"$answer"
    e2e_start "$switch" "--$switch" && e2e_wait_exit
    check "--$switch: exit code, the usage on $stream, no record" "$code usage: hourgate " \
        "$e2e_exit $(grep -o '^usage: hourgate' "$e2e_dir/$stream.txt") $(no_record)"
done
