#!/usr/bin/env bash
# A file named on the command line is opened as the (empty) document; one that
# cannot be opened ends start-up. The accelerators of the shown window: Ctrl+N
# and Ctrl+O run usage start again, Ctrl+S writes an empty file under the name
# asked for, and leaves the opened file alone.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh" "$@"
e2e_start_display
FILE_NAME_BOX=1148  # the file dialogs' name box (cmb13)

# A file that cannot be opened: start-up fails, nothing is written.
dir=$(e2e_new_dir missing)
e2e_exempt_user "$dir"
e2e_start "$dir" "$(e2e_winpath "$dir/no-such-file.txt")"
e2e_wait_exit "$e2e_last_pid" 20
check "unopenable file: the program ends with a failure code" 1 "$e2e_exit"
check "unopenable file: usage start did not run" 0 "$(find "$dir" -name '*.txt' ! -name 'std*' | wc -l)"

# A file that opens: the program runs, and the file is read, never changed.
dir=$(e2e_new_dir opened)
e2e_exempt_user "$dir"
user=$(e2e_user "$dir")
echo "keep me" >"$dir/notes.txt"
e2e_start "$dir" "$(e2e_winpath "$dir/notes.txt")"
pid=$e2e_last_pid
e2e_drive "$dir" wait-frame 20000 -- wait-tray 10000 -- wait-visible 0 5000 -- tray-left \
    -- wait-visible 1 5000 -- wait-foreground 5000 >/dev/null
sleep 0.3  # the X server's focus follows Wine's a moment later
check "opened file: usage start ran" yes "$([ -s "$dir/$user.txt" ] && echo yes || echo no)"

# rerun KEYS: presses KEYS on the shown window and tells whether usage start ran
# again (it rewrites the record, which we removed).
rerun() {
    rm -f "$dir/$user.txt"
    xdotool key "$1"
    for _ in $(seq 40); do
        [ -s "$dir/$user.txt" ] && { echo yes; return; }
        sleep 0.05
    done
    echo no
}
check "Ctrl+N runs usage start again" yes "$(rerun ctrl+n)"
check "other accelerators do nothing" no "$(rerun ctrl+c)"

rm -f "$dir/$user.txt"
xdotool key ctrl+o
e2e_drive "$dir" wait-dialog $FILE_NAME_BOX 10000 -- dialog-set-text $FILE_NAME_BOX \
    "$(e2e_winpath "$dir/notes.txt")" -- dialog-command $FILE_NAME_BOX 1 >/dev/null
for _ in $(seq 100); do [ -s "$dir/$user.txt" ] && break; sleep 0.05; done
check "Ctrl+O opens a file and runs usage start again" yes \
    "$([ -s "$dir/$user.txt" ] && echo yes || echo no)"

xdotool key ctrl+s
e2e_drive "$dir" wait-dialog $FILE_NAME_BOX 10000 -- dialog-set-text $FILE_NAME_BOX \
    "$(e2e_winpath "$dir/saved.doc")" -- dialog-command $FILE_NAME_BOX 1 >/dev/null
for _ in $(seq 100); do [ -e "$dir/saved.doc" ] && break; sleep 0.05; done
check "Ctrl+S writes an empty file under the chosen name" 0 "$(stat -c %s "$dir/saved.doc" 2>/dev/null || echo none)"
check "the opened file is left as it was" "keep me" "$(cat "$dir/notes.txt")"
check "no power-off request on the way" 0 "$(e2e_dry_run_lines "$dir")"
check "the program still runs" yes "$(kill -0 "$pid" 2>/dev/null && echo yes || echo no)"
e2e_finish
