#!/usr/bin/env bash
# Both exit commands ask for the password: the right one ends the program
# quietly; a wrong one, or Cancel, requests the power-off first. Either way the
# program ends with 0.
# shellcheck source=tests/e2e/windows/e2e-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh" "$@"
e2e_at_hour 18

WM_COMMAND=0x111 IDOK=1 IDCANCEL=2
# case | command (ID_TRAY_EXIT, ID_APP_EXIT) | typed | button | power-off requests
cases=("right password|32771|LOCK_GATE|$IDOK|0" "wrong password|57665|lock_gate|$IDOK|1"
    "Cancel|32771|LOCK_GATE|$IDCANCEL|1")
for row in "${cases[@]}"; do
    IFS='|' read -r name command typed button requests <<<"$row"
    e2e_start "$name"
    e2e_until 60 e2e_has tray=1
    e2e_drive post $WM_COMMAND "$command" 0
    e2e_until 60 e2e_drive answer "$typed" "$button"
    e2e_wait_exit
    check "$name: exit code" 0 "$e2e_exit"
    check "$name: power-off requests" "$requests" "$(e2e_dry_run_lines)"
done
