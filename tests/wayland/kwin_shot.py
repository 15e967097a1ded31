#!/usr/bin/env python3
"""Writes KWin's active screen as a PPM, through its D-Bus ScreenShot2 service (which KWin
offers to anyone when started with KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1).

usage: kwin_shot.py OUT.ppm   (on the session bus of $DBUS_SESSION_BUS_ADDRESS)
"""
import os
import sys
import threading

from gi.repository import Gio, GLib


def main():
    read_end, write_end = os.pipe()
    image = bytearray()

    def drain():  # KWin writes while the call runs: read at once, or both wait on each other
        with os.fdopen(read_end, "rb") as pipe:
            while chunk := pipe.read(1 << 16):
                image.extend(chunk)

    reader = threading.Thread(target=drain, daemon=True)  # never holds the exit
    reader.start()
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    fds = Gio.UnixFDList.new_from_array([write_end])  # the list owns it from now on
    try:
        reply, _ = bus.call_with_unix_fd_list_sync(
            "org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2",
            "CaptureActiveScreen", GLib.Variant("(a{sv}h)", ({}, 0)),
            GLib.VariantType("(a{sv})"), Gio.DBusCallFlags.NONE, 10000, fds, None)
    finally:
        fds = None  # closes our copy of the write end: the reader sees the end
    reader.join(10)
    if reader.is_alive():
        sys.exit("kwin_shot: the screenshot's pipe stayed open")
    info = reply.unpack()[0]
    width, height, stride = info["width"], info["height"], info["stride"]
    if len(image) < stride * height:
        sys.exit(f"kwin_shot: {len(image)} bytes for {width}x{height}")
    # Premultiplied ARGB32 in native (little-endian) order: B, G, R, A per pixel.
    rows = []
    for y in range(height):
        row = image[y * stride:y * stride + width * 4]
        rgb = bytearray(width * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = row[2::4], row[1::4], row[0::4]
        rows.append(bytes(rgb))
    with open(sys.argv[1], "wb") as out:
        out.write(b"P6\n%d %d\n255\n" % (width, height) + b"".join(rows))


if __name__ == "__main__":
    main()
