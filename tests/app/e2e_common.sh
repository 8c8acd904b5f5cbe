# What the end-to-end scripts share; sourced, never run. Every process a script starts goes into
# `pids` and is stopped by its id when the script ends; the work folder goes with it.

# needs TOOL...: skips the test (77) when one of them is missing.
needs() {
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIP: $tool is not installed"
            exit 77
        fi
    done
}

work=$(mktemp -d /tmp/quelvo-e2e.XXXXXX)
pids=()
# A script may set before_cleanup to a command that ends what its own started processes started.
before_cleanup=:
cleanup() {
    $before_cleanup
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

# A script that runs a program under Wine keeps the runner's id in `runner`. The runner waits for
# its program before it ends its Wine server, so the program goes first; only the runner's own
# children, by their ids. Such a script sets before_cleanup=stop_runner.
stop_program() {
    local child
    for child in $(pgrep -P "$1"); do
        grep -qa '\.exe' "/proc/$child/cmdline" 2>/dev/null && kill "$child" 2>/dev/null
    done
}
stop_runner() { [ -z "${runner:-}" ] || stop_program "$runner"; }
# in_prefix PROGRAM ARGS...: runs a Windows program beside the runner's, in the prefix it keeps
# (QUELVO_WINE_PREFIX), joining its Wine server.
in_prefix() { WINEPREFIX=$QUELVO_WINE_PREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" wine64 "$@"; }

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

ended() { ! kill -0 "$1" 2>/dev/null; }

# A home of its own, never the real session or system bus, never a real power request.
mkdir -p "$work/home" "$work/config" "$work/data" "$work/cache" "$work/run" "$work/events"
chmod 700 "$work/run"
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
export XDG_STATE_HOME=$work/state
export XDG_RUNTIME_DIR=$work/run
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/quelvo-test-session-bus
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/quelvo-test-bus
export QUELVO_DRY_RUN=1 NO_AT_BRIDGE=1 LANG=C.UTF-8 LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM SESSION_MANAGER
# Xlib and fontconfig keep their caches until the process ends; those are not the program's leaks.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0

# The tray menu as a dry run reports it when it opens, the default entry marked "*".
expected_menu="tray: menu &Show main window|-|&Shut down PC now!|&Forced Shut down now!|-|&Re Boot PC now!|-|"
expected_menu+="&Set new event|-|&Delete an event|-|ShutDown in 5 minutes|ShutDown in 15 minutes|"
expected_menu+="ShutDown in 30 minutes|ShutDown in 60 minutes|-|ReBoot in 5 minutes|ReBoot in 15 minutes|"
expected_menu+="ReBoot in 30 minutes|ReBoot in 60 minutes|-|&About Quelvo!|-|*&Exit"

# Starts a private Xvfb on a display it picks itself and sets DISPLAY; skips when it can't start.
start_xvfb() {
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    if ! wait_for 100 test -s "$work/display"; then
        echo "SKIP: Xvfb did not start"
        cat "$work/xvfb.log"
        exit 77
    fi
    export DISPLAY=:$(head -n1 "$work/display")
}

# finish NAME FILE...: passes, or shows the files and fails.
finish() {
    local name=$1
    shift
    if [ "$failures" -ne 0 ]; then
        for f in "$@"; do
            echo "--- $f"
            cat "$f"
        done
        exit 1
    fi
    echo "$name passed"
}

# start_system_bus POLICY [EXTRA_XML]: a private bus with the system bus's default rules, the
# service's policy file and EXTRA_XML (more <policy> elements), on a socket in the work folder that
# other users reach too; sets DBUS_SYSTEM_BUS_ADDRESS. Fails the script when it does not start.
start_system_bus() {
    chmod 755 "$work"
    cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$work/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <deny own="*"/>
    <deny send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
    <allow receive_type="signal"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus"/>
  </policy>
  ${2:-}
  <include>$1</include>
</busconfig>
CONF
    dbus-daemon --nofork --config-file="$work/bus.conf" 2>"$work/bus.log" &
    pids+=($!)
    if ! wait_for 50 test -S "$work/bus"; then
        echo "FAIL: the bus did not start"
        cat "$work/bus.log"
        exit 1
    fi
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/bus"
}
