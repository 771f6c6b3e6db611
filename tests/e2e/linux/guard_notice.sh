#!/usr/bin/env bash
# shellcheck disable=SC2016 # checks pass code to eval, to expand when it runs
# In guarded mode the user sees the hour notice before the power-off: the
# guard's request to logind comes only after the tray program's notice has
# closed. Real time, the allowed hours ending half a minute after the start.
HOURGATE_EXE=${1:?usage: $0 HOURGATE_EXE HOURGATED_EXE}
HOURGATED_EXE=${2:?usage: $0 HOURGATE_EXE HOURGATED_EXE}
# shellcheck source=tests/e2e/linux/lib.sh
source "$(dirname "$0")/lib.sh"
{ start_display && start_logind; } || exit 1
start_at="@2026-12-07 20:59:40"
start_guard "$start_at" --dry-run
session_new c1 0 root
install_program
start_program "$start_at" --dry-run
check "the icon docks" wait_until 20 tray_icon
now_ms() { date +%s%3N; }
# Polls until the guard requests the power-off; notes when the notice was last on screen.
shown_last=0 shown=0
until grep -q 'power-off requested' "$GUARD_DIR/stderr.log"; do
    if window_shown 警告; then shown=1 shown_last=$(now_ms); fi
    ((SECONDS < 90)) || break
    sleep 0.05
done
requested=$(now_ms)
check "the hour notice was shown" test "$shown" = 1
check "the power-off was requested after the notice closed ($((requested - shown_last)) ms later)" \
    eval "[ $((requested - shown_last)) -ge 0 ] && ! window_shown 警告"
e2e_finish
