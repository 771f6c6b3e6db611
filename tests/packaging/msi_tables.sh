#!/usr/bin/env bash
# The Windows installer's tables, read back for what an administrator relies on:
# the programs and their versions, the guard service, the logon entry, the
# event-log source, the exemption list kept over upgrades and uninstalls, the
# settings of a silent installation, PURGE, upgrades and Add/Remove Programs.
# Usage: msi_tables.sh MSI UPGRADE_CODE VERSION
set -u
msi=${1:?usage: $0 MSI UPGRADE_CODE VERSION}
failures=0

# expect TABLE KEY COLUMNS FIELD...: the row that has a field equal to KEY holds
# these fields in COLUMNS (as cut -f counts them).
expect() {
    local got want
    got=$(msiinfo export "$msi" "$1" | tr -d '\r' |
        K=$2 awk -F'\t' '{ for (i = 1; i <= NF; i++) if ($i == ENVIRON["K"]) { print; next } }' |
        cut -f "$3")
    want=$(IFS=$'\t' && echo "${*:4}")
    [ "$got" == "$want" ] && echo "ok   - $1 $2" && return
    echo "FAIL - $1 $2: expected [$want], got [$got]"
    failures=$((failures + 1))
}

msiinfo suminfo "$msi" | grep -qx 'Template: x64;1033' || { echo "FAIL - not an x64 package"; failures=$((failures + 1)); }
msiinfo suminfo "$msi" | grep -q '^Comments: .*Apache License 2.0' || { echo "FAIL - no licence in the summary"; failures=$((failures + 1)); }
expect Property ALLUSERS 2 1
expect Property ProductName 2 Hourgate
expect Property Manufacturer 2 "Hourgate maintainers"
expect Property UpgradeCode 2 "$2"
expect Property ARPCONTACT 2 "Hourgate maintainers <hourgate@example.org>"
expect Property ARPHELPLINK 2 https://example.org/hourgate
expect Property ARPURLINFOABOUT 2 https://example.org/hourgate
expect Property ARPCOMMENTS 2 "Daily PC-use limits for every user. Released under the Apache License 2.0 (LICENSE in the install folder)."
# Upgrades: older and same versions are replaced, a newer one is not.
expect Upgrade WIX_UPGRADE_DETECTED 1,2,5 "$2" "" 513
expect Upgrade WIX_DOWNGRADE_DETECTED 1,5 "$2" 2
expect Directory INSTALLDIR 2,3 ProgramFiles64Folder Hourgate
expect File hourgate.exe 2,3 TrayProgram hourgate.exe
expect File hourgated.exe 2,3 GuardService hourgated.exe
expect File hourgatectl.exe 2,3 AdminCommand hourgatectl.exe
expect File Hourgate.ini 2,3 ExemptionList Hourgate.ini
expect File LICENSE 2,3 Licence LICENSE
# The programs' versions and languages are those of the version records they carry.
files=$(mktemp -d) && trap 'rm -rf "$files"' EXIT
msiextract -C "$files" "$msi" >/dev/null
for program in hourgate.exe:1041 hourgated.exe:1033 hourgatectl.exe:1033; do
    exe=$(find "$files" -name "${program%:*}")
    record=$(x86_64-w64-mingw32-windres -i "$exe" -O rc | sed -n 's/^ FILEVERSION //p' | tr -d ' ' | tr , .)
    [ "$record" == "$3" ] || { echo "FAIL - ${program%:*} carries version $record"; failures=$((failures + 1)); }
    expect File "${program%:*}" 5,6 "$3" "${program#*:}"
    expect MsiFileHash "${program%:*}" 1 # Windows Installer hashes unversioned files only
