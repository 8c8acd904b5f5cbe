#!/usr/bin/env bash
# The machine's service end to end, in dry runs only, on a private system bus run with the shipped
# bus policy and python3-dbusmock's logind (no session: nobody is logged in). quelvod runs with
# --dry-run under a root folder of its own on a fake clock a few seconds before the events' minutes:
# - a line root adds with quelvoctl --machine while it runs is picked up without a restart, and its
#   power request comes the countdown's ten seconds after the minute;
# - the administrator's policy.ini, written while it runs, holds at once: with cancel=False a Cancel
#   on the bus during that countdown is refused with the reason and the request still comes; with
#   the file removed again, the next countdown may be cancelled;
# - a tray program under Xvfb hears the next firing's countdown and opens its window, and a click on
#   the window's cancel picture stops it: no request, and the history says who cancelled;
# - another user's quelvoctl may read the machine schedule but not change it (exit 3).
# Needs root (to act as another user); skipped (77) otherwise or when a tool is missing.
#
# usage: e2e_machine_test.sh BIN_DIR QUELVOD POLICY_FILE
set -uo pipefail
bin=${1:?usage: e2e_machine_test.sh BIN_DIR QUELVOD POLICY_FILE}
quelvod=${2:?usage: e2e_machine_test.sh BIN_DIR QUELVOD POLICY_FILE}
policy=$(realpath "${3:?usage: e2e_machine_test.sh BIN_DIR QUELVOD POLICY_FILE}")
source "$(dirname "$0")/e2e_common.sh"
needs dbus-daemon gdbus Xvfb xdotool setpriv
[ "$(id -u)" -eq 0 ] || { echo "SKIP: needs root to act as two users"; exit 77; }
/usr/bin/python3 -c 'import dbusmock' 2>/dev/null || { echo "SKIP: python3-dbusmock is missing"; exit 77; }
faketime_lib=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
[ -r "$faketime_lib" ] || { echo "SKIP: libfaketime is missing"; exit 77; }

# ---- The system bus: the system bus's default rules, the service's policy, and logind's name for the mock
# (other users reach its socket and the schedule).
start_system_bus "$policy" '<policy user="root">
    <allow own="org.freedesktop.login1"/>
    <allow send_destination="org.freedesktop.login1"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus.Introspectable"/>
  </policy>'
export QUELVO_TEST_PRIVATE_SYSTEM_BUS=$DBUS_SYSTEM_BUS_ADDRESS

/usr/bin/python3 -m dbusmock --system --template logind >"$work/logind.log" 2>&1 &
pids+=($!)
owned() {
    gdbus call --system --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true
}
wait_for 200 owned org.freedesktop.login1 || { echo "FAIL: the mock logind did not come up"; cat "$work/logind.log"; exit 1; }

# ---- The machine's files under a root folder of the test's own, in the 24-hour form.
sys=$work/sys
mkdir -p "$sys/etc/quelvo" "$sys/var/lib/quelvo"
printf '[quelvo/data]\n24hr=True\n' >"$sys/etc/quelvo/settings.ini"
machinectl() { "$bin/quelvoctl" --machine --root "$sys" "$@"; }

# ---- quelvod on a fake clock that shows `start` now; each line it prints is logged with the real time.
start="2024-01-03 09:59:40" # a Wednesday, UTC
now=$EPOCHREALTIME
offset=$(($(date -u -d "$start" +%s) - ${now%.*}))
# real_at "HH:MM:SS": the real time at which the fake clock shows that time of the start's day.
real_at() { echo $(($(date -u -d "${start% *} $1" +%s) - offset)); }
log=$work/quelvod.log
: >"$log"
TZ=UTC FAKETIME="$(printf '%+d' "$offset")" FAKETIME_DONT_FAKE_MONOTONIC=1 LD_PRELOAD="$faketime_lib" \
    ASAN_OPTIONS="$ASAN_OPTIONS:verify_asan_link_order=0" \
    "$quelvod" --dry-run --root "$sys" 2>"$work/quelvod.err" > >(
        while IFS= read -r line; do printf '%s %s\n' "$EPOCHREALTIME" "$line"; done >>"$log"
    ) &
pids+=($!)
wait_for 100 owned org.example.quelvo.Machine || fail "quelvod did not take its name on the bus"

# ---- A tray program of the user at the screen, which hears the service.
start_xvfb
mkdir -p "$work/user/events"
QT_QPA_PLATFORM=xcb "$bin/quelvo" --dry-run --folder "$work/user/events" >"$work/quelvo.log" 2>"$work/quelvo.err" &
pids+=($!)
main_window() { xdotool search --name '^Quelvo$' >/dev/null 2>&1; }
wait_for 150 main_window || fail "the tray program did not start"
sleep 1 # its link to the service listens once it knows it is the only copy

