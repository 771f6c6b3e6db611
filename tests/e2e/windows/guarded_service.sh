#!/usr/bin/env bash
# The guard as the installer sets it up: registered with the service manager
# (dry run) and started there; the tray program shows its figures, and Cancel
# at 終了 in a dry run stays the tray program's own dry run; the service stops on
# request. A record left read-only from before is made writable again, any other
# file is left as it is. Prints
# the service's access list as the service manager has it.
# shellcheck source=tests/e2e/windows/e2e-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh" "$@"
e2e_at_hour 18
e2e_start_display
dir="$e2e_work/installed"
mkdir -p "$dir" && cp "$e2e_guard_exe" "$dir/hourgated.exe"
attributes() { wine cmd /c attrib "Z:${dir//\//\\}\\$1" </dev/null 2>/dev/null | cut -c1-10 | tr -d ' \r'; }
printf 'hanako\r\n' >"$dir/Hourgate.ini"
for file in hanako.txt notes.txt; do
    touch "$dir/$file" && wine attrib +r "Z:${dir//\//\\}\\$file" </dev/null >/dev/null 2>&1
done
read_only_before=$(attributes hanako.txt)
e2e_services+=(hourgated)
wine sc create hourgated binPath= "Z:${dir//\//\\}\\hourgated.exe --dry-run --sessions-from-callers" </dev/null >/dev/null 2>&1
wine net start hourgated </dev/null >/dev/null 2>&1
e2e_until 60 e2e_guard_up
e2e_drive service hourgated | sed 's/^/info: /'
check "the service runs" 4 "$(e2e_drive service hourgated | sed -n 's/^state=//p')"
check "a record left read-only is writable again; another file is left alone" "AR A AR" \
    "$read_only_before $(attributes hanako.txt) $(attributes notes.txt)"

e2e_start tray
e2e_until 60 e2e_has tray=1
e2e_until 30 e2e_has_figures
check "the window shows the service's figures" "今日 $(e2e_state user) さんは、0時間 00分使用しました" \
    "$(e2e_state figures | sed 's| / .*||')"
check "the service keeps the record beside its exe" 25 "$(stat -c %s "$dir/guest.txt")"
WM_COMMAND=0x111 ID_APP_EXIT=57665 IDCANCEL=2
e2e_drive post $WM_COMMAND $ID_APP_EXIT 0
e2e_until 60 e2e_drive answer '' $IDCANCEL
e2e_wait_exit
check "Cancel at 終了 in a dry run: the program's own dry-run line, then it closes" "0 1" \
    "$e2e_exit $(e2e_dry_run_lines)"

wine net stop hourgated </dev/null >/dev/null 2>&1
check "the service stops on request" 1 "$(e2e_drive service hourgated | sed -n 's/^state=//p')"
