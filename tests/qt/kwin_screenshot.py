#!/usr/bin/python3
"""Saves KWin's screen as a PNG through its ScreenShot2 D-Bus interface (KWin started with
KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1):  kwin_screenshot.py WIDTH HEIGHT FILE.png"""
import os
import subprocess
import sys

import dbus


def main():
    width, height, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
    read_end, write_end = os.pipe()
    shooter = dbus.Interface(dbus.SessionBus().get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2"),
                             "org.kde.KWin.ScreenShot2")
    meta = shooter.CaptureArea(0, 0, width, height, {"native-resolution": True}, dbus.types.UnixFd(write_end))
    os.close(write_end)
    data = bytearray()
    while chunk := os.read(read_end, 1 << 20):
        data += chunk
    w, h, stride = int(meta["width"]), int(meta["height"]), int(meta["stride"])
    # Rows of `stride` bytes, each pixel B, G, R, A in memory: cut to the width and let ImageMagick write it.
    rows = b"".join(bytes(data[y * stride:y * stride + 4 * w]) for y in range(h))
    subprocess.run(["convert", "-size", f"{w}x{h}", "-depth", "8", "bgra:-", "-alpha", "off", path], input=rows,
                   check=True)


if __name__ == "__main__":
    main()
