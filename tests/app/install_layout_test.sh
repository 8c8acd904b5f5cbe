#!/usr/bin/env bash
# `cmake --install` of this build into a temporary prefix: the programs and the marker in the
# private folder, links in bin/, the machine service's files inside the prefix, and an installed
# quelvoctl that keeps the schedule in the user's data folder, never beside the programs, even
# though that folder is writable here.
#
# usage: install_layout_test.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: install_layout_test.sh BUILD_DIR}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
    echo "install_layout_test: FAIL: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$tmp/usr" >"$tmp/install.log" || fail "cmake --install failed"
for f in libexec/quelvo/quelvoctl libexec/quelvo/quelvod libexec/quelvo/velmorshutdown libexec/quelvo/velmorlogoff libexec/quelvo/installed \
    share/applications/org.example.quelvo.desktop share/metainfo/org.example.quelvo.metainfo.xml \
    share/icons/hicolor/scalable/apps/quelvo.svg share/man/man1/quelvoctl.1.gz \
    share/bash-completion/completions/quelvoctl lib/systemd/system/quelvo.service \
    share/dbus-1/system.d/org.example.quelvo.Machine.conf share/man/man8/quelvod.8.gz; do
    [ -e "$tmp/usr/$f" ] || fail "$f is not installed"
done
# root's configuration folder stays inside a prefix other than /usr.
[ -d "$tmp/usr/etc/quelvo" ] || fail "etc/quelvo is not inside the prefix"
[ "$(readlink "$tmp/usr/bin/quelvoctl")" = ../libexec/quelvo/quelvoctl ] || fail "bin/quelvoctl is no relative link"
# The service is started by systemd alone, from its private folder.
[ ! -e "$tmp/usr/bin/quelvod" ] || fail "quelvod is linked into bin/"

out=$(env -i HOME="$tmp/home" PATH=/usr/bin:/bin QUELVO_DRY_RUN=1 \
    ASAN_OPTIONS="${ASAN_OPTIONS:-}" "$tmp/usr/bin/quelvoctl" add --days tue --hour 9 --minute 5 --ampm PM --reboot)
[ "$out" = "On Tue at 09:05 PM, Reboot,    Don't repeat" ] || fail "add printed '$out'"
[ -f "$tmp/home/.local/share/quelvo/events.ini" ] || fail "the schedule is not in the user's data folder"
[ ! -e "$tmp/usr/libexec/quelvo/events.ini" ] || fail "the schedule was written beside the installed programs"
echo "install_layout_test: passed"
