#!/usr/bin/env bash
# Tries the Windows installer under Wine, in a throw-away prefix with the
# Japanese code page (932): wrong settings refused before anything is
# installed; a silent install with DRYRUN=1 (so the service can never power
# anything off), EXEMPT_USERS with a Japanese name and TIMEUP_ACTION, and what
# it set up; a repair and an upgrade that keep the settings and the
# administrator's files, and a reinstall that changes one; uninstall and what stays; and PURGE=1. Wine 8 cannot
# show everything: it has no failure actions, no wildcards in RemoveFile (so
# PURGE leaves records behind here, not on Windows), no msiexec /f (the repair
# runs with the properties /fa stands for), and it never reconfigures a
# service that exists (so the repair re-registers a deleted one).
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
# Wine takes the code page from the locale: ja_JP gives 932, as on a Japanese
# Windows, where hourgated.exe receives the names in Shift_JIS.
export LOCPATH="$root/locale"
mkdir -p "$LOCPATH" && localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" >/dev/null 2>&1
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
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
reg_value() { # reg_value KEY NAME: the value's type and data (reg prints them in code page 932)
    wine reg query "$1" /v "$2" </dev/null 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r' |
        awk -v n="$2" '$1 == n { $1 = ""; print substr($0, 2) }'
}
# shellcheck disable=SC2012 # names without blanks, sorted as ls sorts them
listing() { (cd "$dir" 2>/dev/null && LC_ALL=C ls | tr '\n' ' '); }
bytes() { od -An -tx1 "$1" | tr -s ' \n' ' '; }
service='HKLM\SYSTEM\CurrentControlSet\Services\hourgated'
run='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
source_key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Hourgate'
settings='HKLM\Software\Hourgate'
# Every service registered here must be in dry-run mode: one that is not is stopped at once.
dry_run_or_stop() { # dry_run_or_stop STEP
    image=$(reg_value "$service" ImagePath)
    [[ "$image" == *--dry-run ]] && return
    wine sc stop hourgated </dev/null >/dev/null 2>&1
    echo "FAIL - $1: the service is not in dry-run mode: $image" && exit 1
}

# A setting the installation cannot take stops it: the action before anything
# is done, the list when hourgated.exe refuses it, and the installation is
# rolled back (Wine 8 leaves the list behind, a permanent component's file).
for wrong in 'TIMEUP_ACTION=halt' 'EXEMPT_USERS=taro;hanako'; do
    msiexec /i "$msi" DRYRUN=1 "$wrong"
    check "$wrong refused, nothing installed" "1 |" \
        "$(($? != 0)) $(listing | sed 's/^Hourgate.ini //')|$(reg_value "$service" ImagePath)"
    rm -rf "$dir"
done

if ! msiexec /i "$msi" DRYRUN=1 EXEMPT_USERS="taro, 花子" TIMEUP_ACTION=logoff; then
    # Wine logs a failed action as "Return value 0", Windows as 3 (here in Japanese).
    echo "FAIL - install:" && iconv -f CP932 -t UTF-8 "$root/msiexec.log" |
        grep -E '(Return value|戻り値) [03]' | grep -v MigrateFeatureStates
    echo "(StartServices fails when hourgated.exe is not a working service)" && exit 1
fi
dry_run_or_stop install
check "files" "Hourgate.ini LICENSE hourgate.exe hourgatectl.exe hourgated.exe limits.conf " "$(listing)"
# Wine leaves the program's path unquoted; Windows Installer quotes it.
check "service command line" 'REG_SZ C:\Program Files\Hourgate\hourgated.exe --dry-run' "$(reg_value "$service" ImagePath)"
check "service start" "REG_DWORD 0x2" "$(reg_value "$service" Start)"
check "service account" "REG_SZ LocalSystem" "$(reg_value "$service" ObjectName)"
check "service running" 4 "$(wine sc query hourgated </dev/null | tr -d '\r' | awk '$1 == "STATE" { print $3 }')"
check "logon entry" 'REG_SZ "C:\Program Files\Hourgate\hourgate.exe"' "$(reg_value "$run" Hourgate)"
check "event-log source" 'REG_SZ C:\Program Files\Hourgate\hourgated.exe' "$(reg_value "$source_key" EventMessageFile)"
check "event types" "REG_DWORD 0x7" "$(reg_value "$source_key" TypesSupported)"
# taro and 花子 in Shift_JIS, each line ended by CR LF.
check "Hourgate.ini: 74 61 72 6f 0d 0a 89 d4 8e 71 0d 0a" " 74 61 72 6f 0d 0a 89 d4 8e 71 0d 0a " "$(bytes "$dir/Hourgate.ini")"
check "limits.conf: action = logoff" $'action = logoff\r' "$(<"$dir/limits.conf")"
remembered() { for name in DryRun ExemptUsers TimeUpAction; do reg_value "$settings" $name; done | tr '\n' '|'; }
check "settings remembered" "REG_SZ 1|REG_SZ taro, 花子|REG_SZ logoff|" "$(remembered)"
# Wine's user is an administrator: the installed command reaches the installed service.
timeout 60 wine "$dir/hourgatectl.exe" status </dev/null >/dev/null 2>&1
check "hourgatectl status through the service" 0 $?

