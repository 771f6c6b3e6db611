#!/usr/bin/env bash
# shellcheck disable=SC2016 # checks pass code to eval, to expand when it runs
# The .deb's life on a machine, in a directory of its own (dpkg --root, the
# maintainer scripts run chrootless with DPKG_ROOT): a 1.1 package built from
# the last commit with the layout under /opt, with a record of today and an
# exemption list in place; the upgrade to this build's package (files moved,
# counts kept); remove (configuration and state kept, the autostart entry
# inert); purge (nothing left). Nothing is started: there is no systemd there.
BUILD_DIR=${1:?usage: $0 BUILD_DIR}
[ "$(id -u)" = 0 ] || { echo "skipped: installing packages needs root"; exit 77; }
SRC=$(cd "$(dirname "$0")/../.." && pwd)
# The last commit that made 1.1.0.0, with everything under /opt/hourgate.
OLD=${HOURGATE_OLD_COMMIT:-57309a8}
# shellcheck source=tests/e2e/linux/lib.sh
source "$SRC/tests/e2e/linux/lib.sh"

old_deb=$BUILD_DIR/deb-1.1/hourgate_1.1.0.0_amd64.deb
if [ ! -f "$old_deb" ]; then
    git -C "$SRC" cat-file -e "$OLD^{commit}" 2>/dev/null || { echo "skipped: no commit $OLD"; exit 77; }
    mkdir -p "$E2E_TMP/old" && git -C "$SRC" archive "$OLD" | tar -x -C "$E2E_TMP/old" || exit 1
    # Its maintainer scripts as they were, but able to run outside a chroot
    # (DPKG_ROOT), as debhelper's are: this machine's systemd and bus stay out of it.
    sed -i -e 's|^dir=/opt/hourgate|dir=${DPKG_ROOT:-}/opt/hourgate|' \
        -e 's|if \[ -S /run/dbus|if [ -z "${DPKG_ROOT:-}" ] \&\& [ -S /run/dbus|' \
        -e 's|if \[ -d /run/systemd/system \]|if [ -z "${DPKG_ROOT:-}" ] \&\& [ -d /run/systemd/system ]|' \
        "$E2E_TMP"/old/packaging/post* "$E2E_TMP"/old/packaging/prerm &&
        cmake -S "$E2E_TMP/old" -B "$E2E_TMP/old/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DBUILD_TESTING=OFF >/dev/null &&
        cmake --build "$E2E_TMP/old/build" --target hourgate hourgated hourgate_print hourgate_changelog >/dev/null &&
        cpack --config "$E2E_TMP/old/build/CPackConfig.cmake" -B "$BUILD_DIR/deb-1.1" >/dev/null || exit 1
fi
cpack --config "$BUILD_DIR/CPackConfig.cmake" -B "$E2E_TMP/deb" >/dev/null || exit 1
new_deb=$(ls "$E2E_TMP"/deb/hourgate_*.deb)

root=$E2E_TMP/root
mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info" && touch "$root/var/lib/dpkg/status"
pkg() { DPKG_ROOT=$root dpkg --root="$root" --force-script-chrootless --force-depends \
    --force-not-root --log=/dev/null "$@" >>"$E2E_TMP/dpkg.log" 2>&1; }
listing() { (cd "$root" && find . \( -path ./var/lib/dpkg -o -path ./var/lib/systemd -o -path ./usr/share \) -prune \
    -o -type f -print | sort | xargs); }

check "1.1 installs under /opt" pkg -i "$old_deb"
printf 'taro\n' >"$root/opt/hourgate/Hourgate.ini"
printf '2026/12/07 16:05 000042\0 ' >"$root/opt/hourgate/guest.txt"
printf '2026/12/07 16:05 000017\0 ' >"$root/opt/hourgate/taro.txt"
chmod 0600 "$root"/opt/hourgate/*.txt  # as the 1.1 guard keeps them
check "the upgrade installs" pkg -i "$new_deb"
check "the programs are under /usr, the configuration in /etc, the state in /var/lib" eval '[ "$(listing)" = \
    "./etc/hourgate/Hourgate.ini ./etc/xdg/autostart/hourgate.desktop ./lib/systemd/system/hourgated.service ./usr/bin/hourgate ./usr/lib/hourgate/hourgate-print.so ./usr/sbin/hourgatectl ./usr/sbin/hourgated ./var/lib/hourgate/guest.txt ./var/lib/hourgate/taro.txt" ]'
check "today's counts and the list came along" eval '[ "$(record guest.txt "$root/var/lib/hourgate")" = "2026/12/07 16:05 000042| " ] &&
    [ "$(record taro.txt "$root/var/lib/hourgate")" = "2026/12/07 16:05 000017| " ] && [ "$(cat "$root/etc/hourgate/Hourgate.ini")" = taro ]'
check "the records are root's and 0600, the list 0644" eval '[ "$(stat -c "%U %a" "$root"/var/lib/hourgate/taro.txt "$root"/etc/hourgate/Hourgate.ini | xargs)" = "root 600 root 644" ]'
check "nothing is left under /opt" test ! -e "$root/opt/hourgate"
check "every program has its manual page" eval 'for page in man1/hourgate.1 man8/hourgated.8 man8/hourgatectl.8; do
    man -l "$root/usr/share/man/$page.gz" 2>&1 >/dev/null | grep . && exit 1; [ -n "$(man -l "$root/usr/share/man/$page.gz" 2>/dev/null)" ] || exit 1; done'
check "remove keeps the configuration and the records" eval 'pkg -r hourgate && [ -s "$root/var/lib/hourgate/guest.txt" ] && [ -f "$root/etc/hourgate/Hourgate.ini" ]'
check "the autostart entry left behind starts nothing" eval '[ ! -e "$root/usr/bin/hourgate" ] && grep -qx "TryExec=/usr/bin/hourgate" "$root/etc/xdg/autostart/hourgate.desktop"'
check "purge leaves nothing" eval 'pkg -P hourgate && [ -z "$(listing)" ] && [ -z "$(cd "$root" && find usr etc var/lib/hourgate -mindepth 1 ! -type d 2>/dev/null)" ]'
e2e_finish