# logged TEXT: the real time of the first line quelvod printed that ends in TEXT.
logged() { grep -F -- " $1" "$log" | head -n1 | cut -d' ' -f1; }

# ---- 1. Added while it runs, with nobody logged in: fired ten seconds after its minute, though
# root asks to cancel it where the policy, written now, allows no cancel.
machinectl add --days wed --hour 10 --minute 0 --shutdown >/dev/null || fail "root could not add to the machine schedule"
printf '[policy]\ncancel=False\n' >"$sys/etc/quelvo/policy.ini"
counting() { [ -n "$(logged "countdown: open shutdown")" ]; }
if wait_for 600 counting; then
    gdbus call --system --dest org.example.quelvo.Machine --object-path /org/example/quelvo/Machine \
        --method org.example.quelvo.Machine1.Cancel >/dev/null 2>"$work/cancel.err" &&
        fail "the service took a Cancel that the policy does not allow"
    grep -q "the administrator does not allow cancelling this countdown" "$work/cancel.err" ||
        fail "the refused Cancel did not say why: $(cat "$work/cancel.err")"
else
    fail "the added event opened no countdown"
fi
requested() { [ -n "$(logged "power: ShutdownSystem 8")" ]; }
wait_for 600 requested || fail "the added event did not fire"
if request=$(logged "power: ShutdownSystem 8") && [ -n "$request" ]; then
    late=$(awk -v r="$request" -v m="$(real_at 10:00:00)" 'BEGIN { printf "%.2f", r - m }')
    echo "request $late s after the minute"
    awk -v l="$late" 'BEGIN { exit !(l >= 9.5 && l <= 12) }' || fail "the request came $late s after the minute"
fi
grep -q '"outcome":"dry-run"' "$sys/var/lib/quelvo/history.jsonl" 2>/dev/null ||
    fail "the history holds no dry run"
grep -q '"outcome":"cancelled"' "$sys/var/lib/quelvo/history.jsonl" && fail "the history says the countdown was cancelled"
# Without the policy the next countdown may be cancelled again, as the tray program does below.
rm "$sys/etc/quelvo/policy.ini"
[ -z "$(machinectl list --raw)" ] || fail "the fired one-off is still in the machine schedule"

# ---- 2. The tray program opens the next firing's countdown, and its cancel stops it.
machinectl add --days wed --hour 10 --minute 1 --reboot >/dev/null || fail "root could not add the second event"
window=""
found() { window=$(xdotool search --onlyvisible --name '^Quelvo: Re boot$' 2>/dev/null | head -n1) && [ -n "$window" ]; }
if wait_for 900 found; then
    eval "$(xdotool getwindowgeometry --shell "$window")"
    # The cancel picture: the foot's left half when Postpone stands beside it, its middle otherwise.
    xdotool mousemove $((X + WIDTH / 2 - 60)) $((Y + HEIGHT - 25)) sleep 0.2 click 1
    wait_for 50 grep -q '"outcome":"cancelled"' "$sys/var/lib/quelvo/history.jsonl" ||
        fail "the click on the cancel picture did not stop the countdown"
    grep '"outcome":"cancelled"' "$sys/var/lib/quelvo/history.jsonl" | grep -q '"who":"root"' ||
        fail "the history does not say who cancelled"
    sleep 11
    [ -z "$(logged "power: RebootSystem")" ] || fail "the cancelled countdown made its request"
    gone() { ! found; }
    wait_for 50 gone || fail "the countdown window stayed open after the cancel"
else
    fail "no countdown window opened in the tray program"
fi

# ---- 3. Another user reads the machine schedule but may not change it.
chmod -R a+rX "$sys"
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$bin/quelvoctl" --machine --root "$sys" "$@"; }
as_nobody list >/dev/null 2>"$work/nobody.err" || fail "another user could not read the machine schedule"
as_nobody add --days wed --hour 11 --minute 0 --shutdown >/dev/null 2>"$work/nobody.err"
rc=$?
[ $rc -eq 3 ] || fail "another user's add ended with $rc, not 3"
grep -q "only root may change the machine schedule" "$work/nobody.err" || fail "another user was not told why"

finish e2e_machine_test "$log" "$work/quelvod.err" "$work/quelvo.log" "$work/quelvo.err" \
    "$sys/var/lib/quelvo/history.jsonl"
