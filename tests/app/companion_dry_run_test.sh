#!/bin/sh
# Runs the companion programs only in dry runs and checks what they print and return.
# usage: companion_dry_run_test.sh BIN_FOLDER [RUNNER]
# With a RUNNER (the Windows build: cmake/wine-run.sh) the programs are the .exe files, run
# through it; their line ends (CR LF) are compared without the CR.
set -u
bin=$1
run=${2:-}
ext=
[ -n "$run" ] && ext=.exe
shutdown="$bin/velmorshutdown$ext"
logoff="$bin/velmorlogoff$ext"
failures=0
# Never the real bus, whatever happens below.
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/quelvo-test-bus

expect() { # expected-code expected-stdout command...
    code=$1 want=$2
    shift 2
    # shellcheck disable=SC2086
    $run "$@" >/tmp/companion_out.$$ 2>/tmp/companion_err.$$
    rc=$?
    got=$(tr -d '\r' </tmp/companion_out.$$)
    if [ "$rc" != "$code" ] || [ "$got" != "$want" ]; then
        echo "FAIL: $* -> exit $rc, stdout '$got' (wanted exit $code, '$want')"
        cat /tmp/companion_err.$$
        failures=$((failures + 1))
    fi
}

# --dry-run alone, without the environment variable.
unset QUELVO_DRY_RUN
expect 0 "power: ShutdownSystem 8" "$shutdown" --dry-run -u
expect 0 "power: ShutdownSystem 12" "$shutdown" -u -f --dry-run
expect 0 "power: ShutdownSystem 8" "$logoff" --dry-run -p
expect 0 "power: ShutdownSystem 2" "$logoff" --dry-run -r

# The environment variable alone.
export QUELVO_DRY_RUN=1
expect 0 "power: ShutdownSystem 12" "$shutdown" -f -u
expect 0 "power: ShutdownSystem 2" "$logoff" -r

# Bad switches: usage on stderr, nothing on stdout, exit 2.
for args in "" "-r" "-u -u" "-x"; do
    # shellcheck disable=SC2086
    expect 2 "" "$shutdown" --dry-run $args
done
for args in "" "-u" "-p -r"; do
    # shellcheck disable=SC2086
    expect 2 "" "$logoff" --dry-run $args
done
$run "$logoff" --dry-run -x 2>&1 >/dev/null | grep -q "usage: velmorlogoff" ||
    { echo "FAIL: no usage on stderr"; failures=$((failures + 1)); }

rm -f /tmp/companion_err.$$ /tmp/companion_out.$$
[ "$failures" -eq 0 ]
