#!/usr/bin/env bash
# The tray program end to end, in dry runs only: started under its own Xvfb with libfaketime a few
# seconds before the events of a fixture schedule, it must open the countdown as the minute starts,
# make the power request ten seconds later, end by itself, drop the one-off line and lower-case the
# rest. Then a restart within the minute that fired must fire nothing, and changes quelvoctl makes
# while the program runs count from the next minute on. Last, a hundred idle connections held open to
# the program's socket, with few descriptors to spare, stop neither a later copy's knock nor a firing,
# and a warning through a notification service on a private session bus puts an event off.
#
# usage: e2e_schedule_test.sh BIN_DIR               the test (exit 0 pass, 1 fail, 77 skipped)
#        e2e_schedule_test.sh BIN_DIR --measure N   N timed runs; prints the countdown's delays
set -uo pipefail

bin=${1:?usage: e2e_schedule_test.sh BIN_DIR [--measure N]}
measure=0
if [ "${2:-}" = "--measure" ]; then
    measure=${3:-10}
fi

faketime_lib=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
lead=5 # seconds of fake time before the event minute starts

if ! command -v Xvfb >/dev/null 2>&1; then
    echo "e2e: Xvfb is missing; skipped"
    exit 77
fi
if [ ! -r "$faketime_lib" ]; then
    echo "e2e: libfaketime is missing; skipped"
    exit 77
fi
if [ ! -x "$bin/quelvo" ]; then
    echo "e2e: no quelvo in $bin" >&2
    exit 1
fi

