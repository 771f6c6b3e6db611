# The one harness for running the real program on Linux, sourced by the
# whole-program tests and by scripts/run.sh, screenshots.sh and bench/run.sh:
# a private X display with a tray host, a private system bus with a mock logind,
# the program copied into a directory of its own (its data files live beside
# it), and the guard service in a directory of its own. Waits are for
# conditions, polled; every process started here is stopped by its PID on exit.
# install_program needs HOURGATE_EXE (the built program), start_guard HOURGATED_EXE.
# shellcheck shell=bash

set -uo pipefail

E2E_PIDS=()
E2E_FAILURES=0
E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/hourgate-e2e.XXXXXX")
E2E_APP=$E2E_TMP/app
E2E_STDERR=$E2E_APP/stderr.log
GUARD_DIR=$E2E_TMP/guard
FAKETIME_LIB=${FAKETIME_LIB:-/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1}
# The tests' clock times are read in this zone, whatever the machine's is.
export TZ=${E2E_TZ:-Asia/Tokyo}
# xprop and xdotool match and print the Japanese captions only in a UTF-8 locale;
# Qt's dialogs keep state under $HOME, which stays inside the run.
export LC_ALL=C.UTF-8 HOME=$E2E_TMP/home XDG_CONFIG_HOME=$E2E_TMP/home/.config
# Until start_logind, the system bus is one that does not exist: nothing run
# from here may ever reach the machine's real logind.
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$E2E_TMP/no-system-bus"

e2e_cleanup() {
    # The processes end by the signal: that is no failure of the run, even in
    # a script that stops at the first failing command (scripts/run.sh).
    kill "${E2E_PIDS[@]}" 2>/dev/null || true
    wait "${E2E_PIDS[@]}" 2>/dev/null || true
    if [ "${E2E_KEEP:-0}" = 1 ]; then echo "kept $E2E_TMP"; else rm -rf "$E2E_TMP"; fi
}
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

# check DESCRIPTION COMMAND...: one assertion; e2e_finish fails if any did.
check() { if "${@:2}" >/dev/null; then echo "  ok   $1"; else echo "  FAIL $1"; E2E_FAILURES=$((E2E_FAILURES + 1)); fi; }
e2e_finish() { echo "$E2E_FAILURES failed"; [ "$E2E_FAILURES" -eq 0 ]; }

# wait_until SECONDS COMMAND...: polls the command; the time is only a limit.
wait_until() {
    local deadline=$((SECONDS + $1))
    until "${@:2}"; do [ "$SECONDS" -lt "$deadline" ] || return 1; sleep 0.1; done
}

# Xvfb on a display number it picks itself, so that parallel runs never
# collide, then trayer as the tray host, retried once as it sometimes dies at
# start on a busy machine.
start_display() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$E2E_TMP/display" 2>"$E2E_TMP/xvfb.log" &
    E2E_PIDS+=($!)
    wait_until 20 test -s "$E2E_TMP/display" || return 1
    DISPLAY=":$(head -n1 "$E2E_TMP/display")"
    # Without disabled:, libdbus would autolaunch a session bus that outlives the run.
    export DISPLAY QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$E2E_TMP/runtime DBUS_SESSION_BUS_ADDRESS=disabled:
    mkdir -m 0700 "$XDG_RUNTIME_DIR" "$HOME"
    for _ in 1 2; do
        trayer --edge top --align right --widthtype pixel --width 120 --height 24 --SetDockType true 2>/dev/null &
        E2E_PIDS+=($!)
        wait_until 20 tray_host >/dev/null && return 0
    done
    return 1
}
tray_host() { xdotool search --onlyvisible --name '^panel$' 2>/dev/null | sed -n 1p | grep .; }

