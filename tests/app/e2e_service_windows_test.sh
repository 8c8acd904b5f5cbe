#!/usr/bin/env bash
# quelvosvc.exe in the foreground under Wine, a dry run only: with a clock faked by libfaketime, a
# line of the machine's schedule (under --root) due in the faked minute opens the countdown and its
# printed request comes ten seconds after the minute, not before; the firing goes into the machine's
# history, and the service keeps running afterwards until the script stops it by its process id.
# A holiday the administrator's policy key gets while it runs (reg add, no restart) holds back the
# next minute's line: recorded as a holiday, with no countdown and no request.
#
# usage: e2e_service_windows_test.sh BIN_FOLDER WINE_RUN
# Exits 77 (skipped) when wine64 or libfaketime is missing.
set -u
bin=${1:?usage: e2e_service_windows_test.sh BIN_FOLDER WINE_RUN}
wine_run=${2:?usage: e2e_service_windows_test.sh BIN_FOLDER WINE_RUN}
faketime_lib=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
# Seconds from the start to the event's minute: Wine takes 5 to 20 s to start a program.
lead=25

PATH=$PATH:/usr/lib/wine
# shellcheck source=tests/app/e2e_common.sh
. "$(dirname "$0")/e2e_common.sh"
needs wine64
if [ ! -r "$faketime_lib" ]; then
    echo "SKIP: libfaketime is not installed"
    exit 77
fi

before_cleanup=stop_runner

# A Wednesday, 09:30 UTC, in the machine's folder under the root, and the minute after it.
folder=$work/root/ProgramData/Quelvo
mkdir -p "$folder"
printf '%s\r\n' "On Wed at 09:30 AM, Shut Down, Don't repeat" "On Wed at 09:31 AM, Shut Down, Don't repeat" \
    >"$folder/events.ini"
minute=$(date -u -d '2024-01-03 09:30:00' +%s)
started=$(date +%s)
# A prefix kept for the run, so that reg.exe joins the service's registry.
export TZ=UTC QUELVO_WINE_PREFIX=$work/prefix
LD_PRELOAD=$faketime_lib FAKETIME=$(printf '%+d' $((minute - lead - started))) FAKETIME_DONT_FAKE_MONOTONIC=1 \
    "$wine_run" "$bin/quelvosvc.exe" --console --dry-run --root "Z:${work//\//\\}\\root" >"$work/out" 2>"$work/err" &
runner=$!
pids+=("$runner")

# A line of the output; the waits give up at once when the program ended, which the checks below
# then report.
has_line() { grep -qs "$1" "$work/out" || ended "$runner"; }
wait_for 900 has_line "^countdown: open shutdown" || fail "the due event opened no countdown"
wait_for 300 has_line "^power: " || fail "no power request after the countdown"
power_at=$(date +%s)
# The faked clock runs with the real one: the minute came `lead` seconds after the start.
[ $((power_at - started)) -ge $((lead + 10)) ] ||
    fail "the request came $((power_at - started - lead)) s after the minute, before the countdown ended"
wait_for 50 grep -qs '"outcome":"dry-run"' "$folder/history.jsonl" ||
    fail "no dry run in the machine's history: $(cat "$folder/history.jsonl" 2>&1)"

# The policy's key lies under the test's own key for the root, which the service made to watch it.
test_key=$(in_prefix reg query 'HKCU\Software\QuelvoTest' | tr -d '\r' | grep -m1 '\\root-[0-9a-f]*$')
in_prefix reg add "$test_key\\Policies\\Quelvo" /v holidays /t REG_SZ /d 2024-01-03 /f >/dev/null ||
    fail "reg add could not write the policy under the root's key '$test_key'"
wait_for 900 grep -qs '"outcome":"holiday"' "$folder/history.jsonl" ||
    fail "the line after the holiday was set is not recorded as one: $(cat "$folder/history.jsonl" 2>&1)"
tr -d '\r' <"$work/out" | grep -E '^(countdown|power): ' >"$work/requests"
printf '%s\n' 'countdown: open shutdown' 'power: ShutdownSystem 8' >"$work/expected"
cmp -s "$work/expected" "$work/requests" || fail "not the one countdown and request expected: $(cat "$work/requests")"
ended "$runner" && fail "the service ended by itself"

tr -d '\r' <"$work/err" | tail -n 30 >"$work/err.tail"
finish "e2e service windows test" "$work/out" "$work/err.tail"
