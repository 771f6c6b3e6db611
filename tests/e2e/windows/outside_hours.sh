#!/usr/bin/env bash
# The hour rule at start-up: a guest outside the allowed hours sees the notice
# naming the hours, which closes itself after 3 s (or at once on Escape), and
# then the power-off is requested; inside the hours, or for a listed user,
# nothing happens. The time zone is chosen from the real clock so that local
# time falls where each case needs it.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh" "$@"
e2e_start_display

notice_for() {  # the text expected for the local weekday of TZ
    local weekday
    weekday=$(e2e_drive "$1" today | sed -n 's/^weekday=//p')
    if [ "$weekday" = 0 ] || [ "$weekday" = 6 ]; then
        echo "${2}さんの使用可能時間は、8時から21時までです"
    else
        echo "${2}さんの使用可能時間は、16時から21時までです"
    fi
}

probe=$(e2e_new_dir probe)
user=$(e2e_user "$probe")

# 1. Outside the hours, left alone: the notice closes itself, then the request.
export TZ
TZ=$(tz_for 3)
check "local hour chosen" hour=3 "$(e2e_drive "$probe" today | grep '^hour=')"
dir=$(e2e_new_dir alone)
e2e_start "$dir"
pid=$e2e_last_pid
notice=$(e2e_drive "$dir" wait-warning 20000)
check "no power-off request while the notice shows" 0 "$(e2e_dry_run_lines "$dir")"
closed=$(e2e_drive "$dir" wait-no-warning 6000 | sed -n 's/^closed_after_ms=//p')
check "notice caption" "caption=警告" "$(grep '^caption=' <<<"$notice")"
check "notice text" "message=$(notice_for "$dir" "$user")" "$(grep '^message=' <<<"$notice")"
check "notice has no close box" sysmenu=0 "$(grep '^sysmenu=' <<<"$notice")"
check "notice closes itself after about 3 s" yes \
    "$( ((closed >= 2000 && closed <= 4500)) && echo yes || echo "no ($closed ms)")"
e2e_drive "$dir" wait-tray 5000 >/dev/null
sleep 0.5
check "power-off requested once, after the notice" 1 "$(e2e_dry_run_lines "$dir")"
check "the program carries on" yes "$(kill -0 "$pid" 2>/dev/null && echo yes || echo no)"
check "the guest record is still written" yes "$([ -s "$dir/guest.txt" ] && echo yes || echo no)"
kill "$pid"

# 2. Escape and Enter close the notice at once; the request follows all the same.
for key in Escape Return; do
    dir=$(e2e_new_dir "key-$key")
    e2e_start "$dir"
    pid=$e2e_last_pid
    e2e_drive "$dir" wait-warning 20000 >/dev/null
    xdotool key "$key"
    closed=$(e2e_drive "$dir" wait-no-warning 6000 | sed -n 's/^closed_after_ms=//p')
    check "$key closes the notice at once" yes \
        "$( ((closed < 1500)) && echo yes || echo "no ($closed ms)")"
    sleep 0.5
    check "power-off requested after $key" 1 "$(e2e_dry_run_lines "$dir")"
    kill "$pid"
done

# 3. Inside the hours, and 4. a listed user outside them: no notice, no request.
TZ=$(tz_for 18)
inside=$(e2e_new_dir inside)
e2e_start "$inside"
TZ=$(tz_for 3)
listed=$(e2e_new_dir listed)
e2e_exempt_user "$listed"
e2e_start "$listed"
for dir in "$inside" "$listed"; do
    e2e_drive "$dir" wait-frame 20000 -- wait-tray 10000 >/dev/null
done
sleep 4
for dir in "$inside" "$listed"; do
    name=$(basename "$dir")
    check "$name: no notice" no "$(e2e_drive "$dir" wait-warning 0 >/dev/null 2>&1 && echo yes || echo no)"
    check "$name: no power-off request" 0 "$(e2e_dry_run_lines "$dir")"
done
e2e_finish
