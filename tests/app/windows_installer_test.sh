#!/usr/bin/env bash
# The Windows installer under Wine, in a throw-away prefix: a silent install for all users puts the
# programs into Program Files with a Start-menu shortcut; a silent uninstall removes them, the
# shortcut, the uninstall entry and both start-with-Windows entries, and keeps a schedule.
#
# usage: windows_installer_test.sh SETUP_EXE WINE_RUN
# Exits 77 (skipped) when the installer was not built (no makensis).
set -u
setup=${1:?usage: windows_installer_test.sh SETUP_EXE WINE_RUN}
wine_run=${2:?usage: windows_installer_test.sh SETUP_EXE WINE_RUN}
if [ ! -f "$setup" ]; then
    echo "SKIP: no $setup (makensis is not installed)"
    exit 77
fi

work=$(mktemp -d /tmp/quelvo-setup-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
export QUELVO_WINE_PREFIX=$work/prefix QUELVO_WINE_GRAPHICS=null
run() { "$wine_run" "$@" >>"$work/wine.log" 2>&1; }

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

folder="$work/prefix/drive_c/Program Files/Quelvo"
shortcut="$work/prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quelvo.lnk"
installed=(LICENSE.txt README.txt quelvo.exe quelvoctl.exe uninstall.exe velmorlogoff.exe velmorshutdown.exe)

win() { printf 'Z:%s' "${1//\//\\}"; }
# Batch files, so that cmd passes the uninstaller's "_?=" unquoted and waits for each program.
# "Load with windows" as the program writes it, and as an older copy may have for the machine.
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\%s]\r\n"Quelvo"="x"\r\n\r\n[HKEY_LOCAL_MACHINE\\%s]\r\n"Quelvo"="x"\r\n' \
    'Software\Microsoft\Windows\CurrentVersion\Run' 'Software\Microsoft\Windows\CurrentVersion\Run' >"$work/run.reg"
printf '"%s" /S\r\nregedit /S "%s"\r\n' "$(win "$setup")" "$(win "$work/run.reg")" >"$work/install.bat"
printf '"C:\\Program Files\\Quelvo\\uninstall.exe" /S /AllUsers _?=C:\\Program Files\\Quelvo\r\n' >"$work/uninstall.bat"

run cmd /c "$(win "$work/install.bat")" || fail "the silent install failed"
listing=$(cd "$folder" 2>/dev/null && ls | tr '\n' ' ')
[ "$listing" = "${installed[*]} " ] || fail "installed: '$listing'"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
grep -q '^"Quelvo"="x"' "$work/prefix/user.reg" || fail "the test could not write the user's Run entry"
grep -q '^"Quelvo"="x"' "$work/prefix/system.reg" || fail "the test could not write the machine's Run entry"

# A schedule kept beside the programs (a per-user install's folder can be written) stays.
printf 'On Mon at 07:30 AM, Shut Down, Repeat daily\r\n' >"$folder/events.ini"
# _?= keeps the uninstaller in place, so it is waited for; it can't delete itself then.
run cmd /c "$(win "$work/uninstall.bat")" || fail "the silent uninstall failed"
listing=$(cd "$folder" 2>/dev/null && ls | tr '\n' ' ')
[ "$listing" = "events.ini uninstall.exe " ] || fail "left after uninstalling: '$listing'"
[ ! -e "$shortcut" ] || fail "the Start-menu shortcut is still there"
grep -q '^"Quelvo"=' "$work/prefix/user.reg" && fail "the user's Run entry is still there"
grep -q '^"Quelvo"=' "$work/prefix/system.reg" && fail "the machine's Run entry is still there"
grep -q 'CurrentVersion\\\\Uninstall\\\\Quelvo\]' "$work/prefix/system.reg" && fail "the uninstall entry is still there"

if [ "$failures" -ne 0 ]; then
    tail -n 20 "$work/wine.log"
    exit 1
fi
echo "installer test passed"
