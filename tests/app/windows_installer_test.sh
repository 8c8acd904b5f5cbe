#!/usr/bin/env bash
# The Windows installer under Wine, in a throw-away prefix: a silent install for all users puts the
# programs into Program Files with a Start-menu shortcut, registers the machine's service and its
# event source and starts it; a silent uninstall removes the programs, the shortcut, the uninstall
# entry, both start-with-Windows entries, the service and its event source, and keeps a schedule
# beside the programs and the machine's in ProgramData. An install for the current user alone
# gets no service.
# The installer under test is made again from the same script and stage, with the service's
# command line ending in --dry-run: the service starts as soon as it is installed, and under Wine
# only dry runs may.
#
# usage: windows_installer_test.sh SETUP_EXE NSI VERSION WINE_RUN
# Exits 77 (skipped) when the installer was not built (no makensis).
set -u
usage="usage: windows_installer_test.sh SETUP_EXE NSI VERSION WINE_RUN"
setup=${1:?$usage} nsi=${2:?$usage} version=${3:?$usage} wine_run=${4:?$usage}
if [ ! -f "$setup" ]; then
    echo "SKIP: no $setup (makensis is not installed)"
    exit 77
fi

work=$(mktemp -d /tmp/quelvo-setup-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
export QUELVO_WINE_PREFIX=$work/prefix QUELVO_WINE_GRAPHICS=null QUELVO_DRY_RUN=1
makensis -V1 -DVERSION="$version" -DSTAGE="${setup%-setup.exe}" -DOUTFILE="$work/setup.exe" -DMACHINE_SERVICE \
    -DSERVICE_ARGUMENTS=--dry-run "$nsi" || { echo "FAIL: makensis"; exit 1; }
setup=$work/setup.exe
run() { "$wine_run" "$@" >>"$work/wine.log" 2>&1; }

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

folder="$work/prefix/drive_c/Program Files/Quelvo"
shortcut="$work/prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quelvo.lnk"
installed=(LICENSE.txt README.txt quelvo.exe quelvoctl.exe quelvosvc.exe uninstall.exe velmorlogoff.exe
    velmorshutdown.exe)
machine_schedule="$work/prefix/drive_c/ProgramData/Quelvo/events.ini"
service_key='^\[System\\\\CurrentControlSet\\\\Services\\\\quelvosvc\]'
source_key='^\[System\\\\CurrentControlSet\\\\Services\\\\EventLog\\\\Application\\\\Quelvo\]'
# The values under a key of the machine's hive, as the Wine server saved them (key names keep the
# case they were first made in: Wine's own "Eventlog").
key_values() { sed -n "/$1/I,/^\[/p" "$work/prefix/system.reg"; }

win() { printf 'Z:%s' "${1//\//\\}"; }
# Batch files, so that cmd passes the uninstaller's "_?=" unquoted and waits for each program.
# "Load with windows" as the program writes it, and as an older copy may have for the machine.
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\%s]\r\n"Quelvo"="x"\r\n\r\n[HKEY_LOCAL_MACHINE\\%s]\r\n"Quelvo"="x"\r\n' \
    'Software\Microsoft\Windows\CurrentVersion\Run' 'Software\Microsoft\Windows\CurrentVersion\Run' >"$work/run.reg"
# The service is waited for until it runs (or 30 s), in the same Wine session as the install.
printf '"%s" /S\r\nregedit /S "%s"\r\nfor /l %%%%i in (1,1,30) do (sc query quelvosvc | find "RUNNING" >nul && goto done\r\nping -n 2 127.0.0.1 >nul)\r\n:done\r\nsc query quelvosvc\r\n' \
    "$(win "$setup")" "$(win "$work/run.reg")" >"$work/install.bat"
printf '"C:\\Program Files\\Quelvo\\uninstall.exe" /S /AllUsers _?=C:\\Program Files\\Quelvo\r\n' >"$work/uninstall.bat"

"$wine_run" cmd /c "$(win "$work/install.bat")" >"$work/install.out" 2>>"$work/wine.log" || fail "the silent install failed"
cat "$work/install.out" >>"$work/wine.log"
listing=$(cd "$folder" 2>/dev/null && ls | tr '\n' ' ')
[ "$listing" = "${installed[*]} " ] || fail "installed: '$listing'"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
grep -q '^"Quelvo"="x"' "$work/prefix/user.reg" || fail "the test could not write the user's Run entry"
grep -q '^"Quelvo"="x"' "$work/prefix/system.reg" || fail "the test could not write the machine's Run entry"
# Automatic, its program a dry run (never anything else under Wine), and started.
# (Windows saves the command line as an expandable string, Wine as a plain one.)
key_values "$service_key" |
    grep -qE '^"ImagePath"=(str\(2\):)?"\\"C:\\\\Program Files\\\\Quelvo\\\\quelvosvc.exe\\" --dry-run"$' ||
    fail "no service quelvosvc with the installed program: $(key_values "$service_key" | grep ImagePath)"
key_values "$service_key" | grep -qx '"Start"=dword:00000002' || fail "the service does not start automatically"
grep -q 'STATE.*RUNNING' "$work/install.out" || fail "the service did not start: $(tr -d '\r' <"$work/install.out")"
key_values "$source_key" | grep -qx '"EventMessageFile"=str(2):"C:\\\\Program Files\\\\Quelvo\\\\quelvosvc.exe"' ||
    fail "no event source naming the service's message table"
key_values "$source_key" | grep -qx '"TypesSupported"=dword:00000007' || fail "the event source's types"

# A schedule kept beside the programs (a per-user install's folder can be written) stays.
printf 'On Mon at 07:30 AM, Shut Down, Repeat daily\r\n' >"$folder/events.ini"
mkdir -p "${machine_schedule%/*}"
printf 'On Tue at 07:30 AM, Shut Down, Repeat daily\r\n' >"$machine_schedule"
# _?= keeps the uninstaller in place, so it is waited for; it can't delete itself then.
run cmd /c "$(win "$work/uninstall.bat")" || fail "the silent uninstall failed"
listing=$(cd "$folder" 2>/dev/null && ls | tr '\n' ' ')
[ "$listing" = "events.ini uninstall.exe " ] || fail "left after uninstalling: '$listing'"
[ ! -e "$shortcut" ] || fail "the Start-menu shortcut is still there"
grep -q '^"Quelvo"=' "$work/prefix/user.reg" && fail "the user's Run entry is still there"
grep -q '^"Quelvo"=' "$work/prefix/system.reg" && fail "the machine's Run entry is still there"
grep -q 'CurrentVersion\\\\Uninstall\\\\Quelvo\]' "$work/prefix/system.reg" && fail "the uninstall entry is still there"
grep -qi "$service_key" "$work/prefix/system.reg" && fail "the service is still there"
grep -qi "$source_key" "$work/prefix/system.reg" && fail "the event source is still there"
[ -f "$machine_schedule" ] || fail "the machine's schedule went with the programs"

# For the current user alone: the programs, but no service and no event source.
run "$setup" /S /CurrentUser || fail "the silent install for the current user failed"
user_folder="$work/prefix/drive_c/users/$(id -un)/AppData/Local/Programs/Quelvo"
[ -f "$user_folder/quelvo.exe" ] || fail "nothing installed for the current user"
[ -e "$user_folder/quelvosvc.exe" ] && fail "the current user's installation has the service's program"
grep -qi "$service_key" "$work/prefix/system.reg" && fail "the current user's installation registered the service"

if [ "$failures" -ne 0 ]; then
    tail -n 20 "$work/wine.log"
    exit 1
fi
echo "installer test passed"
