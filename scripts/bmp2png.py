#!/usr/bin/env python3
"""Turns the 24- or 32-bit bottom-up BMP screenshots of the wizard into PNG files.

    bmp2png.py SRC.bmp DST.png
"""
import struct
import sys
import zlib


def read_bmp(path):
    data = open(path, "rb").read()
    if data[:2] != b"BM" or len(data) < 54:
        raise ValueError(f"{path}: not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bpp, compression = struct.unpack_from("<HI", data, 28)
    if bpp not in (24, 32) or compression not in (0, 3) or width <= 0 or height == 0:
        raise ValueError(f"{path}: only uncompressed 24/32-bit pictures are handled")
    step = bpp // 8
    stride = (width * step + 3) & ~3
    rows = abs(height)
    if offset + stride * rows > len(data):
        raise ValueError(f"{path}: truncated")
    out = []
    for y in range(rows):
        src_row = rows - 1 - y if height > 0 else y
        row = data[offset + src_row * stride: offset + src_row * stride + width * step]
        pixels = bytearray(width * 3)
        pixels[0::3] = row[2::step]
        pixels[1::3] = row[1::step]
        pixels[2::3] = row[0::step]
        out.append(bytes(pixels))
    return width, rows, out


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\0" + r for r in rows)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    open(path, "wb").write(png)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: bmp2png.py SRC.bmp DST.png")
    write_png(sys.argv[2], *read_bmp(sys.argv[1]))
