#!/usr/bin/env python3
"""Drags with a pointer of its own on a wlroots compositor (sway), through the wlr virtual-pointer
protocol spoken on the Wayland socket directly (no library):

    wayland_pointer.py X Y DX DY WIDTH HEIGHT

presses the left button at X,Y of an output layout WIDTH x HEIGHT, moves by DX,DY in steps and
releases. Exits 2 when the compositor offers no virtual pointer."""
import os
import socket
import struct
import sys
import time

BTN_LEFT = 0x110


class Connection:
    def __init__(self):
        name = os.environ.get("WAYLAND_DISPLAY", "wayland-0")
        path = name if name.startswith("/") else os.path.join(os.environ["XDG_RUNTIME_DIR"], name)
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(path)
        self.last_id = 1
        self.pending = b""
        self.globals = {}
        self.done = set()
        self.registry = self.new_id()
        self.request(1, 1, struct.pack("<I", self.registry))  # wl_display.get_registry

    def new_id(self):
        self.last_id += 1
        return self.last_id

    def request(self, target, opcode, body=b""):
        self.sock.sendall(struct.pack("<II", target, (8 + len(body)) << 16 | opcode) + body)

    @staticmethod
    def string(text):
        data = text.encode() + b"\0"
        return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)

    def event(self):
        while len(self.pending) < 8 or len(self.pending) < struct.unpack("<II", self.pending[:8])[1] >> 16:
            chunk = self.sock.recv(65536)
            if not chunk:
                sys.exit("the compositor closed the connection")
            self.pending += chunk
        target, word = struct.unpack("<II", self.pending[:8])
        size = word >> 16
        body, self.pending = self.pending[8:size], self.pending[size:]
        opcode = word & 0xFFFF
        if target == 1 and opcode == 0:
            sys.exit("protocol error")
        if target == self.registry and opcode == 0:  # wl_registry.global
            name, length = struct.unpack("<II", body[:8])
            interface = body[8:8 + length - 1].decode()
            self.globals[interface] = name
        elif opcode == 0 and target not in (1, self.registry):  # wl_callback.done
            self.done.add(target)

    def roundtrip(self):
        callback = self.new_id()
        self.request(1, 0, struct.pack("<I", callback))  # wl_display.sync
        while callback not in self.done:
            self.event()

    def bind(self, interface, version):
        new = self.new_id()
        self.request(self.registry, 0, struct.pack("<I", self.globals[interface]) + self.string(interface) +
                     struct.pack("<II", version, new))
        return new


def main():
    x, y, dx, dy, width, height = (int(v) for v in sys.argv[1:7])
    wl = Connection()
    wl.roundtrip()
    if "zwlr_virtual_pointer_manager_v1" not in wl.globals:
        print("no virtual pointer on this compositor")
        return 2
    manager = wl.bind("zwlr_virtual_pointer_manager_v1", 1)
    pointer = wl.new_id()
    wl.request(manager, 0, struct.pack("<II", 0, pointer))  # create_virtual_pointer on the default seat
    wl.roundtrip()
    now = lambda: int(time.monotonic() * 1000) & 0xFFFFFFFF

    def move(px, py):
        wl.request(pointer, 1, struct.pack("<IIIII", now(), px, py, width, height))  # motion_absolute
        wl.request(pointer, 4)  # frame
        wl.roundtrip()

    def button(pressed):
        wl.request(pointer, 2, struct.pack("<III", now(), BTN_LEFT, 1 if pressed else 0))
        wl.request(pointer, 4)
        wl.roundtrip()

    move(x, y)
    time.sleep(0.3)
    button(True)
    time.sleep(0.3)
    for step in range(1, 11):
        move(x + dx * step // 10, y + dy * step // 10)
        time.sleep(0.05)
    time.sleep(0.2)
    button(False)
    time.sleep(0.3)
    return 0


if __name__ == "__main__":
    sys.exit(main())
