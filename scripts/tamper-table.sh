#!/usr/bin/env bash
# shellcheck disable=SC2016 # code passed to sh -c and eval, to expand when it runs
# Tries the tricks a limited user could play on Hourgate, once in standalone
# mode (the tray program alone) and once in guarded mode (hourgated), and
# prints a Markdown table of which ones gain time. For docs/linux.md.
#
# Usage (as root, on a test machine or container where systemd does not run):
#   scripts/tamper-table.sh
# It builds and installs the package, creates two throwaway accounts (hgkid, a
# guest; hglisted, listed in Hourgate.ini) and removes them at the end; the
# records and Hourgate.ini found before are put back (or the package purged,
# if it was not installed). Everything runs on a private display and a private
# system bus with a mock logind, the programs with --dry-run and an hour of
# program time passing in a minute (libfaketime x60). Takes about 7 minutes;
# TAMPER_TRICKS="kill tz ..." tries only those rows (names in the list below),
# TAMPER_SESSION_SECONDS (default 5) sets the length of each part of a session.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
[ "$(id -u)" = 0 ] || { echo "run as root: it installs the package and creates users"; exit 1; }
# The installed guard must never be started for real, nor a real bus reached.
if [ -d /run/systemd/system ] || [ -S /run/dbus/system_bus_socket ]; then
    echo "refusing: systemd or a system bus runs here; use a test container"
    exit 1
fi

# The package keeps the records here, the list in /etc/hourgate.
HG=/var/lib/hourgate
ETC=/etc/hourgate
SESSION_SECONDS=${TAMPER_SESSION_SECONDS:-5}
# shellcheck source=tests/e2e/linux/lib.sh
source tests/e2e/linux/lib.sh
# lib.sh's record helpers then read the installed records.
E2E_APP=$HG
# The accounts must reach their homes, the bus and the display.
chmod 0755 "$E2E_TMP"

