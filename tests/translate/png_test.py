#!/usr/bin/python3
"""PNG output and batch conversion of the translate command: every colour
type it chooses reads back, through Python's zlib and through libpng, to
exactly the pixels of the bitmap; the joined compressed bands, every
--png-level and -j give the same pictures.

Run by ctest with the environment of translate_test.py plus PNG_PIXELS, the
libpng reader; the argument names the TestCase to run.
"""

import os
import random
import resource
import struct
import subprocess
import sys
import unittest

from translate_test import Workspace, decode_png, run, test_image

PNG_PIXELS = os.environ.get("PNG_PIXELS", "")


def read_png(data):
    """(width, height, colour type, RGBA bytes) by Python's zlib alone."""
    width, height, colour, palette, trns, rows = decode_png(data)
    out = bytearray()
    for row in rows:
        for x in range(width):
            if colour == 0:
                out += bytes([row[x]] * 3 + [255])
            elif colour == 2:
                out += row[3 * x:3 * x + 3] + b"\xff"
            elif colour == 3:
                i = row[x]
                out += palette[3 * i:3 * i + 3] + bytes([trns[i] if i < len(trns) else 255])
            elif colour == 4:
                out += bytes([row[2 * x]] * 3 + [row[2 * x + 1]])
            else:
                out += row[4 * x:4 * x + 4]
    return width, height, colour, bytes(out)


def libpng_pixels(path):
    result = subprocess.run([PNG_PIXELS, path], capture_output=True, check=True, timeout=60)
    header, _, pixels = result.stdout.partition(b"\n")
    width, height = map(int, header.split())
    return width, height, pixels


def bits_pixels(bits):
    """RGBA bytes of a Be bitmap stream of B_RGBA32 rows without padding."""
    out = bytearray(len(bits) - 32)
    out[0::4], out[1::4], out[2::4], out[3::4] = bits[34::4], bits[33::4], bits[32::4], bits[35::4]
    return bytes(out)


def raw_psd(width, height, planes, mode=3):
    """A PSD file with raw planes, each width x height bytes."""
    head = b"8BPS" + struct.pack(">H6xHIIHH", 1, len(planes), height, width, 8, mode)
    return head + struct.pack(">IIIH", 0, 0, 0, 0) + b"".join(planes)


def noisy_planes(width, height, count, seed):
    rng = random.Random(seed)
    return [bytes((x + y + rng.randrange(24)) & 255 for y in range(height) for x in range(width))
            for _ in range(count)]


