#!/usr/bin/env python3
"""Known answers for the variant digest, computed apart from the C++ code: RFC 1321 MD5
written out here with the four initial chaining words replaced, its hex text reversed.
The standard words must give Python's own hashlib.md5, which checks this implementation.

usage: variant_digest_vectors.py    (prints the inputs and their texts)
"""
import hashlib
import math
import struct

STANDARD = (0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476)
VARIANT = (0x5A3C9E12, 0x7B1D4F60, 0x2E8A6C93, 0x41F0B7D5)

SHIFTS = [7, 12, 17, 22] * 4 + [5, 9, 14, 20] * 4 + [4, 11, 16, 23] * 4 + [6, 10, 15, 21] * 4
SINES = [int(abs(math.sin(i + 1)) * 2 ** 32) & 0xFFFFFFFF for i in range(64)]


def rotl(x, n):
    return ((x << n) | (x >> (32 - n))) & 0xFFFFFFFF


def md5_hex(message, words):
    length_bits = (8 * len(message)) & 0xFFFFFFFFFFFFFFFF
    message += b"\x80" + b"\0" * ((55 - len(message)) % 64) + struct.pack("<Q", length_bits)
    a0, b0, c0, d0 = words
    for block in range(0, len(message), 64):
        m = struct.unpack_from("<16I", message, block)
        a, b, c, d = a0, b0, c0, d0
        for i in range(64):
            if i < 16:
                f, g = (b & c) | (~b & d), i
            elif i < 32:
                f, g = (d & b) | (~d & c), (5 * i + 1) % 16
            elif i < 48:
                f, g = b ^ c ^ d, (3 * i + 5) % 16
            else:
                f, g = c ^ (b | ~d), (7 * i) % 16
            f = (f + a + SINES[i] + m[g]) & 0xFFFFFFFF
            a, d, c = d, c, b
            b = (b + rotl(f, SHIFTS[i])) & 0xFFFFFFFF
        a0, b0, c0, d0 = [(x + y) & 0xFFFFFFFF for x, y in zip((a0, b0, c0, d0), (a, b, c, d))]
    return struct.pack("<4I", a0, b0, c0, d0).hex()


def variant_text(message):
    return md5_hex(message, VARIANT)[::-1]


# The inputs of the C++ test, named as it names them.
INPUTS = {
    "empty": b"",
    "a": b"a",
    "abc": b"abc",
    "55 x 'k' (padding fits the block)": b"k" * 55,
    "56 x 'k' (padding needs a second block)": b"k" * 56,
    "64 bytes 0..63": bytes(range(64)),
    "1000 bytes i*7+3": bytes((i * 7 + 3) & 0xFF for i in range(1000)),
}

if __name__ == "__main__":
    for message in list(INPUTS.values()) + [b"message digest", bytes(range(256)) * 5]:
        assert md5_hex(message, STANDARD) == hashlib.md5(message).hexdigest()
    for name, message in INPUTS.items():
        print(f"{name}: {variant_text(message)}")
