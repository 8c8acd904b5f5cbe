#!/usr/bin/env bash
# The MSI: its tables as msiinfo reads them (the machine's service and its event source among
# them), then under Wine in a throw-away prefix a silent install over an older package that
# replaces it and registers and starts the service (a dry run), and a silent removal that takes
# the programs, the shortcut, the service and its event source and leaves the machine's schedule
# in ProgramData.
#
# usage: windows_msi_test.sh MSI WXS VERSION WINE_RUN   (WXS: the package's configured source)
# Exits 77 (skipped) when the package was not built (no wixl) or msiinfo is missing.
set -u
msi=${1:?} wxs=${2:?} version=${3:?} wine_run=${4:?}
if ! command -v msiinfo >/dev/null || [ ! -f "$msi" ]; then echo "SKIP: no msiinfo or no $msi"; exit 77; fi
work=$(mktemp -d /tmp/quelvo-msi-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
row() { msiinfo export "$1" "$2" 2>/dev/null | tr -d '\r' | grep -qx "$3"; }

# table|whole row. Another upgrade code would install beside an older version, not over it.
t=$'\t'
for entry in "Property|ProductVersion$t$version" "Property|ALLUSERS${t}1" \
    "Property|UpgradeCode$t{77AC0935-AB33-4019-9058-FD1500026264}" \
    "Directory|INSTALLDIR${t}ProgramFiles64Folder${t}Quelvo" \
    "Shortcut|StartMenuShortcut${t}ProgramMenuFolder${t}Quelvo${t}quelvo.exe$t\[#quelvo.exe\].*" \
    "LaunchCondition|NOT WIX_DOWNGRADE_DETECTED$t.*"; do
    row "$msi" "${entry%%|*}" "${entry#*|}" || fail "no ${entry%%|*} row '${entry#*|}'"
done
[ "$(stat -c %s "$msi")" -le 3145728 ] || fail "the package is over 3 MB"

# wixl takes its files and the icon relative to the folder it runs in: a copy of the stage (the
# folder named like the package) with the icon, for packages of other versions or for tests.
cp -r "${msi%.msi}" "$work/stage"
icon=$(sed -n 's/.*<Icon Id="quelvo.ico" SourceFile="\([^"]*\)".*/\1/p' "$wxs")
cp "${msi%.msi}/$icon" "$work/stage/quelvo.ico"
make_msi() { # version output [wixl options...]
    sed "s/ Version=\"$version\"/ Version=\"$1\"/; s#SourceFile=\"$icon\"#SourceFile=\"quelvo.ico\"#" "$wxs" >"$work/make.wxs"
    (cd "$work/stage" && wixl -a x64 "${@:3}" -o "$2" "$work/make.wxs") || fail "wixl could not make $2"
}
# Own process (16), automatic (2), LocalSystem, nothing after the program in its command line;
# started on install, stopped, removed (1+2+32+128); the event source names the service's program.
row "$msi" ServiceInstall "[^$t]*${t}quelvosvc$t[^$t]*${t}16${t}2$t[^$t]*$t$t${t}LocalSystem$t$t${t}quelvosvc.exe$t.*" ||
    fail "no automatic LocalSystem service quelvosvc"
row "$msi" ServiceControl "[^$t]*${t}quelvosvc${t}163$t.*" || fail "the service's control events"
source_key='SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Quelvo\\\?'
row "$msi" Registry "[^$t]*${t}2$t$source_key${t}EventMessageFile$t\\[#quelvosvc.exe\\]${t}quelvosvc.exe" ||
    fail "no event source naming the service's message table"
row "$msi" Registry "[^$t]*${t}2$t$source_key${t}TypesSupported$t#7${t}quelvosvc.exe" || fail "the event source's types"

# Under Wine only dry runs may start, and the service starts on install (the package waits until it
# runs): the package installed is made again with --dry-run after the service's program, a
# define only tests give. Wine's installer puts those options after the program's path without
# quotes, so that path must have no space: the packages go to C:\Quelvo here. The older version
# came before the service.
make_msi "$version" "$work/current.msi" -D QuelvoService=1 -D QuelvoServiceArguments=--dry-run
make_msi 0.9.0 "$work/older.msi"
export QUELVO_WINE_PREFIX=$work/prefix QUELVO_WINE_GRAPHICS=null QUELVO_DRY_RUN=1
win() { printf 'Z:%s' "${1//\//\\}"; }
run() { "$wine_run" "$@" >>"$work/wine.log" 2>&1; }
folder="$work/prefix/drive_c/Quelvo"
# Wine keeps ProgramMenuFolder the user's even for ALLUSERS=1 (Windows: the machine's).
shortcut="$work/prefix/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quelvo.lnk"
schedule="$work/prefix/drive_c/ProgramData/Quelvo/events.ini"
products() { grep -A40 'CurrentVersion\\\\Uninstall\\\\{' "$work/prefix/system.reg" | grep -c '^"DisplayName"="Quelvo"$'; }
# The values under a key of the machine's hive as the Wine server saved them; Wine's own key is
# "Eventlog".
service_key='^\[System\\\\CurrentControlSet\\\\Services\\\\quelvosvc\]'
saved_source_key='^\[System\\\\CurrentControlSet\\\\Services\\\\EventLog\\\\Application\\\\Quelvo\]'
key_values() { sed -n "/$1/I,/^\[/p" "$work/prefix/system.reg"; }

printf 'msiexec /i "%s" INSTALLDIR=C:\\Quelvo /qn\r\nmsiexec /i "%s" INSTALLDIR=C:\\Quelvo /qn\r\nsc query quelvosvc\r\n' \
    "$(win "$work/older.msi")" "$(win "$work/current.msi")" >"$work/in.bat"
"$wine_run" cmd /c "$(win "$work/in.bat")" >"$work/in.out" 2>>"$work/wine.log" || fail "the silent installs failed"
listing=$(cd "$folder" 2>/dev/null && echo *)
[ "$listing" = "LICENSE.txt README.txt policy quelvo.exe quelvoctl.exe quelvosvc.exe velmorlogoff.exe velmorshutdown.exe" ] ||
    fail "installed: '$listing'"
[ -f "$folder/policy/quelvo.admx" ] && [ -f "$folder/policy/en-US/quelvo.adml" ] || fail "no Group Policy templates"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
[ "$(products)" = 1 ] || fail "$(products) products named Quelvo after the upgrade"
grep -qx "\"DisplayVersion\"=\"$version\"" "$work/prefix/system.reg" || fail "$version is not installed"
key_values "$service_key" | grep -qE '^"ImagePath"=(str\(2\):)?"C:\\\\Quelvo\\\\quelvosvc.exe --dry-run"$' ||
    fail "no dry-run service quelvosvc: $(key_values "$service_key" | grep ImagePath)"
key_values "$service_key" | grep -qx '"Start"=dword:00000002' || fail "the service does not start automatically"
tr -d '\r' <"$work/in.out" | grep -q 'STATE.*RUNNING' || fail "the service is not running after the install"
key_values "$saved_source_key" | grep -qE '^"EventMessageFile"=(str\(2\):)?"C:\\\\Quelvo\\\\quelvosvc.exe"$' ||
    fail "no event source in the registry"

mkdir -p "${schedule%/*}" && printf 'On Mon at 07:30 AM, Shut Down, Repeat daily\r\n' >"$schedule"
# Wine's installer finds the files to remove through the folder given again, not the one it used.
run msiexec /x "$(win "$work/current.msi")" 'INSTALLDIR=C:\Quelvo' /qn || fail "the silent removal failed"
[ ! -e "$folder" ] || fail "left after removal: '$(cd "$folder" && echo *)'"
[ ! -e "$shortcut" ] || fail "the Start-menu shortcut is still there"
[ "$(products)" = 0 ] || fail "still registered after removal"
grep -qi "$service_key" "$work/prefix/system.reg" && fail "the service is still there"
grep -qi "$saved_source_key" "$work/prefix/system.reg" && fail "the event source is still there"
[ -f "$schedule" ] || fail "the machine's schedule went with the package"

[ "$failures" -eq 0 ] || { tail -n 20 "$work/wine.log"; exit 1; }
echo "MSI test passed"