was_installed=$(dpkg-query -W -f='${db:Status-Abbrev}' hourgate 2>/dev/null)
tamper_cleanup() {
    kill "${E2E_PIDS[@]}" 2>/dev/null
    wait "${E2E_PIDS[@]}" 2>/dev/null
    E2E_PIDS=()
    userdel -r hgkid &>/dev/null
    userdel -r hglisted &>/dev/null
    if [ "$was_installed" = "ii " ]; then
        rm -f "$HG"/*.txt && cp -a "$E2E_TMP/saved/." "$HG/"
    else
        dpkg -P hourgate >/dev/null
    fi
    e2e_cleanup
}
trap tamper_cleanup EXIT

echo "building and installing the package" >&2
mkdir "$E2E_TMP/deb" "$E2E_TMP/saved" && cp -a "$HG"/*.txt "$E2E_TMP/saved/" 2>/dev/null
{ cmake --preset linux && cmake --build --preset linux &&
    cpack --config build/linux/CPackConfig.cmake -B "$E2E_TMP/deb" &&
    dpkg -i --force-confdef --force-confold "$E2E_TMP"/deb/hourgate_*.deb </dev/null; } >/dev/null || exit 1
for user in hgkid hglisted; do
    useradd -m -d "$E2E_TMP/$user" -s /bin/sh "$user" || exit 1
    install -d -o "$user" -m 0700 "$E2E_TMP/$user/run"
done
echo hglisted >"$ETC/Hourgate.ini"

# The system bus: its default rules, the installed guard policy and logind's.
mkdir "$E2E_TMP/policy.d" && cp tests/packaging/system-bus.conf "$E2E_TMP/" &&
    cp /usr/share/dbus-1/system.d/org.hourgate.Guard1.conf /usr/share/dbus-1/system.d/org.freedesktop.login1.conf \
        "$E2E_TMP/policy.d/" || exit 1
dbus-daemon --config-file="$E2E_TMP/system-bus.conf" --address="unix:path=$E2E_TMP/system_bus" \
    --nofork --print-address=3 3>"$E2E_TMP/bus" 2>/dev/null &
E2E_PIDS+=($!)
wait_until 20 test -s "$E2E_TMP/bus" || exit 1
DBUS_SYSTEM_BUS_ADDRESS=$(head -n1 "$E2E_TMP/bus")
/usr/bin/python3 -m dbusmock --system --template logind >"$E2E_TMP/logind.log" 2>&1 &
E2E_PIDS+=($!)
{ wait_until 20 poweroffs >/dev/null && start_display; } || { echo "no mock logind or no display"; exit 1; }

# in_session USER: AS, the command prefix that runs a command as that user in
# a session's environment. Started in the background as "${AS[@]}" COMMAND &,
# $! is the command's own process, which the user may signal.
in_session() {
    local home=$E2E_TMP/$1
    AS=(setpriv --reuid="$1" --regid="$1" --init-groups env -i HOME="$home" USER="$1" PATH=/usr/bin:/bin
        DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$home/run" DBUS_SESSION_BUS_ADDRESS=disabled:
        DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SYSTEM_BUS_ADDRESS" QT_QPA_PLATFORM=xcb TZ="$TZ")
}
as() { in_session "$1" && "${AS[@]}" "${@:2}"; }
# The installed guard as systemd would run it: root, the unit's capabilities only.
start_installed_guard() {
    local caps
    caps=$(sed -n 's/^CapabilityBoundingSet=//p' /lib/systemd/system/hourgated.service |
        tr 'A-Z ' 'a-z\n' | sed 's/^cap_/+/' | paste -sd,)
    setpriv --bounding-set "-all,$caps" --inh-caps -all --no-new-privs \
        env LD_PRELOAD="$FAKETIME_LIB" FAKETIME="@2026-12-07 $1 x60" /usr/sbin/hourgated --dry-run 2>"$E2E_TMP/guard.log" &
    GUARD_PID=$!
    E2E_PIDS+=($!)
    wait_until 20 guard_on_bus
}

# logon MODE USER CLOCK [ENV...]: the session logind announces (guarded mode),
# then the tray program its autostart entry starts, unless the user's own
# entry of that name hides it (as XDG session managers do).
SESSION=0
logon() {
    SESSION=$((SESSION + 1))
    [ "$1" != guarded ] || session_new "s$SESSION" "$(id -u "$2")" "$2"
    LOGON_AT=$EPOCHREALTIME
    TRAY_PID=
    ! grep -qx 'Hidden=true' "$E2E_TMP/$2/.config/autostart/hourgate.desktop" 2>/dev/null || return 0
    in_session "$2"
    "${AS[@]}" env LD_PRELOAD="$FAKETIME_LIB" FAKETIME="@2026-12-07 $3 x60" "${@:4}" \
        /usr/bin/hourgate --dry-run 2>>"$E2E_TMP/tray.log" &
    TRAY_PID=$!
    E2E_PIDS+=($!)
}
# logoff MODE: the session's processes end; USED_MINUTES adds its length
# (a second is a minute).
logoff() {
    [ -z "$TRAY_PID" ] || { kill -KILL "$TRAY_PID"; wait "$TRAY_PID"; } 2>/dev/null
    USED_MINUTES=$(awk -v a="$LOGON_AT" -v b="$EPOCHREALTIME" -v u="$USED_MINUTES" 'BEGIN {print u + b - a}')
    [ "$1" != guarded ] || session_removed "s$SESSION"
}

# The records as each mode keeps them, 30 minutes used today: standalone as
# docs/linux.md sets them up (guest.txt for everyone, a listed user's own);
# guarded as the package and the guard leave them (root's, 0600).
reset_records() {
    local record
    for record in guest hglisted; do
        rm -f "$HG/$record.txt" && printf '2026/12/07 16:00 000030\0 ' >"$HG/$record.txt" &&
            chmod 0600 "$HG/$record.txt"
    done
    if [ "$1" = standalone ]; then
        chmod 0666 "$HG/guest.txt" && chown hglisted "$HG/hglisted.txt" && chmod 0644 "$HG/hglisted.txt"
    fi
    rm -rf "$E2E_TMP"/hg*/.config/autostart
}

