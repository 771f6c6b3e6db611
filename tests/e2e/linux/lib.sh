# Shared set-up for the whole-program tests: a private X display with a tray
# host, a private system bus with a mock logind, and the program copied into a
# directory of its own. Everything started here is stopped by its PID on exit.
# Sourced by the test scripts; needs HOURGATE_EXE (the built program).

set -uo pipefail

E2E_PIDS=()
E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/hourgate-e2e.XXXXXX")
E2E_FAILURES=0
E2E_CHECKS=0
export TZ=${E2E_TZ:-Asia/Tokyo}
# xprop and xdotool read and match the Japanese captions and texts only in a
# UTF-8 locale; C.UTF-8 exists on every Debian system.
export LC_ALL=C.UTF-8
# Qt's file dialogs remember their state under $HOME: keep it inside the test.
export HOME=$E2E_TMP/home XDG_CONFIG_HOME=$E2E_TMP/home/.config
mkdir -p "$HOME"
# Until a test starts its mock logind, the system bus is one that does not exist:
# nothing run from here may ever reach the machine's real logind.
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$E2E_TMP/no-system-bus"

e2e_cleanup() {
    local i
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        kill "${E2E_PIDS[i]}" 2>/dev/null || true
    done
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        wait "${E2E_PIDS[i]}" 2>/dev/null || true
    done
    if [ "${E2E_KEEP:-0}" = 1 ]; then
        echo "kept $E2E_TMP"
    else
        rm -rf "$E2E_TMP"
    fi
}
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

log() { echo "[$(date +%T)] $*"; }

# check DESCRIPTION COMMAND...: one assertion; the test fails at the end if any did.
check() {
    local what=$1
    shift
    E2E_CHECKS=$((E2E_CHECKS + 1))
    if "$@" >/dev/null; then
        echo "  ok   $what"
    else
        echo "  FAIL $what"
        E2E_FAILURES=$((E2E_FAILURES + 1))
    fi
}

e2e_finish() {
    echo "$((E2E_CHECKS - E2E_FAILURES)) passed, $E2E_FAILURES failed"
    [ "$E2E_FAILURES" -eq 0 ]
}

# wait_until SECONDS COMMAND...: polls every 0.1 s.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    while ! "$@"; do
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.1
    done
    return 0
}

# Starts Xvfb on a free display (it picks the number itself) and a tray host.
start_display() {
    local fifo=$E2E_TMP/displayfd
    : >"$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" 2>"$E2E_TMP/xvfb.log" &
    E2E_PIDS+=($!)
    wait_until 10 test -s "$fifo" || { echo "Xvfb did not start"; return 1; }
    export DISPLAY=":$(head -n1 "$fifo")"
    export QT_QPA_PLATFORM=xcb
    export XDG_RUNTIME_DIR=$E2E_TMP/runtime
    mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
    # Without this, libdbus would autolaunch a session bus that outlives the test.
    export DBUS_SESSION_BUS_ADDRESS=disabled:
    local attempt
    for attempt in 1 2; do
        trayer --edge top --align right --widthtype pixel --width 120 --height 24 \
            --SetDockType true >>"$E2E_TMP/trayer.log" 2>&1 &
        E2E_PIDS+=($!)
        wait_until 15 tray_host_window >/dev/null && return 0
        kill "$!" 2>/dev/null
    done
    echo "trayer did not start on $DISPLAY:"
    cat "$E2E_TMP/trayer.log" "$E2E_TMP/xvfb.log"
    return 1
}

tray_host_window() { xdotool search --onlyvisible --name '^panel$' 2>/dev/null | head -n1 | grep .; }

# Starts a private bus as the system bus, with a mock logind on it.
# $1: JSON parameters for the logind template, e.g. '{"CanPowerOff": "no"}'.
start_logind() {
    local params=${1:-'{}'}
    local address=$E2E_TMP/system_bus_address
    dbus-daemon --session --nofork --address="unix:path=$E2E_TMP/system_bus_socket" \
        --print-address=3 3>"$address" 2>"$E2E_TMP/dbus.log" &
    E2E_PIDS+=($!)
    wait_until 10 test -s "$address" || { echo "dbus-daemon did not start"; return 1; }
    export DBUS_SYSTEM_BUS_ADDRESS=$(head -n1 "$address")
    /usr/bin/python3 -m dbusmock --system --template logind -p "$params" \
        >"$E2E_TMP/logind.log" 2>&1 &
    E2E_PIDS+=($!)
    wait_until 10 mock GetMethodCalls PowerOff >/dev/null 2>&1 || { echo "mock logind did not start"; return 1; }
}

mock() {
    gdbus call --address "$DBUS_SYSTEM_BUS_ADDRESS" --dest org.freedesktop.login1 \
        --object-path /org/freedesktop/login1 --method "org.freedesktop.DBus.Mock.$1" "${@:2}"
}

