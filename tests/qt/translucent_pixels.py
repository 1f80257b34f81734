#!/usr/bin/env python3
"""Checks a compositor's screenshot of the gadget against its picture on a bare X display.

    translucent_pixels.py REFERENCE BACKGROUND SHOT ALPHA KEY [IGNORE_TOP]
    translucent_pixels.py box BACKGROUND SHOT [IGNORE_TOP]     prints "x y width height" of what changed

REFERENCE is the gadget as a bare X display shows it (opaque; the colour key's pixels show the
black root window, so KEY must be 000000). BACKGROUND is the compositor's screen before the gadget
came, SHOT with it. The gadget is found where SHOT differs from BACKGROUND (below IGNORE_TOP rows,
where a panel's clock may change); every one of its pixels must be the reference blended over the
background with ALPHA (0..255), the key's pixels the background itself, each channel within 2.
Prints where the gadget was found; exits 1 on a mismatch."""
import subprocess
import sys

TOLERANCE = 2  # the rounding of two 8-bit blends: the premultiplied pixel and the compositor's


def rgb(path):
    size = subprocess.run(["identify", "-format", "%w %h", path], check=True, capture_output=True, text=True)
    width, height = (int(v) for v in size.stdout.split())
    data = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    return width, height, data


def changed_box(bg, shot, width, height, top):
    rows = [y for y in range(top, height) if bg[y * width * 3:(y + 1) * width * 3] != shot[y * width * 3:(y + 1) * width * 3]]
    if not rows:
        return None
    left, right = width, -1
    for y in rows:
        start = y * width * 3
        for x in range(width):
            i = start + 3 * x
            if bg[i:i + 3] != shot[i:i + 3]:
                left = min(left, x)
                right = max(right, x)
    return left, rows[0], right + 1 - left, rows[-1] + 1 - rows[0]


def main():
    if sys.argv[1] == "box":
        width, height, bg = rgb(sys.argv[2])
        _, _, shot = rgb(sys.argv[3])
        box = changed_box(bg, shot, width, height, int(sys.argv[4]) if len(sys.argv) > 4 else 0)
        print(*(box or ("none",)))
        return 0 if box else 1
    reference, background, screenshot, alpha, key = sys.argv[1:6]
    top = int(sys.argv[6]) if len(sys.argv) > 6 else 0
    alpha = int(alpha)
    key = bytes.fromhex(key)
    rw, rh, ref = rgb(reference)
    width, height, bg = rgb(background)
    _, _, shot = rgb(screenshot)
    box = changed_box(bg, shot, width, height, top)
    if box is None:
        print("the gadget is not on the screen")
        return 1
    x0, y0, w, h = box
    print(f"found at {x0},{y0} {w}x{h}; its picture on X11 is {rw}x{rh}")
    if (w, h) != (rw, rh):
        print("something else changed on the screen (a frame, a shadow, a title bar) or the gadget is cut")
        return 1
    off = []
    for y in range(h):
        for x in range(w):
            r = ref[3 * (y * rw + x):3 * (y * rw + x) + 3]
            i = 3 * ((y0 + y) * width + x0 + x)
            under, got = bg[i:i + 3], shot[i:i + 3]
            if r == key:
                want = under
            else:
                want = bytes(round((alpha * a + (255 - alpha) * b) / 255) for a, b in zip(r, under))
            if max(abs(p - q) for p, q in zip(got, want)) > TOLERANCE:
                off.append((x, y, got.hex(), want.hex()))
    if off:
        print(f"{len(off)} of {w * h} pixels differ, the first: " +
              ", ".join(f"{x},{y} {g} (expected {e})" for x, y, g, e in off[:5]))
        return 1
    print(f"all {w * h} pixels are the X11 picture blended at {alpha}/255, the colour key's pixels the background")
    return 0


if __name__ == "__main__":
    sys.exit(main())