tmp=$(mktemp -d)
xpid=""
qpid=""
fpid=""
npid=""
cleanup() {
    # Only what this script started, by PID.
    if [ -n "$npid" ]; then kill "$npid" 2>/dev/null; fi
    if [ -n "$fpid" ]; then kill "$fpid" 2>/dev/null; fi
    if [ -n "$qpid" ]; then kill "$qpid" 2>/dev/null; fi
    if [ -n "$xpid" ]; then kill "$xpid" 2>/dev/null; fi
    wait 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

failures=0
fail() {
    echo "e2e: FAIL: $*"
    failures=$((failures + 1))
}

# ---- The X server: a free display chosen by Xvfb itself, reachable only locally, with a cookie.
cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
# A wildcard entry (no address, no display number) fits whichever display Xvfb picks.
auth=()
if printf 'ffff 0000 0000 0012 %s 0010 %s\n' "$(printf 'MIT-MAGIC-COOKIE-1' | od -An -tx1 | tr -d ' \n')" "$cookie" |
    xauth -q -f "$tmp/Xauthority" nmerge - 2>/dev/null; then
    export XAUTHORITY="$tmp/Xauthority"
    auth=(-auth "$tmp/Xauthority")
fi
Xvfb -displayfd 3 -nolisten tcp "${auth[@]}" -screen 0 1280x800x24 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xpid=$!
for _ in $(seq 100); do
    [ -s "$tmp/display" ] && break
    sleep 0.1
done
if [ ! -s "$tmp/display" ]; then
    echo "e2e: Xvfb did not start; skipped"
    cat "$tmp/xvfb.log"
    exit 77
fi
display=":$(head -n1 "$tmp/display")"

# ---- One run of the program.
# prepare NAME: a fresh home with its own settings, data and lock folders.
prepare() {
    home="$tmp/$1"
    mkdir -p "$home/config/quelvo" "$home/data" "$home/events"
    mkdir -m 700 -p "$home/runtime"
}

# settings LINES...: the whole settings.ini.
settings() {
    { echo "[quelvo/data]"; printf '%s\n' "$@"; } >"$home/config/quelvo/settings.ini"
}

# events LINES...: the whole events.ini, CR LF.
events() {
    printf '%s\r\n' "$@" >"$home/events/events.ini"
}

alive() {
    local state
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

# launch "YYYY-MM-DD HH:MM:SS" [ZONE [moving]]: starts quelvo on a fake clock showing that second (UTC)
# now, in the time zone ZONE (default UTC), with at most $nofile descriptors when that is set. The fake clock is the real one shifted by whole seconds, so
# its second boundaries keep the real clock's random phase to the program's start, as in real use; the
# monotonic clock stays real. With "moving" the shift is read from a file at every reading, so that
# move_to can set the clock while the program runs. Every stdout line is logged with the real time it
# was read, as seconds after the whole real second that showed as the given one.
launch() {
    log="$home/stdout.log"
    : >"$log"
    local t0 fake limit=()
    if [ -n "${nofile:-}" ]; then
        limit=(prlimit --nofile="$nofile")
    fi
    t0=$EPOCHREALTIME
    base=${t0%.*}
    move_to "$1"
    fake=(FAKETIME="$(cat "$home/faketime")")
    if [ "${3:-}" = moving ]; then
        fake=(FAKETIME_TIMESTAMP_FILE="$home/faketime" FAKETIME_NO_CACHE=1)
    fi
    HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/runtime" \
        DISPLAY="$display" QT_QPA_PLATFORM=xcb QUELVO_DRY_RUN=1 TZ="${2:-UTC}" \
        DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/quelvo-test-bus \
        ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
        "${limit[@]}" env "${fake[@]}" FAKETIME_DONT_FAKE_MONOTONIC=1 LD_PRELOAD="$faketime_lib" \
        "$bin/quelvo" --dry-run --folder "$home/events" 2>"$home/stderr.log" > >(
            while IFS= read -r line; do
                now=$EPOCHREALTIME
                printf '%s %s\n' "$(awk -v a="$now" -v b="$base" 'BEGIN { printf "%.3f", a - b }')" "$line"
            done >>"$log"
        ) &
    qpid=$!
}

# move_to "YYYY-MM-DD HH:MM:SS": sets the fake clock (UTC) so that it shows that second now, shifted by
# whole seconds only; the file is replaced in one rename, so no reading sees it half written.
move_to() {
    local now=$EPOCHREALTIME
    printf '%+d\n' "$(($(date -u -d "$1" +%s) - ${now%.*}))" >"$home/faketime.new"
    mv "$home/faketime.new" "$home/faketime"
}

# await TEXT SECONDS: waits until a line ending in TEXT is logged; prints its time after the launch.
await() {
    local deadline=$((SECONDS + $2)) hit
    while [ $SECONDS -le $deadline ]; do
        hit=$(grep -F -- " $1" "$log" | head -n1)
        if [ -n "$hit" ]; then
            echo "${hit%% *}"
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# finish SECONDS: waits for quelvo to end by itself; 0 when it did, with rc holding its status.
finish() {
    local deadline=$((SECONDS + $1))
    while alive "$qpid" && [ $SECONDS -le $deadline ]; do
        sleep 0.05
    done
    if alive "$qpid"; then
        stop
        return 1
    fi
    wait "$qpid"
    rc=$?
    qpid=""
    sleep 0.2 # the reader's last line
    return 0
}

stop() {
    kill "$qpid" 2>/dev/null
    wait "$qpid" 2>/dev/null
    qpid=""
}

# in_range VALUE LOW HIGH
in_range() {
    awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v >= lo && v <= hi) }'
}

show_run() {
    echo "--- stdout of $1"
    cat "$log"
    echo "--- stderr of $1"
    tail -n 30 "$home/stderr.log"
}

# ---- A run that fires: NAME START KIND POWER_LINE EXPECTED_EVENTS_FILE
# A shutdown request ends the program; the reboot window stays open at zero.
fires() {
    local name=$1 start=$2 kind=$3 power=$4 expected=$5 opened powered
    launch "$start"
    ${after_launch:-:}
    if ! opened=$(await "countdown: open $kind" $((lead + 15))); then
        fail "$name: no countdown opened"
        stop
        show_run "$name"
        return
    fi
    delay=$(awk -v t="$opened" -v l="$lead" 'BEGIN { printf "%.3f", t - l }')
    echo "e2e: $name: countdown opened ${delay} s after the minute started"
    in_range "$delay" -0.05 1.0 || fail "$name: countdown opened ${delay} s after the minute started"
    if ! powered=$(await "$power" 20); then
        fail "$name: no '$power'"
    else
        local gap
        gap=$(awk -v a="$powered" -v b="$opened" 'BEGIN { printf "%.3f", a - b }')
        in_range "$gap" 9.5 11.5 || fail "$name: the request came ${gap} s after the countdown opened"
    fi
    if [ "$kind" = shutdown ]; then
        if ! finish 10; then
            fail "$name: the program did not end after the request"
        elif [ "$rc" -ne 0 ]; then
            fail "$name: the program ended with status $rc"
        fi
    else
        sleep 2 # long enough for a second request, were one made
        alive "$qpid" || fail "$name: the program ended after a reboot request"
        stop
    fi
    local count
    count=$(grep -c " countdown: open" "$log")
    [ "$count" -eq 1 ] || fail "$name: $count countdowns opened, not one"
    count=$(grep -c " power: " "$log")
    [ "$count" -eq 1 ] || fail "$name: $count power requests, not one"
    if ! cmp -s "$expected" "$home/events/events.ini"; then
        fail "$name: events.ini is not as expected"
        echo "expected:"
        od -c "$expected"
        echo "found:"
        od -c "$home/events/events.ini"
    fi
    if [ $failures -gt 0 ]; then show_run "$name"; fi
}

if [ "$measure" -gt 0 ]; then
    delays=()
    for i in $(seq "$measure"); do
        prepare "m$i"
        settings "24hr=True"
        events "On Wed at 09:30   , Shut Down, Don't repeat"
        launch "2024-01-03 09:29:$((60 - lead))"
        if opened=$(await "countdown: open shutdown" $((lead + 15))); then
            delay=$(awk -v t="$opened" -v l="$lead" 'BEGIN { printf "%.3f", t - l }')
            delays+=("$delay")
            echo "run $i: ${delay} s"
        else
            echo "run $i: no countdown"
        fi
        # Only the opening is timed; the dry request ten seconds later is not waited for.
        stop
    done
    [ ${#delays[@]} -gt 0 ] || exit 1
    printf '%s\n' "${delays[@]}" | sort -n | awk '
        { v[NR] = $1 }
        END {
            median = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            printf "runs %d  min %.3f s  median %.3f s  max %.3f s\n", NR, v[1], median, v[NR]
        }'
    exit 0
fi

# ---- 1. 24-hour mode, Wednesday 09:30: the one-off shutdown fires; the repeating reboot of the same
# minute comes later in the file and must not fire within that minute.
prepare day24
settings "24hr=True"
events "On Mon at 07:15   , Shut Down, Repeat daily" \
    "On Wed at 09:30   , Shut Down, Don't repeat" \
    "oN WED at 09:30   , REBOOT,    Repeat Daily" \
    "On Wed at 09:31 AM, Shut Down, Don't repeat"
printf '%s\r\n' "on mon at 07:15   , shut down, repeat daily" \
    "on wed at 09:30   , reboot,    repeat daily" \
    "on wed at 09:31 am, shut down, don't repeat" >"$tmp/expected24"
# "Forced shut down" is ticked by default: power off (8) with the force bit (4).
fires day24 "2024-01-03 09:29:$((60 - lead))" shutdown "power: ShutdownSystem 12" "$tmp/expected24"

# ---- 2. 12-hour mode, Saturday 13:05: a 24-hour line of that time and a morning line do not match; the
# one-off reboot fires and the repeating shutdown of the same minute stays.
prepare day12
settings "24hr=False"
events "On Sat at 13:05   , Shut Down, Don't repeat" \
    "On Sat at 01:05 AM, Shut Down, Don't repeat" \
    "On Sat at 01:05 PM, Reboot,    Don't repeat" \
    "On Sat at 01:05 PM, Shut Down, Repeat daily"
printf '%s\r\n' "on sat at 13:05   , shut down, don't repeat" \
    "on sat at 01:05 am, shut down, don't repeat" \
    "on sat at 01:05 pm, shut down, repeat daily" >"$tmp/expected12"
fires day12 "2024-01-06 13:04:$((60 - lead))" reboot "power: ShutdownSystem 2" "$tmp/expected12"

# ---- 3. Restarted within the minute that fired (a fast reboot): the repeating shutdown of that minute
# is still in the file, but the minute is recorded as fired, so nothing opens.
if grep -q "^lastfired=[0-9]* 2024-01-06 13:05 [0-9a-f,]*$" "$home/config/quelvo/settings.ini"; then
    cp "$home/events/events.ini" "$tmp/before-restart"
    launch "2024-01-06 13:05:20"
    if await "countdown: open" 5 >/dev/null; then
        fail "restart: a countdown opened again in the minute that had fired"
        show_run restart
    fi
    alive "$qpid" || fail "restart: the program did not keep running"
    stop
    cmp -s "$tmp/before-restart" "$home/events/events.ini" || fail "restart: events.ini changed"

    # The same start without the record does fire, so the quiet above is the record's doing.
    sed -i '/^lastfired=/d' "$home/config/quelvo/settings.ini"
    launch "2024-01-06 13:05:20"
    await "countdown: open shutdown" 8 >/dev/null || fail "restart without the record: nothing opened"
    stop
else
    fail "day12: the fired minute was not recorded in settings.ini"
    cat "$home/config/quelvo/settings.ini"
fi

# ---- 4. Changed by quelvoctl while the program runs: the shutdown it deletes must not fire, the reboot
# it adds for the same minute must. Had the program kept its list, the shutdown (first in the file)
# would open; without the added line nothing would.
prepare live
settings "24hr=True"
events "On Wed at 10:01   , Shut Down, Don't repeat"
launch "2024-01-03 10:00:50"
for _ in $(seq 50); do
    [ -S "$home/runtime/quelvo.socket" ] && break
    sleep 0.1
done
sleep 0.5 # the list is read right after the socket is made
ctl() {
    HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
        "$bin/quelvoctl" --folder "$home/events" "$@" >>"$home/ctl.log" 2>&1
}
if ! ctl delete 1 || ! ctl add --days wed --hour 10 --minute 01 --reboot --repeat; then
    fail "live: quelvoctl failed"
    cat "$home/ctl.log"
fi
if ! await "countdown: open reboot" 15 >/dev/null; then
    fail "live: the reboot added while the program ran did not fire"
fi
sleep 1
grep -q " countdown: open shutdown" "$log" && fail "live: the shutdown deleted while the program ran fired"
stop
if [ $failures -gt 0 ]; then show_run live; fi

# ---- The clock on the move, the program running throughout (dry runs: nothing restarts).
# count TEXT: how many logged lines end in TEXT.
count() {
    grep -c -F -- " $1" "$log"
}

# ---- 5. Two reboots in one run: the first window closes (nothing restarted), so the second makes its
# request too. Between them the clock is set forward within the minute (no minute is skipped).
prepare reboots
settings "24hr=True"
events "On Wed at 09:30   , Reboot,    Repeat daily" "On Wed at 09:31   , Reboot,    Don't repeat"
launch "2024-01-03 09:29:$((60 - lead))" UTC moving
if await "power: ShutdownSystem 2" $((lead + 20)) >/dev/null; then
    move_to "2024-01-03 09:30:56"
    for _ in $(seq 200); do
        [ "$(count "power: ShutdownSystem 2")" -ge 2 ] && break
        sleep 0.1
    done
fi
[ "$(count "countdown: open reboot")" -eq 2 ] || fail "reboots: $(count "countdown: open reboot") windows opened, not two"
[ "$(count "power: ShutdownSystem 2")" -eq 2 ] || fail "reboots: $(count "power: ShutdownSystem 2") requests, not two"
stop
if [ $failures -gt 0 ]; then show_run reboots; fi

# ---- 6. A hundred idle connections held open to the second-copy socket of a program with few
# descriptors to spare (a copy that kept them all would run out long before the event): a later copy
# started to show the window still gets through, and the one-off shutdown still fires on time and is
# dropped. The hidden window is shown only on that copy's word, which stores hide=0.
flood_and_knock() {
    local socket="$home/runtime/quelvo.socket"
    for _ in $(seq 100); do
        [ -S "$socket" ] && break
        sleep 0.1
    done
    python3 -c '
import socket, sys, time
held = []
for _ in range(int(sys.argv[2])):
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.connect(sys.argv[1])
    held.append(s)
print("held", flush=True)
time.sleep(120)
' "$socket" 100 >"$home/flood.log" 2>&1 &
    fpid=$!
    for _ in $(seq 100); do
        grep -q held "$home/flood.log" && break
        sleep 0.1
    done
    grep -q held "$home/flood.log" || fail "flood: the idle connections could not all be made"
    HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/runtime" \
        DISPLAY="$display" QT_QPA_PLATFORM=xcb QUELVO_DRY_RUN=1 \
        timeout 30 "$bin/quelvo" --dry-run --show --folder "$home/events" >/dev/null 2>"$home/knock.log" ||
        fail "flood: the later copy did not end by itself"
    for _ in $(seq 30); do
        grep -q '^hide=0$' "$home/config/quelvo/settings.ini" && break
        sleep 0.1
    done
    grep -q '^hide=0$' "$home/config/quelvo/settings.ini" || fail "flood: the later copy's knock did not get through"
}
prepare flood
settings "24hr=True" "hide=1"
events "On Wed at 09:30   , Shut Down, Don't repeat"
: >"$tmp/expected-flood"
lead=20 nofile=96 after_launch=flood_and_knock fires flood "2024-01-03 09:29:40" shutdown "power: ShutdownSystem 12" \
    "$tmp/expected-flood"
kill "$fpid" 2>/dev/null
wait "$fpid" 2>/dev/null
fpid=""

# ---- 7. A warning five minutes ahead, through a notification service (dbusmock's, offering actions)
# on a private session bus: it offers both choices, and "Postpone 15 minutes" makes the repeating
# shutdown fire fifteen minutes later, not at its time.
prepare warning
settings "24hr=True"
events "On Wed at 10:00   , Shut Down, Repeat daily"
/usr/bin/python3 "$(dirname "$0")/../platform/notification_mock.py" \
    bash -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$1.new" && mv "$1.new" "$1" && exec sleep 300' _ "$home/bus" \
    >"$home/mock.log" 2>&1 &
npid=$!
for _ in $(seq 200); do
    [ -s "$home/bus" ] || ! alive "$npid" && break
    sleep 0.1
done
if [ -s "$home/bus" ]; then
    notifications() {
        DBUS_SESSION_BUS_ADDRESS=$(cat "$home/bus") gdbus call --session --dest org.freedesktop.Notifications \
            --object-path /org/freedesktop/Notifications --method "org.freedesktop.DBus.Mock.$1" "${@:2}"
    }
    DBUS_SESSION_BUS_ADDRESS=$(cat "$home/bus") launch "2024-01-03 09:54:55" UTC moving
    if ! await "warn: shutdown at 2024-01-03T10:00:00+00:00" 20 >/dev/null; then
        fail "warning: no warning five minutes ahead"
    fi
    calls=$(notifications GetCalls)
    for text in "Quelvo will shut down this PC at 10:00 (in 5 minutes)" "'postpone', 'Postpone 15 minutes'" \
        "'skip', 'Skip this time'"; do
        grep -qF "$text" <<<"$calls" || fail "warning: the notification lacks $text: $calls"
    done
    notifications EmitSignal org.freedesktop.Notifications ActionInvoked us "[<uint32 1>, <'postpone'>]" >/dev/null
    await "postpone: wrote On Wed at 10:15   , Shut Down, Don't repeat" 10 >/dev/null ||
        fail "warning: Postpone did not write the event fifteen minutes later"
    move_to "2024-01-03 09:59:57"
    sleep 6
    [ "$(count "countdown: open")" -eq 0 ] || fail "warning: the postponed firing was made at its time"
    move_to "2024-01-03 10:14:57"
    await "countdown: open shutdown" 15 >/dev/null || fail "warning: nothing fired fifteen minutes later"
    stop
    if [ $failures -gt 0 ]; then show_run warning; fi
else
    echo "e2e: warning: no notification service could be started; skipped"
    cat "$home/mock.log"
fi
kill "$npid" 2>/dev/null
wait "$npid" 2>/dev/null
npid=""

if [ $failures -gt 0 ]; then
    echo "e2e: $failures failure(s)"
    exit 1
fi
echo "e2e: all passed"
exit 0
