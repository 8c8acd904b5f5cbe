#!/bin/bash
# The tray program on Wayland: weston's headless backend in a private runtime folder, then the
# choice of X11 where both are there (weston beside a private Xvfb). Every power request is a dry run.
# usage: e2e_wayland_test.sh BIN_FOLDER
# Exits 77 (skipped) when weston, Xvfb or xwininfo is missing, or Qt has no Wayland platform.
set -u
bin=$1

source "$(dirname "$0")/e2e_common.sh"
needs weston Xvfb xwininfo
mkdir -p "$XDG_CONFIG_HOME/quelvo"

# weston ends the helper clients it starts itself.
socket=quelvo-test-$$
weston --backend=headless-backend.so --socket="$socket" --idle-time=0 >"$work/weston.log" 2>&1 &
pids+=($!)
if ! wait_for 100 test -S "$XDG_RUNTIME_DIR/$socket"; then
    echo "FAIL: weston did not start"
    cat "$work/weston.log"
    exit 1
fi
export WAYLAND_DISPLAY=$socket

settings=$XDG_CONFIG_HOME/quelvo/settings.ini
start_quelvo() {
    "$bin/quelvo" --dry-run "$@" --folder "$work/events" >"$work/out.$run" 2>"$work/err.$run" &
    quelvo_pid=$!
    pids+=("$quelvo_pid")
}
has_line() { grep -qx "$1" "$work/out.$run"; }
# What the program says on stderr, less a warning Qt 6.4 gives for every tray icon off X11.
complaints() {
    grep -v '^qt.core.qobject.connect: QObject::connect: No such signal QPlatformNativeInterface::systemTrayWindowChanged(QScreen\*)$' \
        "$work/err.$run"
}

# --- Run 1: on Wayland. A stored position and a due event; the window was hidden when it last ran.
run=1
printf '[quelvo/data]\nhide=1\nx=1500\ny=3000\n' >"$settings"
{
    date +'On %a at %I:%M %p, Shut Down, Repeat daily'
    date -d '+1 minute' +'On %a at %I:%M %p, Shut Down, Repeat daily'
} | sed 's/$/\r/' >"$work/events/events.ini"
QT_QPA_PLATFORM=wayland start_quelvo
run1=$quelvo_pid
# The compositor configured the windows, which is when Qt shows them.
if ! wait_for 150 has_line "window: shown frm_main"; then
    if grep -q 'Could not find the Qt platform plugin "wayland"' "$work/err.1"; then
        echo "SKIP: Qt has no Wayland platform (qt6-wayland)"
        exit 77
    fi
    fail "the main window did not appear on Wayland"
fi
wait_for 50 has_line "countdown: open shutdown" || fail "the due event opened no countdown"
wait_for 50 has_line "window: shown frm_shutdown" || fail "the countdown window did not appear on Wayland"

# A later copy asked to show the window ends at once; the running one shows its window, which
# stores hide "0". Without an activation token the compositor need not raise it.
run=2
QT_QPA_PLATFORM=wayland start_quelvo --show
wait_for 100 ended "$quelvo_pid" || fail "a second copy kept running"
wait "$quelvo_pid" || fail "a second copy ended with $?"
wait_for 30 grep -q '^hide=0' "$settings" || fail "the running copy was not asked to show its window"

run=1
ended "$run1" && fail "the program ended on Wayland"
kill "$run1"
wait "$run1" 2>/dev/null
# The window's place is the compositor's: the one remembered from X11 stays as it was.
grep -q '^x=1500$' "$settings" && grep -q '^y=3000$' "$settings" ||
    fail "the stored position changed on Wayland: $(grep -E '^(x|y)=' "$settings")"
[ -z "$(complaints)" ] || fail "the program complained on Wayland: $(complaints)"

# --- Run 3: X11 and Wayland both there, neither chosen: the program takes X11.
start_xvfb
run=3
: >"$work/events/events.ini"
start_quelvo
wait_for 150 has_line "window: shown frm_main" || fail "the main window did not appear with both"
xwininfo -name Quelvo 2>/dev/null | grep -q 'Map State: IsViewable' || fail "the main window is not on X11"

finish "e2e Wayland test" "$work"/out.* "$work"/err.*
