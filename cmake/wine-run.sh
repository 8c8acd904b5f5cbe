#!/usr/bin/env bash
# Runs one Windows program under wine64 in a private, throw-away Wine prefix with its own
# wineserver, which this script starts and ends by its PID. The prefix is copied from a
# template made once (wineboot takes about ten seconds, a copy under one), so parallel
# runs never share a prefix or a server.
#   QUELVO_WINE_TEMPLATE  the template prefix (default ~/.cache/quelvo/wine-prefix)
#   QUELVO_WINE_PREFIX    a prefix to run in and keep, made from the template when it is empty,
#                         so that several programs in turn see one registry (default: a fresh
#                         prefix per run, removed afterwards)
#   QUELVO_WINE_GRAPHICS  Wine's graphics driver for this run; "null" lets a program make
#                         windows without any display (window tests), none appear on screen
# Exit status: the program's own.
set -euo pipefail

template=${QUELVO_WINE_TEMPLATE:-${XDG_CACHE_HOME:-$HOME/.cache}/quelvo/wine-prefix}
# No Mono or Gecko installer dialogs; no desktop integration in the user's menus.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
# Debian's wine64 package keeps its programs in /usr/lib/wine (the wine package adds wrappers).
PATH=$PATH:/usr/lib/wine
command -v wineserver >/dev/null || wineserver() { wineserver64 "$@"; }

# Ends the prefix's Wine processes (services, device drivers: they would hold this script's
# output open) and then the server itself, by its PID.
stop_server() { # prefix pid
    WINEPREFIX="$1" wineserver -k >/dev/null 2>&1 || true
    kill "$2" 2>/dev/null || true
    wait "$2" 2>/dev/null || true
}

make_template() {
    local stamp version
    version=$(wine64 --version)
    stamp="$template/.quelvo-wine-version"
    if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ]; then
        return
    fi
    rm -rf "$template"
    mkdir -p "$template"
    local server
    WINEPREFIX="$template" wineserver -f -p >/dev/null 2>&1 &
    server=$!
    WINEPREFIX="$template" wine64 wineboot -i >/dev/null 2>&1 || true
    stop_server "$template" "$server"
    echo "$version" >"$stamp"
}

mkdir -p "$(dirname "$template")"
exec 9>"$template.lock"
flock 9
make_template
flock -u 9
exec 9>&-

keep=${QUELVO_WINE_PREFIX:-}
if [ -n "$keep" ]; then
    prefix=$keep
    mkdir -p "$prefix"
else
    prefix=$(mktemp -d "${TMPDIR:-/tmp}/quelvo-wine.XXXXXX")
fi
server=
cleanup() {
    if [ -n "$server" ]; then
        stop_server "$prefix" "$server"
    fi
    if [ -z "$keep" ]; then
        rm -rf "$prefix"
    fi
}
trap cleanup EXIT
# A run ended from outside (timeout, Ctrl+C) still ends the prefix's services and removes it.
trap 'exit 143' TERM INT HUP
# The prefix's system files (some 700 MB) are hard links to the template's, which Wine only
# reads; the registry files, which the server rewrites, are copies.
if [ ! -f "$prefix/system.reg" ]; then
    cp -al "$template/." "$prefix/"
    for hive in "$prefix"/*.reg; do
        rm -f "$hive"
        cp "$template/${hive##*/}" "$hive"
    done
    # The template is remade whenever Wine changes, so the prefix never needs Wine's update
    # check; a program under a faked clock (libfaketime) would otherwise set off a full update.
    rm -f "$prefix/.update-timestamp"
    echo disable >"$prefix/.update-timestamp"
fi
if [ -n "${QUELVO_WINE_GRAPHICS:-}" ]; then
    printf '\n[Software\\\\Wine\\\\Drivers]\n"Graphics"="%s"\n' "$QUELVO_WINE_GRAPHICS" >>"$prefix/user.reg"
fi
export WINEPREFIX="$prefix"
# In a session of its own, so a signal to this run's process group leaves it to end the prefix below.
setsid "$(command -v wineserver || command -v wineserver64)" -f -p >/dev/null 2>&1 &
server=$!

set +e
wine64 "$@"
status=$?
set -e
exit "$status"
