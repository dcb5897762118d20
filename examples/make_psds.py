#!/usr/bin/python3
"""Draws the sample Photoshop files in this folder.

Writes sunset.psd (RGB, 8 bits, PackBits, with a fourth channel that reads as
alpha when the "Channel 4 as Alpha" setting is on), sunset-cmyk.psd (CMYK,
PackBits), sunset-gray16.psd (grayscale, 16 bits, raw) and sunset-bitmap.psd
(1 bit, PackBits) beside itself, or in the directory given as its argument.
Standard library only and deterministic.
"""

import math
import os
import struct
import sys

WIDTH, HEIGHT = 240, 160


def packbits(row):
    """Byte PackBits, as PSD writers pack each row."""
    out = bytearray()
    i = 0
    while i < len(row):
        run = 1
        while i + run < len(row) and run < 128 and row[i + run] == row[i]:
            run += 1
        if run >= 2:
            out += bytes([257 - run, row[i]])
            i += run
            continue
        start = i
        while i < len(row) and i - start < 128:
            if i + 1 < len(row) and row[i + 1] == row[i]:
                break
            i += 1
        out += bytes([i - start - 1]) + row[start:i]
    return bytes(out)


def psd(mode, depth, planes, width, height, compression, color_data=b""):
    """planes: list of per-channel lists of rows (bytes)."""
    out = bytearray(b"8BPS")
    out += struct.pack(">H6xHIIHH", 1, len(planes), height, width, depth, mode)
    out += struct.pack(">I", len(color_data)) + color_data
    out += struct.pack(">I", 0)  # image resources
    out += struct.pack(">I", 0)  # layer and mask information
    out += struct.pack(">H", compression)
    if compression == 1:
        packed = [[packbits(row) for row in plane] for plane in planes]
        for plane in packed:
            for row in plane:
                out += struct.pack(">H", len(row))
        for plane in packed:
            for row in plane:
                out += row
    else:
        for plane in planes:
            for row in plane:
                out += row
    return bytes(out)


def sunset(x, y):
    """An evening sky over the sea with a sun: (red, green, blue, alpha) in 0..1."""
    horizon = HEIGHT * 0.62
    sun_x, sun_y, sun_r = WIDTH * 0.5, horizon - 8, 34
    d = math.hypot(x - sun_x, y - sun_y)
    if y < horizon:
        t = y / horizon
        r, g, b = 0.15 + 0.85 * t, 0.1 + 0.45 * t, 0.45 - 0.25 * t
        if d < sun_r:
            r, g, b = 1.0, 0.85 - 0.3 * (d / sun_r), 0.3
    else:
        t = (y - horizon) / (HEIGHT - horizon)
        r, g, b = 0.1, 0.2 + 0.1 * (1 - t), 0.45 + 0.2 * (1 - t)
        # The sun's glitter on the waves.
        if abs(x - sun_x) < 30 * (1 - t) + 4 and int(y) % 4 < 2:
            r, g, b = 1.0, 0.7, 0.3
    alpha = 1.0 if d < 70 else max(0.0, 1.0 - (d - 70) / 80)
    return r, g, b, alpha


def to8(v):
    return max(0, min(255, int(round(v * 255))))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    pixels = [[sunset(x, y) for x in range(WIDTH)] for y in range(HEIGHT)]

    rgba = [[bytes(to8(p[c]) for p in row) for row in pixels] for c in range(4)]
    files = {"sunset.psd": psd(3, 8, rgba, WIDTH, HEIGHT, 1)}

    # Photoshop stores CMYK inverted (0 is full ink); these samples do the same.
    cmyk = [[], [], [], []]
    for row in pixels:
        rows = [bytearray(), bytearray(), bytearray(), bytearray()]
        for r, g, b, _ in row:
            k = 1 - max(r, g, b)
            c, m, y = ((1 - v - k) / (1 - k) if k < 1 else 0 for v in (r, g, b))
            for i, v in enumerate((c, m, y, k)):
                rows[i].append(255 - to8(v))
        for i in range(4):
            cmyk[i].append(bytes(rows[i]))
    files["sunset-cmyk.psd"] = psd(4, 8, cmyk, WIDTH, HEIGHT, 1)

    gray16 = [[b"".join(struct.pack(">H", int(round((0.3 * r + 0.59 * g + 0.11 * b) * 65535)))
                        for r, g, b, _ in row) for row in pixels]]
    files["sunset-gray16.psd"] = psd(1, 16, gray16, WIDTH, HEIGHT, 0)

    # Ordered dither to one bit; a set bit is black.
    bayer = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]
    bits = []
    for y, row in enumerate(pixels):
        line = bytearray((WIDTH + 7) // 8)
        for x, (r, g, b, _) in enumerate(row):
            if 0.3 * r + 0.59 * g + 0.11 * b < (bayer[y % 4][x % 4] + 0.5) / 16:
                line[x // 8] |= 0x80 >> (x % 8)
        bits.append(bytes(line))
    files["sunset-bitmap.psd"] = psd(0, 1, [bits], WIDTH, HEIGHT, 1)

    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
