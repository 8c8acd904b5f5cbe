#!/bin/bash
# Drives the tray program through a real notification area: a private Xvfb display with trayer
# as the tray host, no window manager. Every power request is a dry run.
# usage: e2e_tray_test.sh BIN_FOLDER
# Exits 77 (skipped) when Xvfb, trayer, xdotool or xwininfo is missing.
set -u
bin=$1

source "$(dirname "$0")/e2e_common.sh"
needs Xvfb trayer xdotool xwininfo
export QT_QPA_PLATFORM=xcb
start_xvfb

# Starts the program; its output goes to $work/out.$1.
start_quelvo() {
    "$bin/quelvo" --dry-run --folder "$work/events" >"$work/out.$1" 2>"$work/err.$1" &
    quelvo_pid=$!
    pids+=("$quelvo_pid")
}

start_trayer() {
    trayer --edge bottom --align right --widthtype request --height 32 \
        --SetDockType false --SetPartialStrut false >>"$work/trayer.log" 2>&1 &
    trayer_pid=$!
    pids+=("$trayer_pid")
}

# The program's icon inside trayer's panel: sets icon_x, icon_y to its middle.
find_icon() {
    local line
    line=$(xwininfo -name panel -tree 2>/dev/null | grep '"quelvo": ("quelvo"' | head -n1)
    [ -n "$line" ] || return 1
    # ...  22x30+0+0  +1001+737
    read -r w h ax ay < <(echo "$line" | sed -E 's/.* ([0-9]+)x([0-9]+)[+-][0-9-]+[+-][0-9-]+ +\+(-?[0-9]+)\+(-?[0-9]+)$/\1 \2 \3 \4/')
    [ -n "$ay" ] || return 1
    icon_x=$((ax + w / 2))
    icon_y=$((ay + h / 2))
}

has_line() { grep -q "$1" "$work/out.$2"; }

right_click_icon() {
    xdotool mousemove "$icon_x" "$icon_y" sleep 0.2 click 3
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# --- Run 1: the notification area starts after the program, as it may at log-in.
start_quelvo 1
run1=$quelvo_pid
wait_for 100 xwininfo -name Quelvo >/dev/null 2>&1 || fail "the main window did not appear"
start_trayer
if ! wait_for 100 find_icon; then
    fail "the icon did not appear in trayer's panel"
    xwininfo -root -tree
    cat "$work/err.1"
    exit 1
fi

right_click_icon
wait_for 50 has_line "tray: menu" 1 || fail "a right click on the icon did not open the menu"
grep -qxF "$expected_menu" "$work/out.1" || fail "menu is not as expected: $(grep 'tray: menu' "$work/out.1")"

# The second entry below the first is "&Shut down PC now!" (separators are skipped).
xdotool key Down sleep 0.1 key Down sleep 0.1 key Return
chosen=$(now_ms)
wait_for 30 has_line "tray: chose" 1
has_line "^tray: chose shutdown$" 1 || fail "the keyboard chose something else: $(grep 'tray: chose' "$work/out.1")"
wait_for 20 has_line "^power: " 1
took=$(($(now_ms) - chosen))
has_line "^power: " 1 || fail "no power request after \"&Shut down PC now!\""
# Acts at the countdown's next tick, at most a second away; CI runs this under sanitizers
# beside other tests, so a second of slack keeps a busy machine from failing it.
echo "e2e: the power request came $took ms after the choice"
[ "$took" -le 2000 ] || fail "the power request took $took ms"
wait_for 50 ended "$run1" || fail "the program did not end after the shutdown request"

# --- Run 2: "&Exit" while a due event counts down. The event is due this minute or the next,
# whichever minute the program's first check falls in.
{
    date +'On %a at %I:%M %p, Shut Down, Repeat daily'
    date -d '+1 minute' +'On %a at %I:%M %p, Shut Down, Repeat daily'
} | sed 's/$/\r/' >"$work/events/events.ini"
start_quelvo 2
run2=$quelvo_pid
wait_for 100 find_icon || fail "the icon did not appear the second time"
wait_for 50 has_line "^countdown: open shutdown$" 2 || fail "the due event opened no countdown"

# A second copy ends at once and quietly; the running one goes on.
start_quelvo 3
wait_for 50 ended "$quelvo_pid" || fail "a second copy kept running"
wait "$quelvo_pid"
rc=$?
[ "$rc" -eq 0 ] || fail "a second copy ended with $rc"
[ ! -s "$work/out.3" ] || fail "a second copy printed: $(cat "$work/out.3")"
ended "$run2" && fail "the running copy ended when a second one started"

right_click_icon
wait_for 50 has_line "tray: menu" 2 || fail "the menu did not open during the countdown"
# With no entry highlighted, Up goes to the last one: "&Exit".
xdotool key Up sleep 0.1 key Return
wait_for 30 ended "$run2" || fail "\"&Exit\" did not end the program"
wait "$run2"
rc=$?
[ "$rc" -eq 0 ] || fail "\"&Exit\" ended the program with $rc"
has_line "^power: " 2 && fail "\"&Exit\" during a countdown still made a request: $(grep '^power: ' "$work/out.2")"

# --- Run 3: a later copy brings the running one forward only while there is no notification area.
# Bringing it forward stores hide "0", which is what can be seen from outside without a window manager.
settings=$XDG_CONFIG_HOME/quelvo/settings.ini
stored_shown() { grep -q '^hide=0' "$settings" 2>/dev/null; }
start_quelvo 4
run4=$quelvo_pid
wait_for 100 find_icon || fail "the icon did not appear the third time"
start_quelvo 5
wait_for 50 ended "$quelvo_pid" || fail "a second copy kept running"
sleep 0.5
stored_shown && fail "a later copy touched the running one although a tray is there"

kill "$trayer_pid"
wait "$trayer_pid" 2>/dev/null
start_quelvo 6
wait_for 50 ended "$quelvo_pid" || fail "a second copy kept running without a tray"
wait_for 30 stored_shown || fail "a later copy did not bring the running one forward without a tray"

# The notification area comes back: the icon docks again and its menu still works.
start_trayer
wait_for 100 find_icon || fail "the icon did not come back with the notification area"
right_click_icon
wait_for 50 has_line "tray: menu" 4 || fail "the menu did not open after the tray came back"
xdotool key Up sleep 0.1 key Return
wait_for 30 ended "$run4" || fail "\"&Exit\" did not end the program the third time"

finish "e2e tray test" "$work"/out.* "$work"/err.*
