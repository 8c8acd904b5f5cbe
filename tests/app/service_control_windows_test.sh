#!/usr/bin/env bash
# quelvosvc.exe under Wine's service control manager, a dry run only (--dry-run in its command
# line): `sc create` and `sc start` run it as a service, which reports itself running and fires the
# line due in the faked minute into the machine's history under --root; `sc stop` stops it.
#
# usage: service_control_windows_test.sh BIN_FOLDER WINE_RUN
# Exits 77 (skipped) when wine64 or libfaketime is missing.
set -u
bin=${1:?usage: service_control_windows_test.sh BIN_FOLDER WINE_RUN}
wine_run=${2:?usage: service_control_windows_test.sh BIN_FOLDER WINE_RUN}
faketime_lib=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
# Seconds from the start to the event's minute: Wine starts, then sc starts the service.
lead=30

PATH=$PATH:/usr/lib/wine
# shellcheck source=tests/app/e2e_common.sh
. "$(dirname "$0")/e2e_common.sh"
needs wine64
if [ ! -r "$faketime_lib" ]; then
    echo "SKIP: libfaketime is not installed"
    exit 77
fi

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
folder=$work/root/ProgramData/Quelvo
mkdir -p "$folder"
printf 'On Wed at 09:30 AM, Shut Down, Don'\''t repeat\r\n' >"$folder/events.ini"
history=$(windows_path "$folder/history.jsonl")
# One Wine session for the whole conversation: the runner ends the prefix's services with it.
cat >"$work/control.bat" <<BAT
@echo off
sc create quelvosvc binPath= "$(windows_path "$bin/quelvosvc.exe") --dry-run --root $(windows_path "$work/root")" start= demand
sc start quelvosvc
set /a tries=0
:wait
if exist "$history" goto fired
set /a tries+=1
if %tries% geq 120 goto fired
ping -n 2 127.0.0.1 >nul
goto wait
:fired
echo query-running
sc query quelvosvc
sc stop quelvosvc
ping -n 3 127.0.0.1 >nul
echo query-stopped
sc query quelvosvc
sc delete quelvosvc
BAT
sed -i 's/$/\r/' "$work/control.bat"

minute=$(date -u -d '2024-01-03 09:30:00' +%s)
export TZ=UTC
LD_PRELOAD=$faketime_lib FAKETIME=$(printf '%+d' $((minute - lead - $(date +%s)))) FAKETIME_DONT_FAKE_MONOTONIC=1 \
    timeout 170 "$wine_run" cmd /c "$(windows_path "$work/control.bat")" >"$work/out" 2>"$work/err"
tr -d '\r' <"$work/out" >"$work/out.txt"

grep -qs '"outcome":"dry-run"' "$folder/history.jsonl" ||
    fail "the service made no dry run: $(cat "$folder/history.jsonl" 2>&1)"
sed -n '/^query-running/,/^query-stopped/p' "$work/out.txt" | grep -q 'STATE.*RUNNING' ||
    fail "the service did not report itself running"
sed -n '/^query-stopped/,$p' "$work/out.txt" | grep -q 'STATE.*STOPPED' || fail "sc stop did not stop the service"

tr -d '\r' <"$work/err" | tail -n 30 >"$work/err.tail"
finish "service control windows test" "$work/out.txt" "$work/err.tail"
