#!/usr/bin/python3
"""Runs a test program against a mock desktop notification service on a private D-Bus bus.

python3-dbusmock's notification_daemon template, offering actions, on a bus of its own that is
also the program's session bus (see logind_mock.py, which does the work). Exits 77 (skipped)
when dbus-daemon or dbusmock is missing.

usage: notification_mock.py PROGRAM [ARGS...]
"""

import sys

from logind_mock import run_with_mock

if __name__ == "__main__":
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(run_with_mock(sys.argv[1:], "notification_daemon", "org.freedesktop.Notifications", "quelvo-notify-",
                           {"capabilities": "body actions"}))