# The administrator edits the list and the limits; the service writes a record;
# the program and the service are lost.
printf 'Administrator\r\ntaro\r\n' >"$dir/Hourgate.ini"
printf '# mine\r\naction = logoff\r\n[guest]\r\nwarning = 5\r\n' >"$dir/limits.conf"
printf '2026/12/07 16:05 000030\0 ' >"$dir/guest.txt"
rm "$dir/hourgate.exe"
wine sc stop hourgated </dev/null >/dev/null 2>&1 && wine sc delete hourgated </dev/null >/dev/null 2>&1
msiexec /i "$msi" REINSTALL=ALL REINSTALLMODE=a
check "repair without settings" 0 $?
dry_run_or_stop repair
check "repair registers the service again, in dry-run mode" 'REG_SZ C:\Program Files\Hourgate\hourgated.exe --dry-run' "$(reg_value "$service" ImagePath)"
check "repair restores the program, keeps the list and the limits" \
    "Hourgate.ini LICENSE guest.txt hourgate.exe hourgatectl.exe hourgated.exe limits.conf 21 47" \
    "$(listing)$(wc -c <"$dir/Hourgate.ini") $(wc -c <"$dir/limits.conf")"

# A setting changed on the installed PC: the repair with a property.
msiexec /i "$msi" REINSTALL=ALL REINSTALLMODE=amus TIMEUP_ACTION=poweroff
check "reinstall with TIMEUP_ACTION" 0 $?
dry_run_or_stop reinstall
check "reinstall sets the action, keeps the rest of limits.conf" \
    $'# mine\r\naction = poweroff\r\n[guest]\r\nwarning = 5\r' "$(<"$dir/limits.conf")"
check "reinstall remembers the new action" "REG_SZ 1|REG_SZ taro, 花子|REG_SZ poweroff|" "$(remembered)"

# A newer build, as an upgrade meets it: another product code and package code.
next="$root/next.msi" && cp "$msi" "$next"
guid() { tr '[:lower:]' '[:upper:]' </proc/sys/kernel/random/uuid; }
msibuild "$next" -q "UPDATE Property SET Value = '{$(guid)}' WHERE Property = 'ProductCode'" \
    -s "$(msiinfo suminfo "$msi" | sed -n 's/^Subject: //p')" "Hourgate maintainers" "x64;1033" "{$(guid)}"
msiexec /i "$next"
check "upgrade without settings" 0 $?
dry_run_or_stop upgrade
check "upgrade keeps dry-run mode" 'REG_SZ C:\Program Files\Hourgate\hourgated.exe --dry-run' "$(reg_value "$service" ImagePath)"
check "upgrade keeps the list and limits.conf" \
    $'Administrator\r\ntaro\r|# mine\r\naction = poweroff\r\n[guest]\r\nwarning = 5\r' \
    "$(<"$dir/Hourgate.ini")|$(<"$dir/limits.conf")"
check "upgrade keeps the settings" "REG_SZ 1|REG_SZ taro, 花子|REG_SZ poweroff|" "$(remembered)"

msiexec /x "$next"
check "uninstall" 0 $?
check "uninstall keeps the list, the limits and the records" "Hourgate.ini guest.txt limits.conf " "$(listing)"
check "service removed" "" "$(reg_value "$service" ImagePath)"
check "logon entry removed" "" "$(reg_value "$run" Hourgate)"
check "event-log source removed" "" "$(reg_value "$source_key" EventMessageFile)"
check "settings forgotten" "" "$(remembered)"

rm "$dir/guest.txt"
msiexec /i "$msi" DRYRUN=1 && dry_run_or_stop "install again"
for file in grants.dat history.log history.log.1; do echo 1 >"$dir/$file"; done
msiexec /x "$msi" PURGE=1
check "PURGE=1 removes the list, limits, grants, history and the folder" 0 "$([ -e "$dir" ] && echo 1 || echo 0)"
if ((failures > 0)); then
    echo "installer trial: $failures failed" && exit 1
fi
echo "installer trial passed"
