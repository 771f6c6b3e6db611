#!/usr/bin/env bash
# Both exit commands ask for the password: only OK with exactly LOCK_GATE ends the
# program quietly; anything else requests the power-off, then ends it.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh" "$@"
e2e_start_display

ID_TRAY_EXIT=32771
ID_APP_EXIT=57665
# name | command | typed text | button | power-off lines expected
cases=(
    "right password, tray menu|$ID_TRAY_EXIT|LOCK_GATE|ok|0"
    "right password, File menu|$ID_APP_EXIT|LOCK_GATE|ok|0"
    "other letter case|$ID_TRAY_EXIT|lock_gate|ok|1"
    "trailing blank|$ID_APP_EXIT|LOCK_GATE |ok|1"
    "empty box|$ID_TRAY_EXIT||ok|1"
    "Cancel, even with the right text typed|$ID_APP_EXIT|LOCK_GATE|cancel|1"
)
n=0
for row in "${cases[@]}"; do
    IFS='|' read -r name command typed button lines <<<"$row"
    n=$((n + 1))
    dir=$(e2e_new_dir "case$n")
    e2e_exempt_user "$dir"
    e2e_start "$dir"
    pid=$e2e_last_pid
    e2e_drive "$dir" wait-frame 20000 -- wait-tray 10000 -- wait-visible 0 5000 \
        -- command "$command" >/dev/null
    e2e_drive "$dir" answer-password "$typed" "$button" 5000 >/dev/null
    e2e_wait_exit "$pid" 15
    check "$name: program ends with 0" 0 "$e2e_exit"
    check "$name: power-off requests" "$lines" "$(e2e_dry_run_lines "$dir")"
done
e2e_finish
