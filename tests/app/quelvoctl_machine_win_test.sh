#!/usr/bin/env bash
# quelvoctl.exe --machine under Wine (an administrator there), under a root folder of its own: an
# administrator's line reaches the machine's folder and the machine's commands read it back.
# usage: quelvoctl_machine_win_test.sh QUELVOCTL_EXE WINE_RUN
set -u
exe=${1:?usage: quelvoctl_machine_win_test.sh QUELVOCTL_EXE WINE_RUN}
wine_run=${2:?usage: quelvoctl_machine_win_test.sh QUELVOCTL_EXE WINE_RUN}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# One prefix for every run, so that they share a registry.
export QUELVO_WINE_PREFIX="$work/prefix" QUELVO_DRY_RUN=1
root="Z:${work//\//\\}\\root"
failures=0

expect() { # expected-code expected-stdout args...
    local code=$1 want=$2 got rc
    shift 2
    got=$("$wine_run" "$exe" --machine --root "$root" "$@" 2>"$work/err" | tr -d '\r')
    rc=${PIPESTATUS[0]}
    if [ "$rc" != "$code" ] || [ "$got" != "$want" ]; then
        echo "FAIL: $* -> exit $rc, stdout '$got' (wanted exit $code, '$want')"
        cat "$work/err"
        failures=$((failures + 1))
    fi
}

expect 0 "On Sat at 11:59 PM, Shut Down, Don't repeat" add --days sat --hour 11 --minute 59 --ampm PM --shutdown
expect 0 "On Sat at 11:59 PM, Shut Down, Don't repeat" list --raw
[ "$(tr -d '\r' <"$work/root/ProgramData/Quelvo/events.ini")" = "On Sat at 11:59 PM, Shut Down, Don't repeat" ] ||
    { echo "FAIL: events.ini is not in the machine's folder"; failures=$((failures + 1)); }
exit $((failures > 0))