# The record a user's minutes go to: a guest's are everyone's guest.txt.
record_of() { if [ "$1" = hglisted ]; then echo hglisted.txt; else echo guest.txt; fi; }

# trick NAME USER WHEN: what the user does before logging on, during the first
# session or between the two sessions.
trick() {
    local record
    record=$(record_of "$2")
    case "$1:$3" in
    kill:during) [ -z "$TRAY_PID" ] || { as "$2" kill -KILL "$TRAY_PID" && wait "$TRAY_PID"; } 2>/dev/null ;;
    stop:during) [ -z "$TRAY_PID" ] || as "$2" kill -STOP "$TRAY_PID" ;;
    killguard:during) as "$2" kill -KILL "$GUARD_PID" ;;
    hidden:before)
        as "$2" mkdir -p "$E2E_TMP/$2/.config/autostart" &&
            as "$2" sh -c 'printf "[Desktop Entry]\nType=Application\nName=hourgate\nHidden=true\n" >"$1"' \
                _ "$E2E_TMP/$2/.config/autostart/hourgate.desktop" ;;
    truncate:between) as "$2" truncate -s 0 "$HG/$record" ;;
    smaller:between) as "$2" sh -c 'printf "2026/12/07 16:00 000001\0 " 1<>"$1"' _ "$HG/$record" ;;
    chmod:during) as "$2" chmod 0444 "$HG/$record" ;;
    rm:between) as "$2" rm -f "$HG/$record" ;;
    symlink:between) as "$2" ln -sf /dev/null "$HG/$record" ;;
    flock:before)
        in_session "$2"
        "${AS[@]}" bash -c 'exec 9<>"$1" && flock -x 9 && exec sleep 600' _ "$HG/$record" &
        TRICK_PIDS+=($!) ;;
    esac
    return 0
}
# session_env NAME: what the trick puts into the session's environment.
# (libfaketime reads its start in the program's zone: 15:30 in Tokyo is 17:30
# in UTC+11, the same moment.)
session_env() {
    case "$1" in
    slowclock) echo "FAKETIME=@2026-12-07 16:05:00 x6" ;;
    tz) printf '%s\n' TZ=Etc/GMT-11 "FAKETIME=@2026-12-07 17:30:00 x60" ;;
    esac
}

# count_trial MODE NAME USER: two sessions of the user around the trick; the
# time is "gained" when the record counts at least 5 minutes fewer than were
# used.
count_trial() {
    local before env
    COUNTED=0 TRICK_PIDS=()
    reset_records "$1"
    [ "$1" != guarded ] || start_installed_guard 16:05:00 || { echo "the guard did not start" >&2; return 2; }
    mapfile -t env < <(session_env "$2")
    USED_MINUTES=0
    before=$(record_minutes "$(record_of "$3")")
    trick "$2" "$3" before
    logon "$1" "$3" 16:05:00 "${env[@]}"
    sleep "$SESSION_SECONDS"
    trick "$2" "$3" during
    sleep "$SESSION_SECONDS"
    logoff "$1"
    trick "$2" "$3" between
    logon "$1" "$3" 16:30:00 "${env[@]}"
    sleep "$SESSION_SECONDS"
    logoff "$1"
    { kill "${TRICK_PIDS[@]}" && wait "${TRICK_PIDS[@]}"; } 2>/dev/null
    [ "$1" != guarded ] || stop_guard
    # (The symlink, if the trick could make one, counts as an empty record.)
    COUNTED=$(($(record_minutes "$(record_of "$3")") - before))
    awk -v used="$USED_MINUTES" -v counted="$COUNTED" 'BEGIN {exit !(used - counted >= 5)}'
}
# hours_trial MODE NAME: a guest logs on at 15:30 (guests may start at 16:00);
# the time is "gained" when no power-off is requested: by the tray program
# alone, or by the guard in guarded mode (whatever the tray program does).
hours_trial() {
    local env log=$E2E_TMP/tray.log
    reset_records "$1"
    [ "$1" != guarded ] || log=$E2E_TMP/guard.log
    : >"$E2E_TMP/tray.log"
    [ "$1" != guarded ] || start_installed_guard 15:29:00 || { echo "the guard did not start" >&2; return 2; }
    mapfile -t env < <(session_env "$2")
    USED_MINUTES=0
    logon "$1" hgkid 15:30:00 "${env[@]}"
    sleep "$SESSION_SECONDS"
    logoff "$1"
    [ "$1" != guarded ] || stop_guard
    ! grep -q 'power-off requested (dry run)' "$log"
}
# The guard's name: only root may own it, whether the guard runs or not.
name_trial() {
    [[ $(as hgkid gdbus call --address "$DBUS_SYSTEM_BUS_ADDRESS" --dest org.freedesktop.DBus \
        --object-path /org/freedesktop/DBus --method org.freedesktop.DBus.RequestName org.hourgate.Guard1 4 2>&1) != *AccessDenied* ]]
}

