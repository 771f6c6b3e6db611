#!/usr/bin/env bash
# Tries the Windows installer under Wine, in a throw-away prefix: install (with
# DRYRUN=1, so the service can never power anything off), what it set up, a
# forced reinstall, uninstall and what stays, and PURGE=1. Wine 8 cannot show
# everything: it has no failure actions and no wildcards in RemoveFile (so PURGE
# leaves records behind here, not on Windows).
# Usage: scripts/msi-trial-wine.sh [MSI]   (default: the windows preset's)
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
built=(build/windows/hourgate-*-x64.msi)
msi=${1:-${built[0]}}
[ -f "$msi" ] || { echo "no installer: build the windows preset first"; exit 1; }
msi=$(realpath "$msi")

root=$(mktemp -d "${TMPDIR:-/tmp}/hourgate-msi-trial.XXXXXX")
export WINEPREFIX="$root/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$root"' EXIT
# A new prefix's first boot leaves services.exe busy (services are silently
# not created, or not started: 1055, database locked); boot it again, on one
# persistent wineserver, and wait until a probe service with no program fails
# to start for that reason (2) only.
DISPLAY='' wineboot -i </dev/null >/dev/null 2>&1
wineserver -k >/dev/null 2>&1
wineserver -p >/dev/null 2>&1 </dev/null
wine cmd /c exit </dev/null >/dev/null 2>&1
for _ in $(seq 120); do
    wine sc create hourgate-probe binpath= 'C:\none.exe' </dev/null >/dev/null 2>&1
    answer=$(WINEDEBUG=err+sc wine sc start hourgate-probe </dev/null 2>&1)
    [[ "$answer" == *"failed to start service 2"* ]] && break
    sleep 1
done
wine sc delete hourgate-probe </dev/null >/dev/null 2>&1

dir="$WINEPREFIX/drive_c/Program Files/Hourgate"
failures=0
check() { # check DESCRIPTION EXPECTED ACTUAL
    [ "$2" == "$3" ] && echo "ok   - $1" && return
    echo "FAIL - $1: expected [$2], got [$3]" && failures=$((failures + 1))
}
msiexec() { timeout 300 wine msiexec "$@" /qn /l*v "$root/msiexec.log" </dev/null >/dev/null 2>&1; }
reg_value() { # reg_value KEY NAME: the value's type and data
    wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = ""; print substr($0, 2) }'
}
# shellcheck disable=SC2012 # names without blanks, sorted as ls sorts them
listing() { (cd "$dir" 2>/dev/null && LC_ALL=C ls | tr '\n' ' '); }
service='HKLM\SYSTEM\CurrentControlSet\Services\hourgated'
run='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
source_key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Hourgate'

if ! msiexec /i "$msi" DRYRUN=1; then
    # Wine logs a failed action as "Return value 0", Windows as 3.
    echo "FAIL - install:" && grep -E 'Return value [03]\.' "$root/msiexec.log" | grep -v MigrateFeatureStates
    echo "(StartServices fails when hourgated.exe is not a working service)" && exit 1
fi
image=$(reg_value "$service" ImagePath)
if [[ "$image" != *--dry-run ]]; then
    wine sc stop hourgated </dev/null >/dev/null 2>&1 # not in dry-run mode: stop it at once
    echo "FAIL - the service is not in dry-run mode: $image" && exit 1
fi
check "files" "Hourgate.ini LICENSE hourgate.exe hourgatectl.exe hourgated.exe " "$(listing)"
# Wine leaves the program's path unquoted; Windows Installer quotes it.
check "service command line" 'REG_SZ C:\Program Files\Hourgate\hourgated.exe --dry-run' "$image"
check "service start" "REG_DWORD 0x2" "$(reg_value "$service" Start)"
check "service account" "REG_SZ LocalSystem" "$(reg_value "$service" ObjectName)"
check "service running" 4 "$(wine sc query hourgated </dev/null | tr -d '\r' | awk '$1 == "STATE" { print $3 }')"
check "logon entry" 'REG_SZ "C:\Program Files\Hourgate\hourgate.exe"' "$(reg_value "$run" Hourgate)"
check "event-log source" 'REG_SZ C:\Program Files\Hourgate\hourgated.exe' "$(reg_value "$source_key" EventMessageFile)"
check "event types" "REG_DWORD 0x7" "$(reg_value "$source_key" TypesSupported)"
# Wine's user is an administrator: the installed command reaches the installed service.
timeout 60 wine "$dir/hourgatectl.exe" status </dev/null >/dev/null 2>&1
check "hourgatectl status through the service" 0 $?

# The administrator edits the list; the service writes a record.
printf 'Administrator\r\ntaro\r\n' >"$dir/Hourgate.ini"
printf '2026/12/07 16:05 000030\0 ' >"$dir/guest.txt"
rm "$dir/hourgate.exe"
msiexec /i "$msi" REINSTALL=ALL REINSTALLMODE=amus DRYRUN=1
check "forced reinstall" 0 $?
check "reinstall restores the program, keeps the list" \
    "Hourgate.ini LICENSE guest.txt hourgate.exe hourgatectl.exe hourgated.exe 21" \
    "$(listing)$(wc -c <"$dir/Hourgate.ini")"

msiexec /x "$msi"
check "uninstall" 0 $?
check "uninstall keeps the list and the records" "Hourgate.ini guest.txt " "$(listing)"
check "service removed" "" "$(reg_value "$service" ImagePath)"
check "logon entry removed" "" "$(reg_value "$run" Hourgate)"
check "event-log source removed" "" "$(reg_value "$source_key" EventMessageFile)"

rm "$dir/guest.txt"
msiexec /i "$msi" DRYRUN=1 && msiexec /x "$msi" PURGE=1
check "PURGE=1 removes the list and the folder" 0 "$([ -e "$dir" ] && echo 1 || echo 0)"
if ((failures > 0)); then
    echo "installer trial: $failures failed" && exit 1
fi
echo "installer trial passed"
