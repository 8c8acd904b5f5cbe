#!/bin/bash
# The tray program on Wayland: weston's headless backend in a private runtime folder, then the
# choice of X11 where both are there (weston beside a private Xvfb). Every power request is a dry run.
# usage: e2e_wayland_test.sh BIN_FOLDER
# Exits 77 (skipped) when weston, Xvfb or xwininfo is missing, or Qt has no Wayland platform.
set -u
bin=$1

for tool in weston Xvfb xwininfo; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d /tmp/quelvo-wayland.XXXXXX)
pids=()
cleanup() {
    # Only what this script started, by its own process ids; weston ends its own helpers.
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
    local tenths=$1
    shift
    for ((i = 0; i < tenths; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    "$@"
}

# A home of its own, never the real session or system bus, never a real power request.
mkdir -p "$work/home" "$work/config/quelvo" "$work/data" "$work/cache" "$work/run" "$work/events"
chmod 700 "$work/run"
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
export XDG_RUNTIME_DIR=$work/run
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/quelvo-test-session-bus
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/quelvo-test-bus
export QUELVO_DRY_RUN=1 NO_AT_BRIDGE=1 LANG=C.UTF-8 LC_ALL=C.UTF-8
unset DISPLAY QT_QPA_PLATFORM
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0

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
ended() { ! kill -0 "$1" 2>/dev/null; }
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
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
if ! wait_for 100 test -s "$work/display"; then
    echo "FAIL: Xvfb did not start"
    cat "$work/xvfb.log"
    exit 1
fi
export DISPLAY=:$(head -n1 "$work/display")
run=3
: >"$work/events/events.ini"
start_quelvo
wait_for 150 has_line "window: shown frm_main" || fail "the main window did not appear with both"
xwininfo -name Quelvo 2>/dev/null | grep -q 'Map State: IsViewable' || fail "the main window is not on X11"

if [ "$failures" -ne 0 ]; then
    for f in "$work"/out.* "$work"/err.*; do
        echo "--- $f"
        cat "$f"
    done
    exit 1
fi
echo "e2e Wayland test passed"
