#!/usr/bin/env bash
# The two exit commands (tray menu "終了" and File > ｱﾌﾟﾘｹｰｼｮﾝの終了) with every
# kind of answer to the password dialog, checked against the mock logind's
# recorded PowerOff calls, the program's end and its tray icon.
HOURGATE_EXE=${1:?usage: $0 HOURGATE_EXE}
source "$(dirname "$0")/lib.sh"

start_display || exit 1
# A system bus on which nobody answers for logind.
dbus-daemon --session --nofork --address="unix:path=$E2E_TMP/empty_bus_socket" \
    --print-address=3 3>"$E2E_TMP/empty_bus_address" 2>/dev/null &
E2E_PIDS+=($!)
wait_until 10 test -s "$E2E_TMP/empty_bus_address" || exit 1
empty_bus=$(head -n1 "$E2E_TMP/empty_bus_address")
start_logind || exit 1

# Opens the password dialog through one of the two commands.
open_password_dialog() {
    case $1 in
    tray)
        click_tray 3
        wait_until 3 popup_menu >/dev/null || return 1
        xdotool key Down Return
        ;;
    menu)
        click_tray 1
        wait_until 3 window_shown hourgate || return 1
        focus_window hourgate
        xdotool key alt+f
        wait_until 3 popup_menu >/dev/null || return 1
        xdotool key x
        ;;
    esac
    wait_until 5 window_shown "Pass Word"
}

# Answers the dialog: "type:TEXT" types TEXT and presses Enter; "key:KEYS"
# presses keys; "close" uses the close box.
answer_password_dialog() {
    focus_window "Pass Word"
    case $1 in
    type:*)
        [ -n "${1#type:}" ] && xdotool type --delay 30 "${1#type:}"
        xdotool key Return
        ;;
    key:*) xdotool key ${1#key:} ;;
    close) wm_close "$(visible_window "Pass Word")" ;;
    esac
}

# command  answer            CanPowerOff  switch     PowerOff calls  program
cases=(
    "tray  type:LOCK_GATE    yes  -          0  ends"
    "menu  type:LOCK_GATE    yes  -          0  ends"
    "tray  type:lock_gate    yes  -          1  ends"
    "menu  type:LOCK_GATE_   yes  -          1  ends"
    "tray  type:             yes  -          1  ends"
    "tray  key:Escape        yes  -          1  ends"
    "menu  key:Tab_Tab_space yes  -          1  ends"
    "tray  close             yes  -          1  ends"
    "tray  type:wrong        no   -          0  runs"
    "menu  key:Escape        na   -          0  runs"
    "tray  type:wrong        nobus -         0  runs"
    "menu  type:wrong        nologind -      0  runs"
    "tray  type:wrong        yes  --dry-run  0  ends"
    "tray  type:LOCK_GATE    yes  --dry-run  0  ends"
)

for row in "${cases[@]}"; do
    read -r command answer can switch expected outcome <<<"$row"
    answer=${answer//_Tab/ Tab}
    answer=${answer//_space/ space}
    [ "$answer" = type:LOCK_GATE_ ] && answer="type:LOCK_GATE "
    log "$command, answer '$answer', CanPowerOff $can, switch $switch"

    install_program
    mock ClearCalls >/dev/null
    mock AddMethod org.freedesktop.login1.Manager CanPowerOff '' s "ret = '$can'" >/dev/null
    args=()
    [ "$switch" = - ] || args+=("$switch")
    bus=$DBUS_SYSTEM_BUS_ADDRESS
    # A system bus that cannot be reached (never the machine's real one).
    [ "$can" = nobus ] && bus="unix:path=$E2E_TMP/no-such-bus"
    [ "$can" = nologind ] && bus=$empty_bus
    # Twenty times faster, so that the usage timer visibly runs on afterwards.
    DBUS_SYSTEM_BUS_ADDRESS=$bus start_program "@2026-12-07 16:10:00 x20" "${args[@]}"
    wait_until 10 tray_icon >/dev/null || { check "the icon docks" false; stop_program; continue; }

    check "the password dialog opens" open_password_dialog "$command"
    [ "$command$answer" = "traytype:wrong" ] && [ "$can" = yes ] && screenshot linux-password
    answer_password_dialog "$answer"
    check "the password dialog closes" wait_until 5 window_gone "Pass Word"

    if [ "$outcome" = ends ]; then
        check "the program ends with exit code 0" program_exits_with 0
        check "its tray icon is removed" eval '! tray_icon'
    else
        sleep 1
        check "the program keeps running" program_running
        check "its tray icon stays" tray_icon
        minutes=$(record_minutes guest.txt)
        check "its usage timer keeps counting" \
            wait_until 10 eval '[ "$(record_minutes guest.txt)" -gt "$minutes" ]'
        stop_program
    fi
    check "logind received $expected PowerOff request(s)" eval '[ "$(poweroff_count)" = "$expected" ]'
    if [ "$switch" = --dry-run ]; then
        want=$([ "$answer" = type:LOCK_GATE ] && echo 0 || echo 1)
        check "the dry run reported $want request(s) on standard error" \
            eval '[ "$(dry_run_lines)" = "$want" ]'
    fi
done
e2e_finish
