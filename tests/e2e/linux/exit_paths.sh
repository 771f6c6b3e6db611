#!/usr/bin/env bash
# shellcheck disable=SC2016 # checks pass code to eval, to expand when it runs
# Leaving with a wrong password requests the power-off: the program ends once
# the request went out (to logind, or reported in a dry run) and runs on,
# counting, when logind refuses or is missing. At sixty times the speed the
# record gains a minute a second.
HOURGATE_EXE=${1:?usage: $0 HOURGATE_EXE}
# shellcheck source=tests/e2e/linux/lib.sh
source "$(dirname "$0")/lib.sh"
{ start_display && start_logind; } || exit 1

# command  CanPowerOff  PowerOff calls  program  switch
cases=(
    "tray      yes          false           ends"
    "menu      yes          false           ends"
    "tray      yes          -               ends     --dry-run"
    "tray      challenge    -               runs"
    "tray      none         -               runs"
)
for row in "${cases[@]}"; do
    read -r command can expected outcome switch <<<"$row"
    echo "$row"
    install_program
    # The last row's bus stays, without logind on it.
    [ "$can" != none ] || { kill "$LOGIND_PID"; wait "$LOGIND_PID"; }
    mock AddMethod org.freedesktop.login1.Manager CanPowerOff '' s "ret = '$can'" &>/dev/null && mock ClearCalls >/dev/null
    start_program "@2026-12-07 16:10:00 x60" ${switch:+"$switch"}
    check "the icon docks" wait_until 20 tray_icon
    check "a wrong password is taken" leave "$command" wrong
    if [ "$outcome" = ends ]; then
        check "the program ends with exit code 0" program_exits_with 0
        check "its icon is gone" eval '! tray_icon'
    else
        minutes=$(record_minutes guest.txt)
        check "its record's minutes grow on" wait_until 30 eval '[ "$(record_minutes guest.txt)" -gt '"$minutes"' ]'
        check "the program runs on with its icon" eval 'program_running && tray_icon'
        stop_program
    fi
    [ "$can" = none ] || check "logind got PowerOff: $expected" eval '[ "$(poweroffs)" = "${expected#-}" ]'
    [ -z "$switch" ] || check "the dry run reports the request on standard error, alone" \
        eval '[ "$(cat "$E2E_STDERR")" = "hourgate: power-off requested (dry run)" ]'
done
e2e_finish