# run MODE NAME USER: one cell of the table, in OUTCOME.
run() {
    case "$2" in
    tz | tz-baseline) hours_trial "$1" "$2" ;;
    name) name_trial ;;
    *) count_trial "$1" "$2" "$3" ;;
    esac
    case $? in
    0) OUTCOME="gained time" ;;
    1) OUTCOME=blocked ;;
    *) OUTCOME="(no result)" ;;
    esac
    case "$2" in
    tz*) echo "  $1 $2: $OUTCOME" >&2 ;;
    name) ;;
    *) echo "  $1 $2: used ${USED_MINUTES%.*} min, counted $COUNTED: $OUTCOME" >&2 ;;
    esac
}

rows=(
    "kill|kill the tray program (\`kill -KILL\`; any signal that ends it)|hgkid"
    "stop|freeze the tray program (\`kill -STOP\`)|hgkid"
    "hidden|\`Hidden=true\` in ~/.config/autostart/hourgate.desktop|hgkid"
    "slowclock|a slower clock in the session (libfaketime preloaded)|hgkid"
    "tz|\`TZ\` in the session's environment (a guest at 15:30)|hgkid"
    "truncate|truncate guest.txt, log on again|hgkid"
    "smaller|write a smaller count into guest.txt, log on again|hgkid"
    "flock|hold a lock (\`flock\`) on guest.txt|hgkid"
    "chmod|\`chmod 0444\` on one's own record (a listed user)|hglisted"
    "rm|delete guest.txt|hgkid"
    "symlink|replace guest.txt with a symbolic link|hgkid"
    "name|own \`org.hourgate.Guard1\` on the system bus first|hgkid"
    "killguard|kill the guard (\`hourgated\`)|hgkid"
)
table="| Trick (as a limited user) | standalone | guarded |"$'\n'"|---|---|---|"
for mode in standalone guarded; do
    echo "$mode: checking the harness" >&2
    # Without a trick, nothing is gained: the count follows the use, and a
    # guest is powered off outside the allowed hours.
    run "$mode" baseline hgkid
    counted=$OUTCOME
    run "$mode" tz-baseline hgkid
    if [ "$counted" != blocked ] || [ "$OUTCOME" != blocked ]; then
        echo "$mode: the count or the hours are not enforced without a trick; no table" >&2
        exit 1
    fi
done
for row in "${rows[@]}"; do
    IFS='|' read -r name label user <<<"$row"
    [[ " ${TAMPER_TRICKS:-$name} " == *" $name "* ]] || continue
    echo "$label" >&2
    cells=()
    for mode in standalone guarded; do
        if [ "$mode:$name" = standalone:killguard ]; then cells+=("— (no guard)"); continue; fi
        run "$mode" "$name" "$user"
        cells+=("$OUTCOME")
    done
    table+=$'\n'"| $label | ${cells[0]} | ${cells[1]} |"
done
echo "$table"