done
# 64-bit components; the list's is also Permanent and NeverOverwrite.
expect Component TrayProgram 3,4 INSTALLDIR 256
expect Component GuardService 3,4 INSTALLDIR 256
expect Component AdminCommand 3,4 INSTALLDIR 256
expect Component ExemptionList 3,4,6 INSTALLDIR 400 Hourgate.ini
# Own process, automatic start, normal error control, LocalSystem.
expect ServiceInstall hourgated 3-6,9,11,12 "Hourgate guard" 16 2 1 LocalSystem "[HourgatedArgs]" GuardService
# Started on install, stopped on install and uninstall, removed on uninstall; waited for.
expect ServiceControl hourgated 3,5,6 163 1 GuardService
expect CustomAction SetDryRunArgs 2-4 51 HourgatedArgs --dry-run
expect InstallExecuteSequence SetDryRunArgs 2 'DRYRUN AND DRYRUN<>"0"'
# The settings of a silent or Group Policy installation: secure, each remembered
# under Software\Hourgate and recalled when not given.
expect Property SecureCustomProperties 2 "DRYRUN;EXEMPT_USERS;INSTALLDIR;PURGE;TIMEUP_ACTION;WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED"
for setting in DRYRUN:DryRun EXEMPT_USERS:ExemptUsers TIMEUP_ACTION:TimeUpAction; do
    property=${setting%:*} name=${setting#*:}
    expect Registry "[$property]" 2-4,6 2 'Software\Hourgate' "$name" TrayProgram
    expect RegLocator "Remembered$name" 2-5 2 'Software\Hourgate' "$name" 18
    expect AppSearch "Remembered$name" 1 "REMEMBERED_$property"
    expect CustomAction "Recall$name" 2-4 51 "$property" "[REMEMBERED_$property]"
    expect InstallExecuteSequence "Recall$name" 2 "NOT $property"
done
# The list and the limits are written by the installed guard, as LocalSystem,
# only when given on the command line, never from the remembered settings.
expect CustomAction WriteExemptionList 2-4 3090 hourgated.exe '--write-exemption-list "[GivenExemptUsers]"'
expect CustomAction SetTimeUpAction 2-4 3090 hourgated.exe '--set-action "[GivenTimeUpAction]"'
expect InstallExecuteSequence WriteExemptionList 2 'GivenExemptUsers AND NOT REMOVE~="ALL"'
expect InstallExecuteSequence SetTimeUpAction 2 'GivenTimeUpAction AND NOT REMOVE~="ALL"'
expect LaunchCondition 'TIMEUP_ACTION must be poweroff or logoff.' 1 'REMOVE~="ALL" OR NOT TIMEUP_ACTION OR TIMEUP_ACTION~="poweroff" OR TIMEUP_ACTION~="logoff"'
expect Registry 'Software\Microsoft\Windows\CurrentVersion\Run' 2,4-6 2 Hourgate '"[INSTALLDIR]hourgate.exe"' TrayProgram
expect Registry EventMessageFile 2,3,5 2 'SYSTEM\CurrentControlSet\Services\EventLog\Application\Hourgate' '[INSTALLDIR]hourgated.exe'
expect Registry TypesSupported 2,3,5 2 'SYSTEM\CurrentControlSet\Services\EventLog\Application\Hourgate' '#7'
# PURGE=1: records, their temporary files, the list, the limits, grants and history, then the folder.
expect InstallExecuteSequence SetPurgeDir 2 'PURGE AND REMOVE~="ALL" AND NOT UPGRADINGPRODUCTCODE'
expect RemoveFile PurgeRecords 3-5 '*.txt' PURGEDIR 2
expect RemoveFile PurgeTemporary 3-5 '*.tmp' PURGEDIR 2
expect RemoveFile PurgeList 3-5 Hourgate.ini PURGEDIR 2
expect RemoveFile PurgeLimits 3-5 'LIMITS~1.CON|limits.conf' PURGEDIR 2
expect RemoveFile PurgeGrants 3-5 grants.dat PURGEDIR 2
expect RemoveFile PurgeHistory 3-5 history.log PURGEDIR 2
expect RemoveFile PurgeOldHistory 3-5 'HISTOR~1.1|history.log.1' PURGEDIR 2
expect RemoveFile PurgeFolder 3-5 '' PURGEDIR 2
((failures == 0))