# A private bus as the system bus, with python-dbusmock's logind on it. As on a
# real system bus, every user may connect (the socket is reachable by all).
start_logind() {
    chmod 0711 "$E2E_TMP"
    echo "<busconfig><listen>unix:path=$E2E_TMP/system_bus</listen><auth>EXTERNAL</auth><policy context='default'>
        <allow user='*'/><allow own='*'/><allow send_destination='*' eavesdrop='true'/><allow eavesdrop='true'/>
        </policy></busconfig>" >"$E2E_TMP/bus.conf"
    dbus-daemon --config-file="$E2E_TMP/bus.conf" --nofork --print-address=3 3>"$E2E_TMP/bus" 2>/dev/null &
    E2E_PIDS+=($!)
    wait_until 20 test -s "$E2E_TMP/bus" || return 1
    DBUS_SYSTEM_BUS_ADDRESS=$(head -n1 "$E2E_TMP/bus")
    start_mock_logind
}
# The mock logind alone, on the bus start_logind made: again after a test took
# it off the bus (LOGIND_PID), as when logind restarts.
start_mock_logind() {
    /usr/bin/python3 -m dbusmock --system --template logind >>"$E2E_TMP/logind.log" 2>&1 &
    # shellcheck disable=SC2034 # for a test that takes logind off the bus
    LOGIND_PID=$!
    E2E_PIDS+=($!)
    wait_until 20 poweroffs >/dev/null
}
# The bus daemon itself, as when the system bus restarts.
stop_bus() { pkill -f "dbus-daemon --config-file=$E2E_TMP/bus.conf"; }
mock() { mock_at /org/freedesktop/login1 "$@"; }
mock_at() { gdbus call --address "$DBUS_SYSTEM_BUS_ADDRESS" --dest org.freedesktop.login1 \
    --object-path "$1" --method "org.freedesktop.DBus.Mock.$2" "${@:3}"; }
# Local sessions, announced as logind does: session_new ID UID NAME (active,
# on seat0), session_active ID true|false, session_removed ID.
session_new() { mock AddSession "$1" seat0 "$2" "$3" true >/dev/null && session_signal SessionNew "$1"; }
session_active() { mock_at "/org/freedesktop/login1/session/$1" UpdateProperties org.freedesktop.login1.Session "{'Active': <$2>}" >/dev/null; }
session_removed() { mock RemoveObject "/org/freedesktop/login1/session/$1" >/dev/null && session_signal SessionRemoved "$1"; }
# session_of PID ID: logind has process PID in session ID (GetSessionByPID);
# any other process is in none.
SESSION_PIDS=""
session_of() {
    SESSION_PIDS+="$1: '/org/freedesktop/login1/session/$2', "
    mock AddMethod org.freedesktop.login1.Manager GetSessionByPID u o \
        "ret = {$SESSION_PIDS}.get(args[0], '/')" >/dev/null
}
session_signal() { mock EmitSignal org.freedesktop.login1.Manager "$1" so "[<'$2'>, <objectpath '/org/freedesktop/login1/session/$2'>]" >/dev/null; }
# The arguments of the PowerOff calls logind received, e.g. "false" for one
# non-interactive request, nothing for none; fails when the mock does not answer.
poweroffs() {
    local calls
    calls=$(mock GetMethodCalls PowerOff 2>/dev/null) || return 1
    { grep -o '\[<[a-z]*>\]' || true; } <<<"$calls" | tr -d '[]<>' | xargs
}

# start_guard CLOCK [ARG...]: the guard service as root in GUARD_DIR, where it
# keeps its records, its clock as start_program's (empty: the real one); waits until it owns its
# name on the bus (GUARD_PID).
start_guard() {
    mkdir -p "$GUARD_DIR" && cp "$HOURGATED_EXE" "$GUARD_DIR/" || return 1
    local clock=(env LD_PRELOAD="$FAKETIME_LIB" FAKETIME="$1")
    [ -n "$1" ] || clock=()
    (cd "$GUARD_DIR" && exec "${clock[@]}" ./hourgated "${@:2}" 2>>"$GUARD_DIR/stderr.log") &
    GUARD_PID=$!
    E2E_PIDS+=($!)
    wait_until 20 guard_on_bus
}
guard_on_bus() { gdbus call --system --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner org.hourgate.Guard1 2>/dev/null | grep -q true; }
stop_guard() { kill "$GUARD_PID"; wait "$GUARD_PID" 2>/dev/null; return 0; }
# as_user USER COMMAND...: the command run as USER, with none of root's groups.
as_user() { setpriv --reuid="$1" --regid="$(id -g "$1")" --clear-groups "${@:2}"; }
# guard_as USER METHOD: the guard's method as USER calls it, with its answer or error.
guard_as() { as_user "$1" gdbus call --system --dest org.hourgate.Guard1 --object-path /org/hourgate/Guard1 \
    --method "org.hourgate.Guard1.$2" 2>&1; }

