#!/usr/bin/env bash
# The machine service's bus policy on a private bus run with the system bus's default rules: root
# owns the name, another user may not; that user may call the service's interface, introspect it
# and read its properties, but reaches nothing else of the service. Needs root, to act as root and
# as nobody; skipped (77) otherwise or without dbus-daemon, gdbus or python3-gi.
#
# usage: machine_bus_policy_test.sh POLICY_FILE
set -uo pipefail
policy=$(realpath "${1:?usage: machine_bus_policy_test.sh POLICY_FILE}")
source "$(dirname "$0")/e2e_common.sh"
needs dbus-daemon gdbus setpriv
[ "$(id -u)" -eq 0 ] || { echo "SKIP: needs root to act as two users"; exit 77; }
/usr/bin/python3 -c 'from gi.repository import Gio' 2>/dev/null || { echo "SKIP: python3-gi is missing"; exit 77; }

start_system_bus "$policy"

# The service's stand-in: the interface the policy opens and one it does not.
/usr/bin/python3 - >"$work/owner.log" 2>&1 <<'PY' &
from gi.repository import Gio, GLib
xml = """<node>
 <interface name='org.example.quelvo.Machine1'>
  <method name='NextFiring'><arg type='b' direction='out'/><arg type='s' direction='out'/>
   <arg type='b' direction='out'/><arg type='x' direction='out'/></method>
  <property name='Version' type='s' access='readwrite'/>
 </interface>
 <interface name='org.example.quelvo.Internal'><method name='Reset'/></interface>
</node>"""
bus = Gio.bus_get_sync(Gio.BusType.SYSTEM)
def call(conn, sender, path, iface, method, params, invocation):
    invocation.return_value(GLib.Variant("(bsbx)", (False, "", False, 0)) if method == "NextFiring" else None)
for iface in Gio.DBusNodeInfo.new_for_xml(xml).interfaces:
    bus.register_object("/org/example/quelvo/Machine", iface, call,
                        lambda *a: GLib.Variant("s", "1"), lambda *a: True)
bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
              GLib.Variant("(su)", ("org.example.quelvo.Machine", 4)), None, 0, -1, None)
print("owned", flush=True)
GLib.MainLoop().run()
PY
pids+=($!)
wait_for 100 grep -q owned "$work/owner.log" || { echo "FAIL: root could not own the name"; cat "$work/owner.log"; exit 1; }

# as_nobody METHOD ARGS...: a call to the service's object as another user; prints the reply or error.
as_nobody() {
    setpriv --reuid=nobody --regid=nogroup --clear-groups env DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SYSTEM_BUS_ADDRESS" \
        gdbus call --system --dest org.example.quelvo.Machine --object-path /org/example/quelvo/Machine \
        --method "$@" 2>&1
}
denied=org.freedesktop.DBus.Error.AccessDenied
# what | expected: allowed or denied | call
cases=(
    "the interface's method|allowed|org.example.quelvo.Machine1.NextFiring"
    "introspection|allowed|org.freedesktop.DBus.Introspectable.Introspect"
    "reading properties|allowed|org.freedesktop.DBus.Properties.GetAll org.example.quelvo.Machine1"
    "writing a property|denied|org.freedesktop.DBus.Properties.Set org.example.quelvo.Machine1 Version <'2'>"
    "another interface of the service|denied|org.example.quelvo.Internal.Reset"
)
for entry in "${cases[@]}"; do
    IFS='|' read -r what expected call <<<"$entry"
    # shellcheck disable=SC2086 # the call's words are meant to split
    out=$(as_nobody $call)
    case "$out" in
    "("*) got=allowed ;;
    *"$denied"*) got=denied ;;
    *) got="no answer ($out)" ;;
    esac
    [ "$got" = "$expected" ] || fail "$what: expected $expected, got: $out"
done

out=$(setpriv --reuid=nobody --regid=nogroup --clear-groups env DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SYSTEM_BUS_ADDRESS" \
    gdbus call --system --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.RequestName org.example.quelvo.Machine "uint32 4" 2>&1)
grep -q "$denied" <<<"$out" || fail "another user may own the service's name: $out"

[ "$failures" -eq 0 ] || { cat "$work/bus.log"; exit 1; }
echo "machine_bus_policy_test: passed"
