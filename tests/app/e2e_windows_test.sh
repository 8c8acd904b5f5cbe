#!/usr/bin/env bash
# quelvo.exe end to end under Wine, in dry runs only: on a private Xvfb display with trayer as the
# notification area and a clock faked by libfaketime (preloaded into Wine, so GetLocalTime reads
# it), the main window appears, the icon docks in trayer's panel, the event due in the faked minute is
# warned of ahead (the icon's balloon, printed), then opens the shutdown countdown and makes its
# (printed) request ten seconds later.
#
# usage: e2e_windows_test.sh BIN_FOLDER WINE_RUN
#   WINE_RUN is cmake/wine-run.sh; QUELVO_WINE_TEMPLATE names its template prefix.
# Exits 77 (skipped) when Xvfb, trayer, xdotool, xwininfo, wine64 or libfaketime is missing.
set -u
bin=${1:?usage: e2e_windows_test.sh BIN_FOLDER WINE_RUN}
wine_run=${2:?usage: e2e_windows_test.sh BIN_FOLDER WINE_RUN}
faketime_lib=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
# Seconds from the start to the event's minute: Wine takes 5 to 20 s to start a program on a
# loaded machine; the warning needs the program up before the minute, the checker fires a due event
# at its first look within the minute anyway.
lead=40

PATH=$PATH:/usr/lib/wine
# shellcheck source=tests/app/e2e_common.sh
. "$(dirname "$0")/e2e_common.sh"
needs Xvfb trayer xdotool xwininfo wine64
if [ ! -r "$faketime_lib" ]; then
    echo "SKIP: libfaketime is not installed"
    exit 77
fi

before_cleanup=stop_runner

start_xvfb
trayer --edge bottom --align right --widthtype request --height 32 \
    --SetDockType false --SetPartialStrut false >"$work/trayer.log" 2>&1 &
pids+=($!)

# A Wednesday, 09:30 UTC; the line is in the default 12-hour form, CR LF as the editor writes it.
printf 'On Wed at 09:30 AM, Shut Down, Don'\''t repeat\r\n' >"$work/events/events.ini"
minute=$(date -u -d '2024-01-03 09:30:00' +%s)
now=$(date +%s)
export TZ=UTC QUELVO_DRY_RUN=1 QUELVO_WINE_PREFIX="$work/prefix"
# The fake clock is the real one shifted by whole seconds, shared by every Wine process.
LD_PRELOAD=$faketime_lib FAKETIME=$(printf '%+d' $((minute - lead - now))) FAKETIME_DONT_FAKE_MONOTONIC=1 \
    "$wine_run" "$bin/quelvo.exe" --dry-run --folder "Z:${work//\//\\}\\events" >"$work/out" 2>"$work/err" &
runner=$!
pids+=("$runner")

has_line() { grep -q "$1" "$work/out"; }
main_window() { xdotool search --onlyvisible --name '^Quelvo$' >/dev/null 2>&1; }
# Wine's notification-area icon is a window of its explorer.exe docked in trayer's panel.
docked() { xwininfo -name panel -tree 2>/dev/null | grep -q '("explorer.exe" "explorer.exe")'; }

wait_for 600 main_window || fail "the main window did not appear"
wait_for 300 docked || fail "the icon did not dock in the notification area"
wait_for 900 has_line "^countdown: open shutdown" || fail "the due event opened no countdown"
wait_for 200 has_line "^power: " || fail "no power request after the countdown"
# Wine's C runtime ends lines with CR LF. On Wine (NT 6.1) the forced shutdown (the default) is the
# companion's.
tr -d '\r' <"$work/out" | grep -E '^(warn|countdown|power): ' >"$work/requests"
printf '%s\n' 'warn: shutdown at 2024-01-03T09:30:00+00:00' 'countdown: open shutdown' \
    'power: run "velmorshutdown.exe -u -f" show 6' >"$work/expected"
cmp -s "$work/expected" "$work/requests" || fail "not the expected countdown and request: $(cat "$work/requests")"
wait_for 200 ended "$runner" || fail "the program did not end after the shutdown request"
# A one-off line is gone once it fired.
[ ! -s "$work/events/events.ini" ] || fail "the fired line is still in events.ini: $(cat "$work/events/events.ini")"

[ "$failures" -eq 0 ] || xwininfo -root -tree 2>/dev/null | head -n 40
tr -d '\r' <"$work/err" | tail -n 30 >"$work/err.tail"
finish "e2e windows test" "$work/out" "$work/err.tail"
