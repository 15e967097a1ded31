#!/usr/bin/env python3
"""Input for the tests on headless mutter, through its RemoteDesktop interface: a session is
made and started, the event sent twice, and the session stopped. The session lives with the
bus connection that made it, so one process does it all. Mutter makes the device at its
first event, and a client binds it only then: that event may be lost, hence the second.

usage: mutter_input.py motion DX DY | key KEYSYM
"""
import sys
import time

from gi.repository import Gio, GLib

SERVICE = "org.gnome.Mutter.RemoteDesktop"
SESSION = SERVICE + ".Session"
bus = Gio.bus_get_sync(Gio.BusType.SESSION)


def call(path, interface, method, args=None, reply=None):
    return bus.call_sync(SERVICE, path, interface, method, args,
                         GLib.VariantType(reply) if reply else None,
                         Gio.DBusCallFlags.NONE, 5000, None)


session = call("/org/gnome/Mutter/RemoteDesktop", SERVICE, "CreateSession", reply="(o)").unpack()[0]
call(session, SESSION, "Start")
for _ in range(2):
    if sys.argv[1] == "motion":
        call(session, SESSION, "NotifyPointerMotionRelative",
             GLib.Variant("(dd)", (float(sys.argv[2]), float(sys.argv[3]))))
    else:
        for pressed in (True, False):
            call(session, SESSION, "NotifyKeyboardKeysym",
                 GLib.Variant("(ub)", (int(sys.argv[2], 0), pressed)))
    time.sleep(0.5)
call(session, SESSION, "Stop")
