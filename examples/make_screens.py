#!/usr/bin/python3
"""Draws the sample ZX Spectrum SCREEN$ files in this folder.

Run it from anywhere; it rewrites testcard.scr, checker.scr and circle.scr
beside itself, or in the directory given as its argument. Standard library
only, and deterministic, so the committed files can be checked against a
fresh run.
"""

import math
import os
import sys

WIDTH, HEIGHT = 256, 192

# Classic colour numbers: bit 0 blue, bit 1 red, bit 2 green.
BLACK, BLUE, RED, MAGENTA, GREEN, CYAN, YELLOW, WHITE = range(8)

FONT = {
    " ": ["00000"] * 7,
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "C": ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "F": ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    "H": ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "W": ["10001", "10001", "10001", "10101", "10101", "10101", "01010"],
    "X": ["10001", "10001", "01010", "00100", "01010", "10001", "10001"],
    "Y": ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    "Z": ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    "$": ["00100", "01111", "10100", "01110", "00101", "11110", "00100"],
    "1": ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    "2": ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    "5": ["11111", "10000", "11110", "00001", "00001", "10001", "01110"],
    "6": ["00110", "01000", "10000", "11110", "10001", "10001", "01110"],
    "9": ["01110", "10001", "10001", "01111", "00001", "00010", "01100"],
}

# 8 x 8 ordered-dither thresholds, 0 to 63.
BAYER = [
    [0, 32, 8, 40, 2, 34, 10, 42],
    [48, 16, 56, 24, 50, 18, 58, 26],
    [12, 44, 4, 36, 14, 46, 6, 38],
    [60, 28, 52, 20, 62, 30, 54, 22],
    [3, 35, 11, 43, 1, 33, 9, 41],
    [51, 19, 59, 27, 49, 17, 57, 25],
    [15, 47, 7, 39, 13, 45, 5, 37],
    [63, 31, 55, 23, 61, 29, 53, 21],
]


class Screen:
    def __init__(self):
        self.pixels = [[0] * WIDTH for _ in range(HEIGHT)]
        self.attributes = [[WHITE] * 32 for _ in range(24)]

    def plot(self, x, y, on=True):
        self.pixels[y][x] = 1 if on else 0

    def colour(self, column, row, ink, paper, bright=False, flash=False):
        self.attributes[row][column] = (
            ink | paper << 3 | (0x40 if bright else 0) | (0x80 if flash else 0))

    def colour_area(self, columns, rows, ink, paper, bright=False, flash=False):
        for row in rows:
            for column in columns:
                self.colour(column, row, ink, paper, bright, flash)

    def text(self, column, row, string):
        """Writes one glyph per 8 x 8 cell, so each letter takes its cell's colours."""
        for i, char in enumerate(string):
            for gy, bits in enumerate(FONT[char]):
                for gx, bit in enumerate(bits):
                    if bit == "1":
                        self.plot(8 * (column + i) + gx + 1, 8 * row + gy)

    def dither(self, x, y, level):
        """Sets a pixel for a level from 0.0 (never) to 1.0 (always)."""
        self.plot(x, y, level * 64 > BAYER[y % 8][x % 8])

    def to_bytes(self):
        data = bytearray(6912)
        for y in range(HEIGHT):
            for x in range(32):
                byte = 0
                for bit in range(8):
                    byte = byte << 1 | self.pixels[y][8 * x + bit]
                offset = 2048 * (y // 64) + 256 * (y % 8) + 32 * ((y // 8) % 8) + x
                data[offset] = byte
        for row in range(24):
            for column in range(32):
                data[6144 + 32 * row + column] = self.attributes[row][column]
        return bytes(data)


def centred(string):
    return (32 - len(string)) // 2


def test_card():
    """Colour bars in every colour, normal and bright, with a gray ramp,
    a fine checkerboard and captions."""
    s = Screen()
    title = "ZX SPECTRUM TEST CARD"
    s.colour_area(range(32), range(0, 2), WHITE, BLUE, bright=True)
    # Flash is ignored by the translator: the title must look the same.
    s.colour_area(range(centred(title), centred(title) + len(title)), [0], YELLOW, BLUE,
                  bright=True, flash=True)
    s.text(centred(title), 0, title)

    bars = [WHITE, YELLOW, CYAN, GREEN, MAGENTA, RED, BLUE, BLACK]
    for i, colour in enumerate(bars):
        columns = range(4 * i, 4 * i + 4)
        s.colour_area(columns, range(3, 9), BLACK, colour)
        s.colour_area(columns, range(9, 15), BLACK, colour, bright=True)

    # Gray ramp from black to white, dithered across the full width.
    s.colour_area(range(32), range(16, 19), WHITE, BLACK, bright=True)
    for y in range(8 * 16, 8 * 19):
        for x in range(WIDTH):
            s.dither(x, y, x / (WIDTH - 1))

    # One-pixel checkerboard, ink cycling through the bright colours.
    for row in (20, 21):
        for column in range(32):
            s.colour(column, row, 1 + (column + row) % 7, BLACK, bright=True)
    for y in range(8 * 20, 8 * 22):
        for x in range(WIDTH):
            s.plot(x, y, (x + y) % 2 == 0)

    caption = "WENDRAL 256X192"
    s.colour_area(range(32), [23], YELLOW, RED)
    s.text(centred(caption), 23, caption)
    return s.to_bytes()


def checker():
    """A two-cell checkerboard in clashing colours with a text panel."""
    s = Screen()
    for row in range(24):
        for column in range(32):
            dark = (row // 2 + column // 2) % 2
            s.colour(column, row, CYAN if dark else RED, RED if dark else CYAN)
            # Diagonal hatching inside every cell, so ink and paper both show.
            for line in range(8):
                for bit in range(8):
                    s.plot(8 * column + bit, 8 * row + line, (bit + line) % 4 == 0)
    panel_rows = range(8, 16)
    s.colour_area(range(4, 28), panel_rows, BLACK, WHITE, bright=True)
    for y in range(8 * 8, 8 * 16):
        for x in range(8 * 4, 8 * 28):
            s.plot(x, y, False)
    lines = ["SCREEN$ SAMPLE", "6912 BYTES", "AFTER A 9 BYTE", "PREFIX"]
    for i, line in enumerate(lines):
        s.text(centred(line), 9 + 2 * i, line)
    return s.to_bytes()


def circle():
    """A disc shaded from bright at the centre to dark at the rim, ringed
    in the bright colours, on black."""
    s = Screen()
    cx, cy, radius = 128, 96, 88
    rainbow = [RED, YELLOW, GREEN, CYAN, BLUE, MAGENTA, WHITE]
    for row in range(24):
        for column in range(32):
            dx = 8 * column + 4 - cx
            dy = 8 * row + 4 - cy
            ring = int(math.hypot(dx, dy) / radius * len(rainbow))
            ink = rainbow[min(ring, len(rainbow) - 1)]
            s.colour(column, row, ink, BLACK, bright=True)
    for y in range(HEIGHT):
        for x in range(WIDTH):
            distance = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if distance <= radius:
                s.dither(x, y, 1.0 - 0.85 * distance / radius)
    return s.to_bytes()


def main():
    here = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    samples = {
        "testcard.scr": test_card(),
        # Only the length says where the screen is: 9 bytes in front of it.
        "checker.scr": bytes(range(1, 10)) + checker(),
        # 265 bytes in front and 219 behind, none of which show.
        "circle.scr": bytes([0xA5] * 265) + circle() + bytes([0x5A] * 219),
    }
    for name, data in samples.items():
        with open(os.path.join(here, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