# Number of PowerOff(false) requests: the non-interactive form is the only one sent.
poweroff_count() {
    local out
    out=$(mock GetMethodCalls PowerOff 2>/dev/null) || { echo "?"; return 1; }
    grep -o '\[<false>\]' <<<"$out" | wc -l
}

E2E_APP=$E2E_TMP/app
E2E_STDERR=$E2E_APP/stderr.log
FAKETIME_LIB=${FAKETIME_LIB:-/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1}

# A fresh copy of the program in a directory of its own: its data files live
# beside it. Removes the data files of an earlier run.
install_program() {
    rm -rf "$E2E_APP"
    mkdir -p "$E2E_APP"
    cp "$HOURGATE_EXE" "$E2E_APP/hourgate"
}

# start_program "FAKETIME" [ARG...]: runs the program from its directory with
# the clock set by libfaketime, e.g. "@2026-12-07 16:00:00" or "@... x60".
start_program() {
    local clock=$1
    shift
    (cd "$E2E_APP" && exec env LD_PRELOAD="$FAKETIME_LIB" FAKETIME="$clock" \
        ./hourgate "$@" 2>>"$E2E_STDERR") &
    PROGRAM_PID=$!
    E2E_PIDS+=("$PROGRAM_PID")
}

program_running() {
    local state
    state=$(ps -o stat= -p "$PROGRAM_PID" 2>/dev/null) || return 1
    [[ $state != Z* ]]
}
program_ended() { ! program_running; }

# program_exits_with CODE [SECONDS]: waits for the program to end and tells
# whether its exit code is CODE. Must run in the test's own shell (not inside
# $(...)): only the parent shell can collect a child's exit status.
program_exits_with() {
    wait_until "${2:-10}" program_ended || return 1
    local code=0
    wait "$PROGRAM_PID" || code=$?
    [ "$code" = "$1" ]
}

stop_program() {
    kill "$PROGRAM_PID" 2>/dev/null
    wait "$PROGRAM_PID" 2>/dev/null
    return 0
}

# The program's tray icon window, when it is docked in the tray host's panel.
tray_icon() {
    local panel
    panel=$(tray_host_window) || return 1
    xwininfo -tree -id "$panel" 2>/dev/null |
        awk '/"hourgate": \("hourgate" "hourgate"\)/ {print $1; exit}' | grep .
}

# click_tray 1|3: a press and release on the icon, then a pause long enough that
# the next click is not taken for the second half of a double click.
click_tray() {
    local icon
    icon=$(tray_icon) || return 1
    xdotool mousemove --window "$icon" 11 11 click "$1"
    sleep 0.7
}

# visible_window NAME: the id of the program's shown top-level window with that
# exact caption (the tray icon, also named hourgate, is not one).
visible_window() {
    local icon id
    icon=$(tray_icon 2>/dev/null || echo none)
    for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        [ "$(printf '0x%x' "$id")" = "$icon" ] && continue
        echo "$id"
        return 0
    done
    return 1
}
window_shown() { visible_window "$1" >/dev/null; }
window_gone() { ! visible_window "$1" >/dev/null; }

# The text a notice shows, published as its window's icon name.
icon_text() {
    xprop -id "$1" _NET_WM_ICON_NAME 2>/dev/null | sed -n 's/^_NET_WM_ICON_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'
}

record() { cat "$E2E_APP/$1" 2>/dev/null | tr '\0' '|'; }
# The minutes field of a record file.
record_minutes() { record "$1" | awk '{print $3 + 0}' FS='[ |]+'; }
seed_record() { printf '%s\0 ' "$2" >"$E2E_APP/$1"; }

dry_run_lines() { grep -c '^hourgate: power-off requested (dry run)$' "$E2E_STDERR" 2>/dev/null; }

screenshot() {
    [ -n "${E2E_SCREENSHOTS:-}" ] || return 0
    mkdir -p "$E2E_SCREENSHOTS"
    import -window root "$E2E_SCREENSHOTS/$1.png" 2>/dev/null
}

wm_close() { /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/wm_close.py" "$1"; }

# The shown popup menu of the program: an override-redirect window of its class
# other than the tray icon (docked icons are override-redirect too).
popup_menu() {
    local id icon
    icon=$(tray_icon 2>/dev/null || echo none)
    for id in $(xdotool search --onlyvisible --class hourgate 2>/dev/null); do
        [ "$(printf '0x%x' "$id")" = "$icon" ] && continue
        xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: yes' && { echo "$id"; return 0; }
    done
    return 1
}
popup_gone() { ! popup_menu >/dev/null; }

focus_window() {
    local id
    id=$(visible_window "$1") || return 1
    xdotool windowfocus --sync "$id"
}
