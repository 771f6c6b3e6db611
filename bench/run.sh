#!/usr/bin/env bash
# The resident cost of Hourgate against a bare tray program of the same shape
# (bench/bare_tray_*.cpp, built with the same flags), both measured in the same
# run, interleaved, so that the machine's load falls on both alike. Prints each
# figure as hourgate's and the bare program's median (min-max) and their ratio,
# the median (min-max) of the per-pair ratios, and the goal it is held to.
#
# Usage: bench/run.sh [linux] [guard] [guard10] [windows]
#                            (linux, guard and windows when none is named;
#                            guard10 takes about 17 minutes a pair, 3 pairs)
#   BENCH_PAIRS=N            pairs per figure (default 10; the guard's at most 3)
#   BENCH_IDLE_SECONDS=S     the idle window for CPU and wake-ups (default 180)
#   BENCH_GUARD10_HOURS=H    program hours of the ten-user run (default 8)
#   BENCH_HOURGATE_LINUX=EXE, BENCH_HOURGATE_WINDOWS=EXE
#                            measure another build of the program (an older
#                            commit's, say) against this tree's bare programs
#
# Linux runs the real clock, no libfaketime: its faked file times make
# fontconfig rescan every font at each start. Both programs run in dry-run mode
# from directories of their own, with the login name in the exemption list so
# that no hour notice comes up. Takes about five minutes per platform.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
PAIRS=${BENCH_PAIRS:-10}
IDLE=${BENCH_IDLE_SECONDS:-180}
RESULTS=$(mktemp "${TMPDIR:-/tmp}/hourgate-bench.XXXXXX")
trap 'rm -f "$RESULTS"' EXIT

