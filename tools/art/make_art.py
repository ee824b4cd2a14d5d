#!/usr/bin/env python3
"""Draws the installer's own pictures as 24-bit bitmap files: the left picture (164 x 294), the
icon (49 x 49) and the Flash Player button (89 x 33) with its mask (white = transparent).

    make_art.py OUTDIR
"""
import math
import struct
import sys
from pathlib import Path

MAGENTA = (255, 0, 255)


def write_bmp(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b), y from the top."""
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - width * 3)
        rows.append(bytes(row))
    bits = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(bits), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(bits), 3780, 3780, 0, 0)
    Path(path).write_bytes(header + info + bits)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def left(x, y):
    # A night sky fading to dawn, with a crescent moon and a few stars.
    t = y / 293
    c = mix((12, 24, 72), (238, 150, 92), t ** 1.6)
    dx, dy = x - 112, y - 70
    if dx * dx + dy * dy < 26 ** 2 and (dx + 10) ** 2 + (dy - 6) ** 2 > 22 ** 2:
        c = (250, 244, 210)
    if (x * 37 + y * 91) % 997 < 3 and y < 180:
        c = (255, 255, 255)
    hill = 250 + 18 * math.sin(x / 23.0)
    if y > hill:
        c = mix((24, 40, 30), (10, 18, 14), (y - hill) / 60)
    return c


def icon(x, y):
    # A monitor with a starry screen.
    if 4 <= x <= 44 and 5 <= y <= 34:
        if 7 <= x <= 41 and 8 <= y <= 31:
            return (255, 255, 255) if (x * 13 + y * 7) % 41 == 0 else mix((20, 30, 90), (70, 40, 120), (y - 8) / 23)
        return (70, 70, 80)
    if 20 <= x <= 28 and 35 <= y <= 40:
        return (90, 90, 100)
    if 12 <= x <= 36 and 41 <= y <= 44:
        return (70, 70, 80)
    return (255, 255, 255)


def in_button(x, y):
    # A rounded bar; outside it the picture is transparent.
    r = 8
    cx = min(max(x, r), 88 - r)
    cy = min(max(y, r), 32 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def button(x, y):
    if not in_button(x, y):
        return MAGENTA
    c = mix((210, 40, 30), (130, 10, 10), y / 32)
    # A play triangle on the left.
    if 10 <= x <= 22 and abs(y - 16) <= (x - 10) * 0.55 and x - 10 <= 12:
        c = (255, 255, 255)
    if 28 <= x <= 80 and y in (12, 13, 19, 20):
        c = (255, 230, 230)
    return c


def button_mask(x, y):
    return (0, 0, 0) if in_button(x, y) else (255, 255, 255)


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    write_bmp(out / "left.bmp", 164, 294, left)
    write_bmp(out / "icon.bmp", 49, 49, icon)
    write_bmp(out / "getflashplayer.bmp", 89, 33, button)
    write_bmp(out / "getflashplayer-mask.bmp", 89, 33, button_mask)


if __name__ == "__main__":
    main()
