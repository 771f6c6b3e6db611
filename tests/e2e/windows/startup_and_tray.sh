#!/usr/bin/env bash
# Start-up leaves the frame hidden with its tray icon and writes the record
# beside the exe; the tray icon's left press shows and hides the frame, and
# closing it only hides it.
# shellcheck source=tests/e2e/windows/e2e-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh" "$@"
e2e_at_hour 18 # inside the allowed hours on every day

e2e_start app
e2e_until 60 e2e_has tray=1
check "frame hidden once start-up is over" 0 "$(e2e_state visible)"
# Usage start writes the record after any hour notice and power-off request.
check "guest record beside the exe, 25 bytes" 25 "$(stat -c %s "$e2e_dir/guest.txt")"
check "no power-off request inside the hours" 0 "$(e2e_dry_run_lines)"

WM_TRAYNOTIFY=0x8064 WM_LBUTTONDOWN=0x201 WM_CLOSE=0x10
for shown in 1 0 1; do
    e2e_drive post $WM_TRAYNOTIFY 1 $WM_LBUTTONDOWN
    e2e_until 60 e2e_has visible=$shown
done
e2e_drive post $WM_CLOSE 0 0
e2e_until 60 e2e_has visible=0
check "left presses show, hide, show; close hides; the icon stays" 1 "$(e2e_state tray)"