# A fresh copy of the program (and its print module, when there is one),
# without the data files of an earlier run.
install_program() {
    local module
    module=$(dirname "$HOURGATE_EXE")/hourgate-print.so
    rm -rf "$E2E_APP" && mkdir "$E2E_APP" && cp "$HOURGATE_EXE" "$E2E_APP/hourgate" || return 1
    [ ! -f "$module" ] || cp "$module" "$E2E_APP/"
}
# start_program CLOCK [ARG...]: runs it from its directory (PROGRAM_PID), its
# clock set by libfaketime, e.g. "@2026-12-07 16:00:00" or "@... x60"; an empty
# CLOCK leaves the real one.
start_program() {
    local clock=(env LD_PRELOAD="$FAKETIME_LIB" FAKETIME="$1")
    [ -n "$1" ] || clock=()
    (cd "$E2E_APP" && exec "${clock[@]}" ./hourgate "${@:2}" 2>>"$E2E_STDERR") &
    PROGRAM_PID=$!
    E2E_PIDS+=($!)
}
program_running() { [[ $(ps -o stat= -p "$PROGRAM_PID") == [^Z]* ]]; }
# program_exits_with CODE: in the test's own shell, not in $(...): only the
# parent shell can collect the exit status.
program_exits_with() {
    wait_until 20 eval '! program_running' && { wait "$PROGRAM_PID"; [ $? = "$1" ]; }
}
stop_program() { kill "$PROGRAM_PID" 2>/dev/null; wait "$PROGRAM_PID" 2>/dev/null; return 0; }

# The program's icon docked in the tray host's panel.
tray_icon() { xwininfo -tree -id "$(tray_host)" 2>/dev/null | awk '/"hourgate": \("hourgate" "hourgate"\)/ {print $1}' | grep .; }
# click_tray 1|3, then a pause, so that a next click is not taken for the
# second half of a double click (Qt joins two clicks within ~0.5 s).
click_tray() { xdotool mousemove --window "$(tray_icon)" 11 11 click "$1" && sleep 0.7; }

# visible_window CAPTION: the id of the program's shown window with exactly this
# caption. Only top-level windows: the docked icon, also named hourgate, is
# inside the tray host's panel. Under a window manager, which puts each window
# into a frame of its own, set E2E_WINDOW_DEPTH=2.
visible_window() { xdotool search --maxdepth "${E2E_WINDOW_DEPTH:-1}" --onlyvisible --name "^$1\$" 2>/dev/null | sed -n 1p | grep .; }
window_shown() { visible_window "$1" >/dev/null; }
window_gone() { ! visible_window "$1" >/dev/null; }
focus_window() { xdotool windowfocus --sync "$(visible_window "$1")"; }
wm_close() { /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/wm_close.py" "$(visible_window "$1")"; }
# The text a notice shows, published as its window's icon name.
icon_text() { xprop -id "$1" _NET_WM_ICON_NAME 2>/dev/null | sed -n 's/^[^"]*"\(.*\)"$/\1/p'; }
# An open menu: Qt's popups are the program's only shown top-level windows that
# bypass the window manager (override-redirect).
# (Tests on output, not on exit codes: a reader that stops early would break the
# pipe, and pipefail would count that as a failure.)
popup_menu() {
    [ -n "$(xdotool search --maxdepth 1 --onlyvisible --class hourgate 2>/dev/null |
        while read -r id; do xwininfo -id "$id" | grep 'Override Redirect State: yes'; done)" ]
}

# leave tray|menu PASSWORD: the tray menu's 終了, or File > ｱﾌﾟﾘｹｰｼｮﾝの終了 with
# the window hidden before, then the password typed into the dialog, until it closes.
leave() {
    if [ "$1" = tray ]; then
        click_tray 3 && wait_until 10 popup_menu && xdotool key Down Return
    else
        click_tray 1 && wait_until 10 window_shown hourgate && focus_window hourgate &&
            xdotool key alt+f && wait_until 10 popup_menu && xdotool key x
    fi && wait_until 10 window_shown "Pass Word" && focus_window "Pass Word" &&
        xdotool type --delay 30 "$2" && xdotool key Return && wait_until 10 window_gone "Pass Word"
}

# record FILE [DIR]: a record file (in the program's directory unless DIR
# names another) with its NUL shown as |, e.g. "2026/12/07 16:10 000000| ".
record() { tr '\0' '|' 2>/dev/null <"${2:-$E2E_APP}/$1"; }
record_minutes() { record "$@" | awk -F'[ |]+' '{print $3 + 0}'; }
