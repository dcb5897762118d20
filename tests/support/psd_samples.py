"""Photoshop files made in memory for the desktop tests, and the command a
thumbnailer entry runs, as file managers expand it. Standard library only."""

import configparser
import struct


def pack_bits(row):
    out, i = bytearray(), 0
    while i < len(row):
        run = 1
        while i + run < len(row) and run < 128 and row[i + run] == row[i]:
            run += 1
        if run >= 3:
            out += bytes([257 - run, row[i]])
            i += run
            continue
        start = i
        while i < len(row) and i - start < 128 and not (
                i + 2 < len(row) and row[i] == row[i + 1] == row[i + 2]):
            i += 1
        out += bytes([i - start - 1]) + row[start:i]
    return bytes(out)


def psd(width, height, planes, mode=3, packed=False, version=1, profile=b""):
    """An 8-bit PSD (version 2: PSB); planes: one bytes object of width*height per channel;
    the ICC profile, when given, as image resource 1039."""
    resources = b""
    if profile:
        resources = b"8BIM" + struct.pack(">HHI", 1039, 0, len(profile)) + profile
        resources += b"\0" * (len(profile) % 2)
    out = b"8BPS" + struct.pack(">H6xHIIHH", version, len(planes), height, width, 8, mode)
    out += struct.pack(">II", 0, len(resources)) + resources
    out += struct.pack(">Q", 0) if version == 2 else struct.pack(">I", 0)
    rows = [plane[y * width:(y + 1) * width] for plane in planes for y in range(height)]
    if not packed:
        return out + struct.pack(">H", 0) + b"".join(rows)
    packed_rows = [pack_bits(row) for row in rows]
    count = ">I" if version == 2 else ">H"
    return (out + struct.pack(">H", 1) + b"".join(struct.pack(count, len(r)) for r in packed_rows)
            + b"".join(packed_rows))


def gradient_psd(width, height, channels=3, packed=True):
    planes = []
    for c in range(channels):
        planes.append(bytes((x * (c + 3) + y * (7 - c) + (x // 9) * 40) & 255
                            for y in range(height) for x in range(width)))
    return psd(width, height, planes, packed=packed)


def quadrant_psd(width, height, version=1):
    """Red, green, blue and white quarters: what scaling cannot blur."""
    colours = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)]
    planes = [bytes(colours[(x >= width // 2) + 2 * (y >= height // 2)][c]
                    for y in range(height) for x in range(width)) for c in range(3)]
    return psd(width, height, planes, packed=True, version=version)


def one_value_packed(value, length):
    """PackBits of length bytes of one value: runs of 128 and what is left."""
    out = bytearray()
    for left in range(length, 0, -128):
        run = min(left, 128)
        out += bytes([257 - run if run > 1 else 0, value])
    return bytes(out)


def split_psd(width, height, split_x, split_y, colours):
    """An 8-bit RGB PackBits PSD in four parts, cut at split_x and split_y:
    colours top left, top right, bottom left, bottom right. Built from its
    few distinct rows, so that any size is made at once."""
    rows, counts = [], []
    for c in range(3):
        for top in (True, False):
            left, right = colours[0 if top else 2][c], colours[1 if top else 3][c]
            row = one_value_packed(left, split_x) + one_value_packed(right, width - split_x)
            n = split_y if top else height - split_y
            rows.append(row * n)
            counts.append(struct.pack(">H", len(row)) * n)
    header = b"8BPS" + struct.pack(">H6xHIIHH", 1, 3, height, width, 8, 3)
    return header + struct.pack(">III", 0, 0, 0) + struct.pack(">H", 1) + b"".join(
        counts) + b"".join(rows)


def pascal_name(name, align):
    """A Pascal string padded to a multiple of align bytes, its length byte included."""
    data = bytes([len(name)]) + name
    return data + bytes(-len(data) % align)


def unicode_string(text):
    return struct.pack(">I", len(text)) + text.encode("utf-16-be")


def blank_merged_psd(width, height, rect, colour):
    """An 8-bit RGB PSD saved without "maximize compatibility": one layer
    filled with colour inside rect = (top, left, bottom, right), no
    background, and a white merged image that the version info resource
    says is not real. Shown right, it is the layer over transparency."""
    top, left, bottom, right = rect
    area = (bottom - top) * (right - left)
    channels = [(-1, 255)] + [(c, colour[c]) for c in range(3)]
    record = struct.pack(">4iH", top, left, bottom, right, len(channels))
    for channel, _ in channels:
        record += struct.pack(">hI", channel, 2 + area)
    extra = struct.pack(">II", 0, 0) + pascal_name(b"Layer 1", 4)
    record += b"8BIMnorm" + bytes([255, 0, 0x08, 0]) + struct.pack(">I", len(extra)) + extra
    pixels = b"".join(struct.pack(">H", 0) + bytes([value]) * area for _, value in channels)
    layer_info = struct.pack(">h", 1) + record + pixels
    layer_info += bytes(len(layer_info) % 2)
    layers = struct.pack(">I", len(layer_info)) + layer_info + struct.pack(">I", 0)

    version_info = (struct.pack(">IB", 1, 0) + unicode_string("Adobe Photoshop")
                    + unicode_string("Adobe Photoshop CC") + struct.pack(">I", 1))
    version_info += bytes(len(version_info) % 2)
    resource = (b"8BIM" + struct.pack(">H", 1057) + pascal_name(b"", 2)
                + struct.pack(">I", len(version_info)) + version_info)
    out = b"8BPS" + struct.pack(">H6xHIIHH", 1, 3, height, width, 8, 3) + struct.pack(">I", 0)
    out += struct.pack(">I", len(resource)) + resource
    out += struct.pack(">I", len(layers)) + layers
    return out + struct.pack(">H", 0) + b"\xff" * (3 * width * height)


def thumbnailer_command(entry, size, source, target):
    """The Exec line of a thumbnailer entry with its fields filled in."""
    parser = configparser.ConfigParser(interpolation=None)
    parser.read(entry)
    fields = {"%s": str(size), "%i": source, "%u": "file://" + source, "%o": target, "%%": "%"}
    return [fields.get(word, word) for word in parser["Thumbnailer Entry"]["Exec"].split()]
