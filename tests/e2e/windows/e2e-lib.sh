# shellcheck shell=bash
# Sourced by the Windows whole-program tests and by the run, screenshot and
# measurement scripts: Wine in a prefix of its own with the Japanese locale, a
# private X server with a tray host, and clean-up of every process started
# here, by PID.
#
#   source e2e-lib.sh HOURGATE_EXE [DRIVER_EXE [HOURGATED_EXE]]
set -euo pipefail

e2e_exe=$(realpath "$1")
e2e_driver=${2:+$(realpath "$2")}
e2e_guard_exe=${3:+$(realpath "$3")}
# A prefix of their own: a wineserver kept warm for the unit tests (started
# without a display) leaves a desktop that cannot serve an X display later.
HOURGATE_WINE_ROOT="${TMPDIR:-/tmp}/hourgate-wine-e2e-$(id -u)"
unset WINEPREFIX
# shellcheck source=scripts/wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/wine-env.sh" 2>/dev/null
wine_prepare 2>/dev/null

e2e_work=$(mktemp -d "${TMPDIR:-/tmp}/hourgate-win-e2e.XXXXXX")
e2e_pids=()
e2e_services=()
e2e_failures=0
# A test fails when a check failed or a step did.
e2e_cleanup() {
    local rc=$?
    # Services registered in the prefix would outlive the test there.
    for service in "${e2e_services[@]}"; do
        timeout 60 wine net stop "$service" </dev/null >/dev/null 2>&1 || true
        timeout 60 wine sc delete "$service" </dev/null >/dev/null 2>&1 || true
    done
    for pid in "${e2e_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${e2e_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    # The prefix's wineserver ends by itself once its programs are gone; the
    # next test then gets a desktop on its own display.
    timeout 30 wineserver -w 2>/dev/null || true
    rm -rf "$e2e_work"
    ((rc == 0 && e2e_failures == 0)) || exit 1
}
trap e2e_cleanup EXIT
trap 'exit 143' INT TERM # so that the clean-up runs on a signal too

# e2e_until SECONDS COMMAND...: runs COMMAND until it succeeds. The limit only
# ends a test that would otherwise hang; no check passes by waiting.
e2e_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS <= deadline)) || { echo "FAIL - never came true: $*" && exit 1; }
        sleep 0.05
    done
}

# Xvfb on a display number it picks itself, and trayer as the tray host.
e2e_start_display() {
    e2e_display_up=1
    Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$e2e_work/display" \
        >/dev/null 2>&1 &
    e2e_pids+=("$!")
    e2e_until 60 test -s "$e2e_work/display"
    DISPLAY=":$(tr -d '\n' <"$e2e_work/display")"
    export DISPLAY
    trayer --edge top --align right --widthtype pixel --width 120 --height 24 \
        --SetDockType true >/dev/null 2>&1 &
    e2e_pids+=("$!")
    # trayer maps its panel once it owns the tray selection.
    e2e_until 60 xdotool search --onlyvisible --class '^trayer$' >/dev/null
}

# e2e_start NAME [ARGS...]: a copy of the program in a directory of its own (its
# data files live beside it), run with --dry-run, its output into files there:
# Wine's helpers would keep a pipe open. Sets e2e_dir and e2e_pid.
e2e_start() {
    [ -n "${e2e_display_up:-}" ] || e2e_start_display
    e2e_dir="$e2e_work/$1"
    mkdir -p "$e2e_dir"
    cp "$e2e_exe" "$e2e_dir/hourgate.exe"
    (cd "$e2e_dir" && exec wine hourgate.exe --dry-run "${@:2}" >stdout.txt 2>stderr.txt </dev/null) &
    e2e_pid=$!
    e2e_pids+=("$e2e_pid")
}

# e2e_start_guard NAME: the guard service in a directory of its own, run by hand
# (--console --dry-run, and --sessions-from-callers: Wine lists no sessions),
# its log into guard-stderr.txt there; returns once its pipe answers. Sets
# e2e_guard_dir and e2e_guard_pid.
e2e_start_guard() {
    # The first program of the prefix decides the desktop's display: the display first.
    [ -n "${e2e_display_up:-}" ] || e2e_start_display
    e2e_guard_dir="$e2e_work/$1"
    mkdir -p "$e2e_guard_dir"
    cp "$e2e_guard_exe" "$e2e_guard_dir/hourgated.exe"
    (cd "$e2e_guard_dir" && exec wine hourgated.exe --console --dry-run --sessions-from-callers \
        >guard-stdout.txt 2>guard-stderr.txt </dev/null) &
    e2e_guard_pid=$!
    e2e_pids+=("$e2e_guard_pid")
    e2e_until 60 e2e_guard_up
}
# An unknown request changes nothing and is answered once the pipe is there.
e2e_guard_up() { e2e_drive pipe 'HG1 Hello' >/dev/null; }
e2e_guard_log() { iconv -f CP932 -t UTF-8 "$e2e_guard_dir/guard-stderr.txt" | tr -d '\r'; }
# The minutes the guard's guest record holds.
e2e_guard_minutes() { head -c 23 "$e2e_guard_dir/guest.txt" | tail -c 6 | sed 's/^0*//;s/^$/0/'; }

# e2e_drive COMMAND...: runs the test driver, its output as UTF-8 on ours.
e2e_drive() {
    wine "$e2e_driver" "$@" >"$e2e_work/driver.txt" 2>&1 </dev/null || return 1
    iconv -f CP932 -t UTF-8 "$e2e_work/driver.txt" | tr -d '\r'
}
e2e_state() { e2e_drive state | sed -n "s/^$1=//p"; }
e2e_has() { [ "$(e2e_state "${1%%=*}")" == "${1#*=}" ]; }
e2e_has_figures() { [ -n "$(e2e_state figures)" ]; }
e2e_dry_run_lines() { grep -c '^hourgate: power-off requested (dry run)' "$e2e_dir/stderr.txt" || true; }

# Waits for the program to end and sets e2e_exit to its exit code.
e2e_ended() { ! kill -0 "$e2e_pid" 2>/dev/null; }
# shellcheck disable=SC2034 # e2e_exit is read by the tests
e2e_wait_exit() {
    e2e_until 120 e2e_ended
    e2e_exit=0
    wait "$e2e_pid" || e2e_exit=$?
}

# e2e_at_hour HOUR: sets TZ (POSIX and Windows run-time syntax alike) to a zone
# in which it is now HOUR o'clock; its offset counts west: UTC+9 is HGT-9.
e2e_at_hour() {
    TZ=$(printf 'HGT%+d' $((12 - ($1 - 10#$(date -u +%H) + 36) % 24)))
    export TZ
}

check() { # check DESCRIPTION EXPECTED ACTUAL
    [ "$2" == "$3" ] && echo "ok   - $1" && return
    echo "FAIL - $1: expected [$2], got [$3]" && e2e_failures=$((e2e_failures + 1))
}
