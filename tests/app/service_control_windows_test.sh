#!/usr/bin/env bash
# quelvosvc.exe under Wine's service control manager, a dry run only (--dry-run in its command
# line): `sc create` and `sc start` run it as a service, which reports itself running once it
# keeps the schedule under --root; `sc stop` stops it.
#
# usage: service_control_windows_test.sh BIN_FOLDER WINE_RUN
# Exits 77 (skipped) when wine64 is missing.
set -u
bin=${1:?usage: service_control_windows_test.sh BIN_FOLDER WINE_RUN}
wine_run=${2:?usage: service_control_windows_test.sh BIN_FOLDER WINE_RUN}

PATH=$PATH:/usr/lib/wine
# shellcheck source=tests/app/e2e_common.sh
. "$(dirname "$0")/e2e_common.sh"
needs wine64

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
# One Wine session for the whole conversation: the runner ends the prefix's services with it.
cat >"$work/control.bat" <<BAT
@echo off
sc create quelvosvc binPath= "$(windows_path "$bin/quelvosvc.exe") --dry-run --root $(windows_path "$work/root")" start= demand
sc start quelvosvc
set /a tries=0
:wait
sc query quelvosvc | find "RUNNING" >nul && goto running
set /a tries+=1
if %tries% geq 60 goto running
ping -n 2 127.0.0.1 >nul
goto wait
:running
echo query-running
sc query quelvosvc
sc stop quelvosvc
ping -n 3 127.0.0.1 >nul
echo query-stopped
sc query quelvosvc
sc delete quelvosvc
BAT
sed -i 's/$/\r/' "$work/control.bat"

timeout 170 "$wine_run" cmd /c "$(windows_path "$work/control.bat")" >"$work/out" 2>"$work/err"
tr -d '\r' <"$work/out" >"$work/out.txt"

sed -n '/^query-running/,/^query-stopped/p' "$work/out.txt" | grep -q 'STATE.*RUNNING' ||
    fail "the service did not report itself running"
sed -n '/^query-stopped/,$p' "$work/out.txt" | grep -q 'STATE.*STOPPED' || fail "sc stop did not stop the service"

tr -d '\r' <"$work/err" | tail -n 30 >"$work/err.tail"
finish "service control windows test" "$work/out.txt" "$work/err.tail"
