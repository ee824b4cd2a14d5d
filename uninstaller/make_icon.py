#!/usr/bin/env python3
"""Draws the uninstaller's icon (a screen with a red cross) as 16-colour images of 16 and 32 pixels.

usage: make_icon.py OUT.ico
"""
import struct
import sys

PALETTE = [(0, 0, 0), (128, 128, 128), (192, 192, 192), (255, 255, 255), (32, 64, 160), (64, 128, 224),
           (200, 32, 32), (255, 96, 96)] + [(0, 0, 0)] * 8
CLEAR, FRAME, LIGHT, WHITE, DEEP, SKY, RED, PINK = range(8)


def pixel(x, y, n):
    """Colour index at (x, y) of an n-pixel image, top row first; None is transparent."""
    s = n / 32.0
    X, Y = x / s, y / s
    if 12 <= X < 20 and 24 <= Y < 27 or 8 <= X < 24 and 27 <= Y < 30:
        return FRAME  # stand
    if 2 <= X < 30 and 3 <= Y < 24:
        if 4 <= X < 28 and 5 <= Y < 22:
            d1, d2 = abs((X - 4) - (Y - 5) * 24 / 17), abs((X - 4) - (22 - Y) * 24 / 17)
            if min(d1, d2) < 2.6:
                return RED if min(d1, d2) < 1.8 else PINK
            return SKY if Y < 13 else DEEP
        return LIGHT if Y < 13 else FRAME
    return None


def image(n):
    header = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    row_xor = ((n * 4 + 31) // 32) * 4
    row_and = ((n + 31) // 32) * 4
    xor, mask = b"", b""
    for y in reversed(range(n)):  # bottom-up
        nibbles = [pixel(x, y, n) for x in range(n)]
        data = bytearray(row_xor)
        bits = bytearray(row_and)
        for x, c in enumerate(nibbles):
            data[x // 2] |= (c or 0) << (0 if x % 2 else 4)
            if c is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += bytes(data)
        mask += bytes(bits)
    return header + palette + xor + mask


def main():
    images = [(16, image(16)), (32, image(32))]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in images:
        out += struct.pack("<BBBBHHII", n, n, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    with open(sys.argv[1], "wb") as f:
        f.write(out + b"".join(data for _, data in images))


main()
