#!/usr/bin/env bash
# Guarded mode with the guard run by hand: the tray program finds the guard,
# shows its figures and writes nothing; ended by force it loses only the
# display, the guard counts on; a wrong password at 終了 in a dry run never
# reaches the guard (a guard that runs for real would power off): the tray
# program reports its own dry-run line and closes. A tray program that started
# before the guard becomes its face once the guard appears.
# shellcheck source=tests/e2e/windows/e2e-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh" "$@"
e2e_at_hour 18 # inside the allowed hours on every day
files() { find "$1" -type f ! -name '*.exe' ! -name '*std*.txt' -printf '%f '; }
guard_dry_runs() { e2e_guard_log | grep -c '^hourgate: power-off requested (dry run)' || true; }

e2e_start_guard guard
e2e_start tray
e2e_until 60 e2e_has tray=1
user=$(e2e_state user)
e2e_until 30 e2e_has_figures
check "the window shows the guard's figures for its user" \
    "今日 ${user} さんは、0時間 00分使用しました" "$(e2e_state figures | sed 's| / .*||')"
check "the guard counts the tray program's user" 1 "$(e2e_guard_log | grep -c "^hourgated: $user: session active, count started")"
check "the guard keeps the record; the tray program writes no file" "guest.txt | " \
    "$(files "$e2e_guard_dir")| $(files "$e2e_dir")"

# Ended as Task Manager or taskkill would end it: the count goes on.
kill "$e2e_pid" && e2e_wait_exit
e2e_start tray-again
e2e_until 60 e2e_has tray=1
WM_COMMAND=0x111 ID_TRAY_EXIT=32771 IDOK=1
e2e_drive post $WM_COMMAND $ID_TRAY_EXIT 0
e2e_until 60 e2e_drive answer wrong $IDOK
e2e_wait_exit
check "wrong password: the program closes" 0 "$e2e_exit"
# The guard runs in dry run too, so a request that reached it shows as its line.
check "wrong password in a dry run: the tray program's dry-run line, nothing to the guard" "0 1" \
    "$(guard_dry_runs) $(e2e_dry_run_lines)"
check "the guard was asked for no power-off" 0 "$(e2e_guard_log | grep -c 'power-off' || true)"
# The request a tray program that is not a dry run sends: the guard's to carry out.
e2e_drive pipe 'HG1 PowerOff' >/dev/null || true
guard_powered_off() { [ "$(guard_dry_runs)" = 1 ]; }
e2e_until 30 guard_powered_off
check "a tray program's PowerOff reaches the guard's power-off" 1 "$(guard_dry_runs)"
counted() { (($(e2e_guard_minutes) >= 1)); }
e2e_until 150 counted
check "the guard counted on without a tray program" yes "$(counted && echo yes)"

# A tray program that started before the guard counts for itself until the
# guard appears, then shows the guard's figures.
kill "$e2e_guard_pid"
mkdir -p "$e2e_work/early"
printf '%s 09:00 000030\0 ' "$(date +%Y/%m/%d)" >"$e2e_work/early/guest.txt"
e2e_start early
e2e_until 60 e2e_has tray=1
own() { e2e_state figures | grep -q "0時間 30分使用しました"; }
e2e_until 30 own
e2e_start_guard late-guard
guards() { [ "$(e2e_state figures | sed 's| / .*||')" = "今日 ${user} さんは、0時間 00分使用しました" ]; }
e2e_until 60 guards
check "a guard that starts later takes over: the window shows its figures" yes "$(guards && echo yes)"
