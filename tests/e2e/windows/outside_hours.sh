#!/usr/bin/env bash
# A guest outside the allowed hours: the notice naming the hours shows, closes
# itself, and only then is the power-off requested; the program carries on.
# shellcheck source=tests/e2e/windows/e2e-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh" "$@"
e2e_at_hour 3
case $(date +%w) in 0 | 6) from=8 ;; *) from=16 ;; esac # the weekday in the same zone
notice_shown() { [ -n "$(e2e_state notice)" ]; }
requested() { (($(e2e_dry_run_lines) > 0)); }

e2e_start guest
e2e_until 60 notice_shown
user=$(e2e_state user)
check "notice 警告" "${user}さんの使用可能時間は、${from}時から21時までです" "$(e2e_state notice)"
check "no power-off request while it shows" 0 "$(e2e_dry_run_lines)"
e2e_until 60 e2e_has notice=
e2e_until 60 requested
check "then one power-off request" 1 "$(e2e_dry_run_lines)"
check "the program carries on" 1 "$(e2e_state tray)"