class PngTest(Workspace):
    def convert(self, source, name, *options):
        result = run(source, self.path(name), *options)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.errors, [])
        return self.read(name)

    def assertReadsBack(self, name, width, height, colour, rgba):
        png = self.read(name)
        self.assertEqual(read_png(png), (width, height, colour, rgba))
        self.assertEqual(libpng_pixels(self.path(name)), (width, height, rgba))

    def test_each_colour_type_holds_the_pixels_exactly(self):
        def rgba(x, y):
            return ((x * 40) & 255, (y * 60) & 255, (x * y * 7) & 255, (x + y) * 30 & 255)
        cases = [
            ("RGBA", 6, rgba),
            ("RGB, every alpha 255", 2, lambda x, y: rgba(x, y)[:3] + (255,)),
            ("gray", 0, lambda x, y: (x * 20,) * 3 + (255,)),
            ("gray with alpha", 4, lambda x, y: (x * 20,) * 3 + (y * 70,)),
            ("gray but one red", 2, lambda x, y: (x * 20 + (x == 5 and y == 2), x * 20, x * 20, 255)),
            ("gray but one blue", 2, lambda x, y: (x * 20, x * 20, x * 20 + (x == y), 255)),
            ("opaque but one pixel", 4, lambda x, y: (x * 20,) * 3 + (254 if x == y else 255,)),
        ]
        for label, colour, pixel in cases:
            with self.subTest(label):
                width, height = 11, 4
                pixels = [[pixel(x, y) for x in range(width)] for y in range(height)]
                body = b"".join(bytes(p) for row in pixels for p in row)
                source = self.write("image.test", b"TESTIMGR" + bytes([width, height]) + body)
                self.convert(source, "image.png")
                self.assertPngcheckPasses(self.path("image.png"))
                self.assertReadsBack("image.png", width, height, colour, body)

    def test_screen_is_a_palette_png_that_libpng_reads(self):
        self.convert(self.sample("testcard.scr"), "screen.png")
        width, height, colour, rgba = read_png(self.read("screen.png"))
        self.assertEqual((width, height, colour), (256, 192, 3))
        self.assertEqual(libpng_pixels(self.path("screen.png")), (256, 192, rgba))

    def test_bands_levels_and_colour_types_of_larger_images(self):
        # Well over 1 MiB of filtered rows, so several bands are compressed
        # on several threads and joined.
        width, height = 700, 640
        planes = noisy_planes(width, height, 3, 1)
        cases = [("rgb.psd", raw_psd(width, height, planes), 2),
                 ("gray.psd", raw_psd(width, height, planes[:1], mode=1), 0)]
        for name, psd, colour in cases:
            source = self.write(name, psd)
            expected = bits_pixels(self.convert(source, "image.bits"))
            for level in ["0", "1", "2", "6", "9"]:
                with self.subTest(name=name, level=level):
                    self.convert(source, "image.png", "--png-level", level)
                    self.assertReadsBack("image.png", width, height, colour, expected)
        sizes = {}
        for level in ["0", "1", "9"]:
            sizes[level] = len(self.convert(self.path("rgb.psd"), "rgb.png", "--png-level=" + level))
        self.assertLess(sizes["1"], sizes["0"] * 0.8)
        self.assertLess(sizes["9"], sizes["0"] * 0.8)

    def test_rows_missing_behind_a_huge_header_fail_without_taking_its_size(self):
        # The header claims 3.6 GB of rows; one row of 120 kB follows.
        source = self.write("huge.test", b"TESTIMGH")
        result = run(source, self.path("huge.png"))
        self.assertEqual(result.returncode, 1)
        self.assertEqual(len(result.errors), 1)
        self.assertIn("row bytes, data size and length do not agree", result.errors[0])
        self.assertOnlyFiles(["huge.test"])
        # No translate run of these tests came near the size the header claims.
        peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss * 1024
        self.assertLess(peak, 1 << 30)

    def test_png_level_takes_zero_to_nine(self):
        for bad in ["10", "-1", "x", ""]:
            with self.subTest(bad):
                result = run(self.sample("circle.scr"), self.path("out.png"), "--png-level", bad)
                self.assertEqual(result.returncode, 2)
                self.assertIn("--png-level", result.stderr.decode())
        self.assertOnlyFiles([])


class BatchTest(Workspace):
    def inputs(self):
        names = []
        for i in range(24):
            width, height = 40 + 13 * i, 30 + 7 * i
            psd = raw_psd(width, height, noisy_planes(width, height, 3 if i % 3 else 1, i),
                          mode=3 if i % 3 else 1)
            names.append(self.write("image%02d.psd" % i, psd))
        for sample in ["testcard.scr", "checker.scr", "circle.scr"]:
            with open(self.sample(sample), "rb") as f:
                names.append(self.write(sample, f.read()))
        stream, _ = test_image(9, 5)
        names.append(self.write("image.test", stream))
        return names

    def test_jobs_write_the_files_of_a_single_job(self):
        inputs = self.inputs()
        broken = self.write("broken.psd", b"8BPS\x00\x01" + b"\x00" * 10)
        for format in ["png", "bits"]:
            outputs = {}
            for jobs in ["1", "3", None]:
                out = self.path("out-%s-%s" % (format, jobs))
                os.mkdir(out)
                options = ["-j", jobs] if jobs else []
                result = run("-d", out, "--format", format, *options, *inputs, broken)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(len(result.errors), 1)
                self.assertIn("broken.psd", result.errors[0])
                names = sorted(os.listdir(out))
                self.assertEqual(len(names), len(inputs))
                contents = {}
                for name in names:
                    with open(os.path.join(out, name), "rb") as f:
                        contents[name] = f.read()
                outputs[jobs] = contents
            self.assertEqual(outputs["1"], outputs["3"], format)
            self.assertEqual(outputs["1"], outputs[None], format)

    def test_jobs_take_a_positive_number(self):
        for bad in ["0", "-2", "many"]:
            with self.subTest(bad):
                result = run("-j", bad, self.sample("circle.scr"), self.path("out.png"))
                self.assertEqual(result.returncode, 2)
        result = run("-j2", self.sample("circle.scr"), self.path("out.png"))
        self.assertEqual(result.returncode, 0, result.stderr)


if __name__ == "__main__":
    missing = [name for name in ("TRANSLATE", "TRANSLATORS_DIR", "TEST_ADDON_DIR", "EXAMPLES_DIR",
                                 "PNG_PIXELS") if not os.environ.get(name)]
    if missing:
        sys.exit("png_test.py: set " + ", ".join(missing))
    unittest.main(argv=[sys.argv[0]] + sys.argv[1:], verbosity=2)