# result LABEL UNIT GOAL HOURGATE BARE: one pair's figure, for the summary.
result() { printf '%s|%s|%s|%s|%s\n' "$@" >>"$RESULTS"; }
now_ns() { date +%s%N; }
rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
# utime + stime in ms, from the kernel's 10 ms ticks: the figure the goal of
# 20 ms an hour was set in (it misses short bursts that fall between ticks).
tick_ms() { awk -v hz="$(getconf CLK_TCK)" '{print int(($14 + $15) * 1000 / hz)}' "/proc/$1/stat"; }
# On-CPU time of all the process's threads in ns (the scheduler's own
# account, not the 10 ms ticks of /proc/PID/stat).
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%d\n", s}'; }
# Each time a thread stops waiting and runs it is switched in; a blocking
# wait ends in a voluntary switch, a preemption in an involuntary one, so
# their sum over all threads counts the process's wake-ups.
switches() {
    cat /proc/"$1"/task/*/status 2>/dev/null |
        awk '/^(non)?voluntary_ctxt_switches:/ {s += $2} END {print s}'
}

bench_linux() {
    cmake --preset linux >/dev/null && cmake --build --preset linux --target bench >/dev/null || return 1
    HOURGATE_EXE=${BENCH_HOURGATE_LINUX:-$PWD/build/linux/hourgate}
    local bare=$PWD/build/linux/bench/bare_tray
    # shellcheck source=tests/e2e/linux/lib.sh
    source tests/e2e/linux/lib.sh
    start_display || { echo "no display with a tray host"; return 1; }
    local user
    user=$(id -un)

    # place NAME EXE: a directory of its own; the bare program also takes the
    # name hourgate there, so that its docked icon is found alike.
    place() {
        mkdir -p "$E2E_TMP/$1" && cp "$2" "$E2E_TMP/$1/hourgate" && echo "$user" >"$E2E_TMP/$1/Hourgate.ini"
    }
    # launch NAME: starts it (PROGRAM_PID) with the real clock.
    launch() { E2E_APP=$E2E_TMP/$1 E2E_STDERR=$E2E_TMP/$1/stderr.log start_program "" --dry-run; }
    # startup NAME: sets MS to the time from start to the docked tray icon and
    # CPU_MS to the CPU time the program used until then. Polls the panel with
    # one command, so that the poll's own cost blurs the time little.
    local panel
    panel=$(tray_host)
    docked() { xwininfo -tree -id "$panel" 2>/dev/null | grep -q '"hourgate": ("hourgate" "hourgate")'; }
    startup() {
        local t0 deadline=$((SECONDS + 20))
        t0=$(now_ns)
        launch "$1"
        until docked; do
            [ "$SECONDS" -lt "$deadline" ] || { echo "$1: no tray icon"; return 1; }
        done
        MS=$((($(now_ns) - t0) / 1000000))
        CPU_MS=$(awk -v ns="$(cpu_ns "$PROGRAM_PID")" 'BEGIN {printf "%.1f", ns / 1e6}')
    }
    local names=(hourgate bare) exes=("$HOURGATE_EXE" "$bare") i k name
    for k in 0 1; do place "${names[k]}" "${exes[k]}"; done
    # One unmeasured start each: font and page caches are warm for both.
    for name in "${names[@]}"; do
        startup "$name" || return 1
        stop_program
    done

    echo "linux: start-up and memory, $PAIRS pairs" >&2
    local -A ms cpu_start rss
    for ((i = 0; i < PAIRS; i++)); do
        for k in $((i % 2)) $((1 - i % 2)); do
            name=${names[k]}
            startup "$name" || return 1
            ms[$name]=$MS cpu_start[$name]=$CPU_MS
            sleep 2
            rss[$name]=$(rss_kib "$PROGRAM_PID")
            stop_program
            wait_until 5 eval '! docked'
        done
        result "linux: start-up to the docked tray icon" ms "ratio<=1.20" "${ms[hourgate]}" "${ms[bare]}"
        result "linux: CPU time to the docked tray icon" ms "-" "${cpu_start[hourgate]}" "${cpu_start[bare]}"
        result "linux: resident memory after start" KiB "ratio<=1.10" "${rss[hourgate]}" "${rss[bare]}"
    done

    # The idle figures: all pairs at once, each program in a directory of its
    # own, over one real-clock window after they have settled.
    echo "linux: CPU and wake-ups over ${IDLE} s idle, $PAIRS pairs at once" >&2
    local pids=() cpu0=() sw0=() tick0=() cpu=() wake=() ticks=() rss_end=()
    for ((i = 0; i < PAIRS; i++)); do
        for k in 0 1; do
            place "${names[k]}$i" "${exes[k]}"
            launch "${names[k]}$i"
            pids+=("$PROGRAM_PID")
        done
    done
    sleep 15
    for k in "${!pids[@]}"; do
        cpu0[k]=$(cpu_ns "${pids[k]}") sw0[k]=$(switches "${pids[k]}") tick0[k]=$(tick_ms "${pids[k]}")
    done
    sleep "$IDLE"
    for k in "${!pids[@]}"; do
        cpu[k]=$(awk -v ns=$(($(cpu_ns "${pids[k]}") - cpu0[k])) -v s="$IDLE" 'BEGIN {printf "%.2f", ns * 3600 / s / 1e6}')
        wake[k]=$((($(switches "${pids[k]}") - sw0[k]) * 60))
        ticks[k]=$((($(tick_ms "${pids[k]}") - tick0[k]) * 3600 / IDLE))
        rss_end[k]=$(rss_kib "${pids[k]}")
    done
    for ((i = 0; i < PAIRS; i++)); do
        result "linux: CPU per resident hour, utime+stime (from ${IDLE} s)" ms "value<=20 ratio<=2.0" \
            "${ticks[2 * i]}" "${ticks[2 * i + 1]}"
        result "linux: CPU per resident hour, scheduler's count (from ${IDLE} s)" ms "ratio<=2.0" \
            "${cpu[2 * i]}" "${cpu[2 * i + 1]}"
        result "linux: wake-ups per minute, idle" "/min" "value<=2.5" \
            "$(awk -v n="${wake[2 * i]}" -v s="$IDLE" 'BEGIN {printf "%.2f", n / s}')" \
            "$(awk -v n="${wake[2 * i + 1]}" -v s="$IDLE" 'BEGIN {printf "%.2f", n / s}')"
        result "linux: resident memory after the idle window" KiB "ratio<=1.10" \
            "${rss_end[2 * i]}" "${rss_end[2 * i + 1]}"
    done
    kill "${pids[@]}" 2>/dev/null
}

# The guard service with two users at the machine (two seats, both sessions
# active), an hour of program time a minute (libfaketime x60), against a bare
# Qt service on the same bus under the same clock. Pairs run one after the other:
# there is one guard name per bus.
bench_guard() {
    cmake --preset linux >/dev/null && cmake --build --preset linux --target bench >/dev/null || return 1
    local guard=${BENCH_HOURGATED:-$PWD/build/linux/hourgated} bare=$PWD/build/linux/bench/bare_service
    # shellcheck source=tests/e2e/linux/lib.sh
    source tests/e2e/linux/lib.sh
    start_logind || { echo "no mock logind"; return 1; }
    mkdir -p "$E2E_APP" && printf 'taro\nhanako\n' >"$E2E_APP/Hourgate.ini"
    # Two users at two seats, each session the active one of its seat.
    session_new g1 1001 taro && mock AddSession g2 seat1 1002 hanako true >/dev/null &&
        session_signal SessionNew g2 || return 1
    local pairs=$((PAIRS < 3 ? PAIRS : 3)) i k pid cpu0 tick0
    local names=(hourgated bare) exes=("$guard" "$bare")
    echo "linux: the guard over 60 s (an hour at x60) with two users, $pairs pairs" >&2
    for ((i = 0; i < pairs; i++)); do
        local -A cpu=() ticks=() rss=()
        for k in 0 1; do
            cp "${exes[k]}" "$E2E_APP/${names[k]}"
            (cd "$E2E_APP" && exec env LD_PRELOAD="$FAKETIME_LIB" FAKETIME="@2026-12-07 16:00:00 x60" \
                "./${names[k]}" --dry-run 2>>"$E2E_STDERR") &
            pid=$!
            sleep 5
            cpu0=$(cpu_ns "$pid") tick0=$(tick_ms "$pid")
            sleep 60
            cpu[$k]=$(awk -v ns=$(($(cpu_ns "$pid") - cpu0)) 'BEGIN {printf "%.2f", ns / 1e6}')
            ticks[$k]=$(($(tick_ms "$pid") - tick0))
            rss[$k]=$(rss_kib "$pid")
            kill "$pid" && wait "$pid" 2>/dev/null
        done
        result "linux guard: CPU per program hour, utime+stime" ms "-" "${ticks[0]}" "${ticks[1]}"
        result "linux guard: CPU per program hour, scheduler's count" ms "-" "${cpu[0]}" "${cpu[1]}"
        result "linux guard: resident memory, two users" KiB "-" "${rss[0]}" "${rss[1]}"
    done
    grep -q 'taro: session active' "$E2E_STDERR" || { echo "the guard counted nobody"; return 1; }
}

# The guard service with ten users logged on at one seat, one session active at
# a time and the seat switched to the next user every program minute, over eight
# program hours (libfaketime x60: eight real minutes), against the bare Qt
# service on the same bus under the same clock, one after the other in each
# pair, each first in turn. Resident memory is read at the end of every program
# hour, so that growth shows. Half the users are on the exemption list, half are
# guests; the clock starts on a Saturday at 8:00, so that the guests' hours
# (8:00-21:00) and quota (270 minutes; they use about 245) hold all run long.
# With BENCH_GUARD10_SWITCH=0 nobody switches: the first user alone is counted,
# which tells the cost of the switches from that of the guard itself.
bench_guard10() {
    cmake --preset linux >/dev/null && cmake --build --preset linux --target bench >/dev/null || return 1
    local guard=${BENCH_HOURGATED:-$PWD/build/linux/hourgated} bare=$PWD/build/linux/bench/bare_service
    # shellcheck source=tests/e2e/linux/lib.sh
    source tests/e2e/linux/lib.sh
    start_logind || { echo "no mock logind"; return 1; }
    local users=(taro hanako jiro yumi saburo keiko shiro naomi goro sachiko) n
    for n in "${!users[@]}"; do
        mock AddSession "s$n" seat0 $((1001 + n)) "${users[n]}" "$([ "$n" = 0 ] && echo true || echo false)" \
            >/dev/null && session_signal SessionNew "s$n" || return 1
    done
    # switch_to FROM TO: the seat goes from one session to the other as logind
    # switches it, in one go: the old session's Active, the new one's, then the
    # seat's ActiveSession (which the bus keeps from the guard, following only
    # the sessions). FROM may be empty.
    mock AddMethod org.hourgate.Bench SwitchTo ss "" "S = '/org/freedesktop/login1/session/'
if args[0]: objects[S + args[0]].UpdateProperties('org.freedesktop.login1.Session', {'Active': dbus.Boolean(False)})
objects[S + args[1]].UpdateProperties('org.freedesktop.login1.Session', {'Active': dbus.Boolean(True)})
objects['/org/freedesktop/login1/seat/seat0'].Set('org.freedesktop.login1.Seat', 'ActiveSession',
    dbus.Struct((args[1], dbus.ObjectPath(S + args[1]))))" >/dev/null || return 1
    switch_to() {
        gdbus call --address "$DBUS_SYSTEM_BUS_ADDRESS" --dest org.freedesktop.login1 \
            --object-path /org/freedesktop/login1 --method org.hourgate.Bench.SwitchTo "$1" "$2" >/dev/null
    }
    # sleep_until NS: until now_ns reaches NS; at once when it is past.
    sleep_until() {
        local left=$(($1 - $(now_ns)))
        [ "$left" -le 0 ] || sleep "$(awk -v ns="$left" 'BEGIN {printf "%.3f", ns / 1e9}')"
    }
    switch_to "" s0 || return 1
    local switching=${BENCH_GUARD10_SWITCH:-1} counted=${#users[@]} label="linux guard10"
    [ "$switching" = 1 ] || counted=1 label="linux guard10, no switch"
    # The seat goes to the next user once a real second, a program minute, all run long.
    [ "$switching" != 1 ] || (
        t=$(now_ns) n=0
        while :; do
            t=$((t + 1000000000))
            sleep_until "$t"
            switch_to "s$n" "s$(((n + 1) % ${#users[@]}))" || exit 1
            n=$(((n + 1) % ${#users[@]}))
        done
    ) &
    E2E_PIDS+=($!)
    local hours=${BENCH_GUARD10_HOURS:-8} pairs=$((PAIRS < 3 ? PAIRS : 3)) i k h name dir pid t0 cpu0 tick0 samples log
    local names=(hourgated bare) exes=("$guard" "$bare")
    echo "linux: the guard over $hours program hours (x60) with ten users at one seat, $pairs pairs" >&2
    for ((i = 0; i < pairs; i++)); do
        local -A cpu=() ticks=() first=() last=()
        for k in $((i % 2)) $((1 - i % 2)); do
            name=${names[k]} dir=$E2E_TMP/guard10-${names[k]}$i
            mkdir -p "$dir" && cp "${exes[k]}" "$dir/$name" &&
                printf '%s\n' taro jiro saburo shiro goro >"$dir/Hourgate.ini"
            (cd "$dir" && exec env LD_PRELOAD="$FAKETIME_LIB" FAKETIME="@2026-12-12 08:00:00 x60" \
                "./$name" --dry-run 2>>"$dir/stderr.log") &
            pid=$!
            sleep 5
            cpu0=$(cpu_ns "$pid") tick0=$(tick_ms "$pid") t0=$(now_ns) samples=()
            for ((h = 1; h <= hours; h++)); do
                sleep_until $((t0 + h * 60000000000))
                samples+=("$(rss_kib "$pid")")
            done
            kill -0 "$pid" 2>/dev/null || { echo "$name ended early"; return 1; }
            cpu[$name]=$(awk -v ns=$(($(cpu_ns "$pid") - cpu0)) -v h="$hours" 'BEGIN {printf "%.2f", ns / h / 1e6}')
            ticks[$name]=$((($(tick_ms "$pid") - tick0) / hours))
            first[$name]=${samples[0]} last[$name]=${samples[hours - 1]}
            echo "  $name: KiB resident at the end of each program hour: ${samples[*]}" >&2
            kill "$pid" && wait "$pid" 2>/dev/null
        done
        log=$E2E_TMP/guard10-hourgated$i/stderr.log
        n=$(grep -c ': session active, count started' "$log")
        echo "  hourgated: $n users counted, $(grep -c ': session active, count resumed' "$log") counts resumed," \
            "$(grep -c 'power-off requested' "$log") power-offs requested" >&2
        [ "$n" = "$counted" ] || { echo "the guard counted $n users, not $counted"; return 1; }
        result "$label: CPU per program hour, utime+stime" ms "ratio<=1.20" "${ticks[hourgated]}" "${ticks[bare]}"
        result "$label: CPU per program hour, scheduler's count" ms "ratio<=1.20" \
            "${cpu[hourgated]}" "${cpu[bare]}"
        result "$label: resident memory, program hour 1" KiB "ratio<=1.20" \
            "${first[hourgated]}" "${first[bare]}"
        result "$label: resident memory, program hour $hours" KiB "ratio<=1.20" \
            "${last[hourgated]}" "${last[bare]}"
        result "$label: resident memory growth, hour 1 to $hours" KiB "value<=0" \
            $((last[hourgated] - first[hourgated])) $((last[bare] - first[bare]))
    done
}

bench_windows() {
    cmake --preset windows >/dev/null && cmake --build --preset windows --target bench >/dev/null || return 1
    local exe=${BENCH_HOURGATE_WINDOWS:-build/windows/hourgate.exe}
    local bare=build/windows/bench/bare_tray.exe
    local measure
    measure=$(realpath build/windows/bench/hg_measure.exe)
    # shellcheck source=tests/e2e/windows/e2e-lib.sh
    source tests/e2e/windows/e2e-lib.sh "$exe"
    set +e
    local names=(hourgate bare) exes=("$exe" "$bare") classes=(HourgateFrame BareTrayFrame)
    local k i
    for k in 0 1; do x86_64-w64-mingw32-strip -o "$e2e_work/${names[k]}.exe" "${exes[k]}"; done
    result "windows: exe size, stripped" B "value<=184320" \
        "$(stat -c %s "$e2e_work/hourgate.exe")" "$(stat -c %s "$e2e_work/bare.exe")"

    e2e_start_display
    local user out dir
    user=$(wine cmd /c 'echo %USERNAME%' </dev/null 2>/dev/null | tr -d '\r')
    echo "windows: start-up and memory under Wine, $PAIRS pairs" >&2
    local -A ms mem
    # Pair 0 is not counted: it warms Wine's and the page caches for both.
    for ((i = 0; i <= PAIRS; i++)); do
        for k in $((i % 2)) $((1 - i % 2)); do
            dir="$e2e_work/${names[k]}$i"
            mkdir -p "$dir" && cp "${exes[k]}" "$dir/program.exe"
            printf '%s\r\n' "$user" >"$dir/Hourgate.ini"
            wine "$measure" "Z:${dir//\//\\}\\program.exe" "${classes[k]}" >"$dir/measure.txt" 2>&1 </dev/null
            out=$(tr -d '\r' <"$dir/measure.txt")
            ms[${names[k]}]=$(sed -n 's/^startup_to_tray_ms=//p' <<<"$out")
            mem[${names[k]}]=$(($(sed -n 's/^committed_private_bytes=//p' <<<"$out") / 1024))
            [ -n "${ms[${names[k]}]}" ] || { echo "${names[k]}: $out"; return 1; }
        done
        ((i > 0)) || continue
        result "windows: start-up to the tray icon (Wine)" ms "ratio<=1.20" "${ms[hourgate]}" "${ms[bare]}"
        result "windows: committed private memory (Wine)" KiB "ratio<=1.20" "${mem[hourgate]}" "${mem[bare]}"
    done
    # The guard service, run by hand (--console, dry run, --sessions-from-callers) with one user counted
    # (under Wine the first caller's session is that user's), against a bare
    # service of the same shape: a message-only window, a timer, the pipe.
    local gnames=(hourgated bare) gexes=(build/windows/hourgated.exe build/windows/bench/bare_service.exe)
    x86_64-w64-mingw32-strip -o "$e2e_work/hourgated.exe" "${gexes[0]}"
    x86_64-w64-mingw32-strip -o "$e2e_work/bare_service.exe" "${gexes[1]}"
    result "windows guard: exe size, stripped" B "-" \
        "$(stat -c %s "$e2e_work/hourgated.exe")" "$(stat -c %s "$e2e_work/bare_service.exe")"
    echo "windows: the guard service under Wine, $PAIRS pairs" >&2
    for ((i = 0; i <= PAIRS; i++)); do
        for k in $((i % 2)) $((1 - i % 2)); do
            dir="$e2e_work/guard-${gnames[k]}$i"
            mkdir -p "$dir" && cp "${gexes[k]}" "$dir/program.exe"
            # Under Wine a service now and then never answers its pipe: that
            # pair is dropped, not the whole run.
            timeout 60 wine "$measure" "Z:${dir//\//\\}\\program.exe" --guard >"$dir/measure.txt" 2>&1 </dev/null
            out=$(tr -d '\r' <"$dir/measure.txt")
            ms[${gnames[k]}]=$(sed -n 's/^startup_to_pipe_ms=//p' <<<"$out")
            mem[${gnames[k]}]=$(sed -n 's/^committed_private_bytes=//p' <<<"$out")
            if [ -z "${ms[${gnames[k]}]}" ] || [ -z "${mem[${gnames[k]}]}" ]; then
                echo "guard ${gnames[k]}: no answer, pair $i dropped: $out" >&2
                pkill -f 'program.exe' || true
                continue 2
            fi
            mem[${gnames[k]}]=$((mem[${gnames[k]}] / 1024))
        done
        ((i > 0)) || continue
        result "windows guard: start-up to the pipe's answer (Wine)" ms "-" "${ms[hourgated]}" "${ms[bare]}"
        result "windows guard: committed private memory, one user (Wine)" KiB "-" \
            "${mem[hourgated]}" "${mem[bare]}"
    done
}

failed=0
platforms=("$@")
[ ${#platforms[@]} -gt 0 ] || platforms=(linux guard windows)
for platform in "${platforms[@]}"; do
    case $platform in
    linux) (bench_linux) || { echo "the Linux benchmark failed"; failed=1; } ;;
    guard) (bench_guard) || { echo "the guard benchmark failed"; failed=1; } ;;
    guard10) (bench_guard10) || { echo "the ten-user guard benchmark failed"; failed=1; } ;;
    windows) (bench_windows) || { echo "the Windows benchmark failed"; failed=1; } ;;
    *) echo "usage: bench/run.sh [linux] [guard] [guard10] [windows]"; exit 2 ;;
    esac
done
/usr/bin/python3 bench/summarize.py <"$RESULTS"
exit "$failed"
