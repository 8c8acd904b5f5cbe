#!/bin/bash
# Drives the tray program through a real StatusNotifierItem host: xfce4-panel with only its status
# tray on a private Xvfb display and a private session bus. Every power request is a dry run.
# usage: e2e_sni_test.sh BIN_FOLDER
# Exits 77 (skipped) when xfce4-panel, Xvfb, dbus-daemon, gdbus, xdotool or xwininfo is missing.
set -u
bin=$1

source "$(dirname "$0")/e2e_common.sh"
needs xfce4-panel Xvfb dbus-daemon gdbus xdotool xwininfo
export QT_QPA_PLATFORM=xcb GTK_A11Y=none

# The panel: one panel along the bottom holding only the status tray.
panel_xml=$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml
mkdir -p "$(dirname "$panel_xml")"
cat >"$panel_xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=8;x=512;y=752"/>
      <property name="length" type="uint" value="100"/>
      <property name="size" type="uint" value="32"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
EOF

start_xvfb

bus_address=unix:path=$work/run/bus
dbus-daemon --session --nofork --address="$bus_address" >"$work/bus.log" 2>&1 &
pids+=($!)
export DBUS_SESSION_BUS_ADDRESS=$bus_address
# Every call below goes to this bus; anything else is refused before it is made.
on_bus() {
    if [ "$DBUS_SESSION_BUS_ADDRESS" != "unix:path=$work/run/bus" ]; then
        echo "refusing: $DBUS_SESSION_BUS_ADDRESS is not the test's private bus"
        exit 1
    fi
    gdbus call --session "$@" 2>/dev/null
}
bus_client_pid() {
    on_bus -d org.freedesktop.DBus -o /org/freedesktop/DBus -m org.freedesktop.DBus.GetConnectionUnixProcessID "$1" |
        sed -nE 's/^\(uint32 ([0-9]+),\)$/\1/p'
}
watcher() {
    on_bus -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher \
        -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher "$1"
}
# The panel's settings daemon was started by the bus: it is ended by the id the bus gives for it.
end_xfconfd() {
    local xfconfd
    xfconfd=$(bus_client_pid org.xfce.Xfconf)
    [ -n "$xfconfd" ] && kill "$xfconfd" 2>/dev/null
}
before_cleanup=end_xfconfd
if ! wait_for 50 on_bus -d org.freedesktop.DBus -o /org/freedesktop/DBus -m org.freedesktop.DBus.GetId >/dev/null; then
    echo "FAIL: the private bus did not start"
    cat "$work/bus.log"
    exit 1
fi

xfce4-panel --disable-wm-check >"$work/panel.log" 2>&1 &
pids+=($!)
host_up() { watcher IsStatusNotifierHostRegistered | grep -q true; }
if ! wait_for 150 host_up; then
    echo "FAIL: xfce4-panel registered no StatusNotifierItem host"
    cat "$work/panel.log"
    exit 1
fi

# Starts the program with its window hidden at the first tick, as after a hide to the tray.
start_quelvo() {
    mkdir -p "$XDG_CONFIG_HOME/quelvo"
    printf '[quelvo/data]\nhide=1\n' >"$XDG_CONFIG_HOME/quelvo/settings.ini"
    "$bin/quelvo" --dry-run --folder "$work/events" >"$work/out.$1" 2>"$work/err.$1" &
    quelvo_pid=$!
    pids+=("$quelvo_pid")
}
has_line() { grep -q "$1" "$work/out.$2"; }
map_state() { xwininfo -name Quelvo 2>/dev/null | sed -nE 's/^ *Map State: (.*)$/\1/p'; }
window_is() { [ "$(map_state)" = "$1" ]; }
# Hidden to the tray: unmapped, or gone, since a hidden window gives its X window back.
window_hidden() { window_is IsUnMapped || window_is ""; }
# The item as the watcher lists it: "<bus name>/<object path>".
item() { watcher RegisteredStatusNotifierItems | grep -oE "'[^']+'" | tr -d "'" | head -n1; }
# The program's item is registered: the watcher lists it, under the running program's bus name.
registered() {
    service=$(item)
    service=${service%%/*}
    [ -n "$service" ] && [ "$(bus_client_pid "$service")" = "$quelvo_pid" ]
}
# The middle of the status tray inside the panel: with one item, that item's button.
find_icon() {
    local line
    # The plugin's window docked in the panel; the plugin's other, unmapped windows are 10x10.
    line=$(xwininfo -root -tree 2>/dev/null | grep '"wrapper-2.0": ("wrapper-2.0"' | grep -v ' 10x10+' | head -n1)
    [ -n "$line" ] || return 1
    read -r w h ax ay < <(echo "$line" | sed -E 's/.* ([0-9]+)x([0-9]+)[+-][0-9-]+[+-][0-9-]+ +\+(-?[0-9]+)\+(-?[0-9]+)$/\1 \2 \3 \4/')
    [ -n "$ay" ] || return 1
    icon_x=$((ax + w / 2))
    icon_y=$((ay + h / 2))
}
# The host's buttons take a click only after the pointer entered them, so it comes from elsewhere.
click_icon() {
    xdotool mousemove 0 0 sleep 0.2 mousemove "$icon_x" "$icon_y" sleep 0.2 click "$1"
}

# The item registers; a click on it shows the window; its menu, drawn by the host.
start_quelvo 1
run1=$quelvo_pid
wait_for 100 registered || fail "the program's item did not register with the watcher: $(item)"
wait_for 100 window_hidden || fail "the window did not hide at the first tick: $(map_state)"
wait_for 50 find_icon || fail "the icon did not appear in the panel"
click_icon 1
wait_for 50 window_is IsViewable || fail "a click on the icon did not show the window: $(map_state)"

# The menu the host draws: its entries over com.canonical.dbusmenu, in order.
menu_path=$(on_bus -d "$service" -o /StatusNotifierItem -m org.freedesktop.DBus.Properties.Get \
    org.kde.StatusNotifierItem Menu | sed -nE "s/^\(<objectpath '([^']+)'>,\)$/\1/p")
layout=$(on_bus -d "$service" -o "$menu_path" -m com.canonical.dbusmenu.GetLayout -- 0 -1 '@as []')
labels=$(echo "$layout" | grep -oE "'(label|type)': <'[^']*'>" |
    sed -E "s/'label': <'(.*)'>/\1/; s/'type': <'separator'>/-/; /^'type'/d" | paste -sd'|')
# The same entries as the program's own menu: mnemonics marked the D-Bus way, no default entry.
[ "$labels" = "$(echo "${expected_menu#tray: menu }" | tr '&' _ | tr -d '*')" ] ||
    fail "the exported menu is: $labels"

# A right click on the icon: the host opens the menu, which the program hears before it shows.
click_icon 3
wait_for 50 has_line "tray: menu" 1 || fail "a right click on the icon did not open the menu"
grep -qxF "$expected_menu" "$work/out.1" || fail "menu is not as expected: $(grep 'tray: menu' "$work/out.1")"
# The last entry, "&Exit", chosen in the host's menu, comes back to the program.
xdotool key Up sleep 0.1 key Return
wait_for 30 ended "$run1" || fail "\"&Exit\" from the host's menu did not end the program"
has_line "^tray: chose exit$" 1 || fail "the host's menu chose something else: $(grep 'tray: chose' "$work/out.1")"

finish "e2e StatusNotifierItem test" "$work"/out.* "$work"/err.* "$work/panel.log"
