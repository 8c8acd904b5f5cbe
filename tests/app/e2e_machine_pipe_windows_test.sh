#!/usr/bin/env bash
# quelvosvc.exe and quelvo.exe side by side under Wine, dry runs only, in one prefix (one Wine
# server, so one \\.\pipe\Quelvo) on a private Xvfb and a clock faked by libfaketime:
# - a second quelvosvc.exe finds the pipe served and refuses to start;
# - the tray program hears the machine's countdown over the pipe and opens its window, and a click on
#   the window's cancel picture stops it: the history says cancelled, and no request is printed.
#
# usage: e2e_machine_pipe_windows_test.sh BIN_FOLDER WINE_RUN
# Exits 77 (skipped) when Xvfb, xdotool, wine64 or libfaketime is missing.
set -u
bin=${1:?usage: e2e_machine_pipe_windows_test.sh BIN_FOLDER WINE_RUN}
wine_run=${2:?usage: e2e_machine_pipe_windows_test.sh BIN_FOLDER WINE_RUN}
faketime_lib=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
# Seconds from the start to the event's minute: both programs start and connect before it.
lead=75

PATH=$PATH:/usr/lib/wine
# shellcheck source=tests/app/e2e_common.sh
. "$(dirname "$0")/e2e_common.sh"
needs Xvfb xdotool wine64
if [ ! -r "$faketime_lib" ]; then
    echo "SKIP: libfaketime is not installed"
    exit 77
fi

before_cleanup=stop_runner
start_xvfb

root="Z:${work//\//\\}\\root"
folder=$work/root/ProgramData/Quelvo
mkdir -p "$folder"
printf 'On Wed at 09:30 AM, Shut Down, Don'\''t repeat\r\n' >"$folder/events.ini"
minute=$(date -u -d '2024-01-03 09:30:00' +%s)
started=$(date +%s)
# One shift for every program, so that they agree on the minute.
export TZ=UTC QUELVO_WINE_PREFIX="$work/prefix" LD_PRELOAD=$faketime_lib FAKETIME_DONT_FAKE_MONOTONIC=1
export FAKETIME=$(printf '%+d' $((minute - lead - started)))
# The runner owns the prefix's Wine server; the other programs join it with wine64 itself.
"$wine_run" "$bin/quelvosvc.exe" --console --dry-run --root "$root" >"$work/out" 2>"$work/err" &
runner=$!
pids+=("$runner")

serving() { grep -qs "keeping the schedule" "$work/err" || ended "$runner"; }
wait_for 600 serving || fail "the service did not start"
ended "$runner" && fail "the service ended at start: $(tr -d '\r' <"$work/err")"

# ---- 1. The name is taken: a second service says so and ends.
timeout 60 bash -c "$(declare -f in_prefix); in_prefix '$bin/quelvosvc.exe' --console --dry-run --root '$root'" \
    >"$work/second.out" 2>"$work/second.err"
status=$?
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "a second service started beside the first (status $status)"
grep -q 'another program already serves \\\\.\\pipe\\Quelvo' "$work/second.err" ||
    fail "the second service did not say why it ended: $(cat "$work/second.err")"

# ---- 2. The tray program hears the countdown and cancels it.
in_prefix "$bin/quelvo.exe" --dry-run --folder "Z:${work//\//\\}\\events" >"$work/tray.out" 2>"$work/tray.err" &
pids+=($!)
main_window() { xdotool search --onlyvisible --name '^Quelvo$' >/dev/null 2>&1; }
wait_for 600 main_window || fail "the tray program's main window did not appear"

window=""
found() { window=$(xdotool search --onlyvisible --name '^Quelvo: Shut down$' 2>/dev/null | head -n1) && [ -n "$window" ]; }
if wait_for 900 found; then
    eval "$(xdotool getwindowgeometry --shell "$window")"
    # The cancel picture: the foot's left half when Postpone stands beside it, its middle otherwise.
    xdotool mousemove $((X + WIDTH / 2 - 60)) $((Y + HEIGHT - 25)) sleep 0.2 click 1
    wait_for 50 grep -qs '"outcome":"cancelled"' "$folder/history.jsonl" ||
        fail "the click on the cancel picture did not stop the countdown"
    grep '"outcome":"cancelled"' "$folder/history.jsonl" | grep -q '"who":"[^"]' ||
        fail "the history does not say who cancelled"
    gone() { ! found; }
    wait_for 50 gone || fail "the countdown window stayed open after the cancel"
    # Past the countdown's end: no request may follow.
    sleep 11
    grep -qs '^power: ' "$work/out" && fail "the cancelled countdown made its request: $(cat "$work/out")"
else
    fail "no countdown window opened in the tray program"
fi
grep -qs '"outcome":"dry-run"' "$folder/history.jsonl" && fail "the cancelled firing was made"
ended "$runner" && fail "the service ended by itself"

tr -d '\r' <"$work/err" | tail -n 30 >"$work/err.tail"
tr -d '\r' <"$work/tray.err" | tail -n 30 >"$work/tray.err.tail"
finish "e2e machine pipe windows test" "$work/out" "$work/err.tail" "$work/tray.out" "$work/tray.err.tail" \
    "$folder/history.jsonl"
