# Sourced by every Windows end-to-end test: a private X server with a tray host,
# the program copied into a private directory (its data files live beside it),
# the test driver, and clean-up of every process the test started, by PID.
#
#   source e2e-lib.sh HOURGATE_EXE DRIVER_EXE
set -euo pipefail

e2e_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
e2e_repo=$(cd "$e2e_here/../../.." && pwd)
e2e_hourgate_build=$(realpath "$1")
e2e_driver_build=$(realpath "$2")
# A Wine prefix of their own: a wineserver kept warm for the unit tests (started
# without a display) leaves a desktop that cannot serve an X display later.
HOURGATE_WINE_ROOT="${TMPDIR:-/tmp}/hourgate-wine-e2e-$(id -u)"
unset WINEPREFIX
# shellcheck source=scripts/wine-env.sh
source "$e2e_repo/scripts/wine-env.sh" 2>/dev/null
wine_prepare 2>/dev/null
# Debian's Wine does not look into /usr/share/wine/fonts; without Marlett in the
# prefix the caption buttons of every window show letters instead of symbols.
if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi

e2e_work=$(mktemp -d "${TMPDIR:-/tmp}/hourgate-win-e2e.XXXXXX")
e2e_pids=()
e2e_failures=0

e2e_cleanup() {
    local pid
    for ((i = ${#e2e_pids[@]} - 1; i >= 0; i--)); do
        pid=${e2e_pids[i]}
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${e2e_pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    # Let this prefix's wineserver end (it does so by itself once the programs
    # are gone), so the next test starts with a desktop on its own display.
    timeout 30 wineserver -w 2>/dev/null || true
    rm -rf "$e2e_work"
}
trap e2e_cleanup EXIT
trap 'exit 143' INT TERM  # so that the clean-up runs on a signal too

# Starts Xvfb on a free display (it picks the number itself) and a tray host.
e2e_start_display() {
    local fd_file="$e2e_work/display"
    : >"$fd_file"
    Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$fd_file" >/dev/null 2>&1 &
    e2e_pids+=($!)
    for _ in $(seq 100); do
        [ -s "$fd_file" ] && break
        sleep 0.05
    done
    [ -s "$fd_file" ] || { echo "Xvfb did not start"; exit 1; }
    export DISPLAY=":$(tr -d '\n' <"$fd_file")"
    trayer --edge top --align right --widthtype pixel --width 120 --height 24 \
        --SetDockType true >/dev/null 2>&1 &
    e2e_pids+=($!)
    sleep 0.3
}

# e2e_new_dir NAME: a directory for one copy of the program; echoes its path.
e2e_new_dir() {
    local dir="$e2e_work/$1"
    mkdir -p "$dir"
    cp "$e2e_hourgate_build" "$dir/hourgate.exe"
    echo "$dir"
}

# The Windows path under which Wine shows a Unix path.
e2e_winpath() { echo "Z:${1//\//\\}"; }

# e2e_start DIR [ARGS...]: runs DIR/hourgate.exe --dry-run ARGS in the background,
# standard output and error into DIR/stdout.txt and DIR/stderr.txt (files, never
# pipes: Wine's helpers would keep a pipe open). Sets e2e_last_pid.
e2e_start() {
    local dir=$1
    shift
    (cd "$dir" && exec wine "$dir/hourgate.exe" --dry-run "$@" >"$dir/stdout.txt" \
        2>"$dir/stderr.txt" </dev/null) &
    e2e_last_pid=$!
    e2e_pids+=("$e2e_last_pid")
}

# e2e_drive DIR COMMAND...: runs the driver against DIR's program; prints its
# output converted to UTF-8; fails when the driver fails.
e2e_drive() {
    local dir=$1
    shift
    local out err
    out=$(mktemp "$e2e_work/driver.XXXXXX")
    err=$(mktemp "$e2e_work/driver.XXXXXX")
    if ! wine "$e2e_driver_build" "$(e2e_winpath "$dir/hourgate.exe")" "$@" >"$out" 2>"$err" \
        </dev/null; then
        iconv -f CP932 -t UTF-8 "$err" >&2 || cat "$err" >&2
        iconv -f CP932 -t UTF-8 "$out" >&2 || true
        return 1
    fi
    iconv -f CP932 -t UTF-8 "$out" | tr -d '\r'
}

# e2e_wait_exit PID SECONDS: waits for the program to end and sets e2e_exit to its
# exit code, or to "running" when it did not end in time. Not in a subshell: only
# this shell can collect the exit code of its child.
e2e_wait_exit() {
    local pid=$1 limit=$2
    e2e_exit=running
    for _ in $(seq $((limit * 20))); do
        if ! kill -0 "$pid" 2>/dev/null; then
            e2e_exit=0
            wait "$pid" || e2e_exit=$?
            return 0
        fi
        sleep 0.05
    done
}

# tz_for LOCAL_HOUR: a time zone (POSIX and Windows run-time syntax alike) in
# which it is now LOCAL_HOUR o'clock.
tz_for() {
    local offset=$(($1 - 10#$(date -u +%H)))
    ((offset > 12)) && offset=$((offset - 24))
    ((offset < -12)) && offset=$((offset + 24))
    # The offset counts west of Greenwich: UTC+9 is "HGT-9".
    if ((offset >= 0)); then echo "HGT-$offset"; else echo "HGT+$((-offset))"; fi
}

e2e_dry_run_lines() { grep -c '^hourgate: power-off requested (dry run)' "$1/stderr.txt" || true; }

e2e_user() { e2e_drive "$1" user | sed -n 's/^user=//p'; }

# The exemption list with the Wine user in it, so the hour rule does not apply.
e2e_exempt_user() { printf '%s\r\n' "$(e2e_user "$1")" >"$1/Hourgate.ini"; }

check() {  # check DESCRIPTION EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then
        echo "ok   - $1"
    else
        echo "FAIL - $1: expected [$2], got [$3]"
        e2e_failures=$((e2e_failures + 1))
    fi
}

e2e_finish() {
    if [ "$e2e_failures" -ne 0 ]; then
        echo "$e2e_failures check(s) failed"
        exit 1
    fi
    echo "all checks passed"
}
