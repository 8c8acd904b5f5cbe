#!/usr/bin/python3
"""Runs a test program against a mock logind on a private D-Bus bus.

Starts its own dbus-daemon on a socket in a fresh temporary folder and
python3-dbusmock's logind template on it, then runs the program with
DBUS_SYSTEM_BUS_ADDRESS pointing at that bus (and QUELVO_TEST_PRIVATE_SYSTEM_BUS
naming it, so the program can check it is not on the real one). Everything it
started is stopped by PID afterwards. Exits 77 (skipped) when dbus-daemon or
dbusmock is missing.

usage: logind_mock.py PROGRAM [ARGS...]
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>custom</type>
  <listen>unix:path={socket}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


def skip(reason):
    print(f"{os.path.basename(sys.argv[0])}: skipped: {reason}", file=sys.stderr)
    return SKIP


def stop(process):
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout=5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def wait_for_name(address, mock, name):
    import dbus  # pylint: disable=import-outside-toplevel
    bus = dbus.bus.BusConnection(address)
    try:
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            if mock.poll() is not None:
                return False
            if bus.name_has_owner(name):
                return True
            time.sleep(0.05)
        return False
    finally:
        bus.close()


def run_with_mock(argv, template, name, prefix, parameters=None):
    """Runs argv against the dbusmock template, which takes `name` on a private bus in a fresh
    folder named with `prefix`; the bus is both the system and the session bus for argv."""
    daemon_path = shutil.which("dbus-daemon")
    if daemon_path is None:
        return skip("dbus-daemon is not installed")
    try:
        import dbus  # noqa: F401 pylint: disable=import-outside-toplevel,unused-import
        import dbusmock  # noqa: F401 pylint: disable=import-outside-toplevel,unused-import
        from gi.repository import GLib  # noqa: F401 pylint: disable=import-outside-toplevel,unused-import
    except ImportError as error:
        return skip(f"python3-dbusmock is not usable: {error}")

    folder = tempfile.mkdtemp(prefix=prefix)
    # Programs may call the bus as other users (a service's callers): they reach the socket too.
    os.chmod(folder, 0o711)
    socket = os.path.join(folder, "system_bus_socket")
    config = os.path.join(folder, "bus.conf")
    with open(config, "w", encoding="utf-8") as f:
        f.write(BUS_CONFIG.format(socket=socket))

    daemon = mock = None
    try:
        daemon = subprocess.Popen([daemon_path, f"--config-file={config}", "--nofork", "--print-address=1"],
                                  stdout=subprocess.PIPE, text=True)
        address = daemon.stdout.readline().strip()
        # Never hand anything but our own socket to the program under test.
        if not address.startswith(f"unix:path={socket}"):
            print(f"{template}: unexpected bus address {address!r}", file=sys.stderr)
            return 1

        env = dict(os.environ)
        env["DBUS_SYSTEM_BUS_ADDRESS"] = address
        env["QUELVO_TEST_PRIVATE_SYSTEM_BUS"] = address
        env["DBUS_SESSION_BUS_ADDRESS"] = address
        env["QUELVO_TEST_PRIVATE_SESSION_BUS"] = address
        command = ["/usr/bin/python3", "-m", "dbusmock", "--template", template]
        if parameters:
            command += ["--parameters", json.dumps(parameters)]
        mock = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL)
        if not wait_for_name(address, mock, name):
            print(f"{template}: the mock {name} did not come up", file=sys.stderr)
            return 1
        return subprocess.run(argv, env=env, check=False).returncode
    finally:
        stop(mock)
        stop(daemon)
        shutil.rmtree(folder, ignore_errors=True)


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    return run_with_mock(sys.argv[1:], "logind", "org.freedesktop.login1", "quelvo-logind-")


if __name__ == "__main__":
    sys.exit(main())
