#!/usr/bin/python3
"""The translate command end to end: conversions, failures, usage errors,
--identify and --list, the progress line on a terminal, and the committed
samples.

Run by ctest with TRANSLATE, TRANSLATORS_DIR, TEST_ADDON_DIR and
EXAMPLES_DIR in the environment; the argument names the TestCase to run.
"""

import fcntl
import os
import pty
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import termios
import time
import unittest
import zlib

TRANSLATE = os.environ.get("TRANSLATE", "")
TRANSLATORS_DIR = os.environ.get("TRANSLATORS_DIR", "")
TEST_ADDON_DIR = os.environ.get("TEST_ADDON_DIR", "")
EXAMPLES_DIR = os.environ.get("EXAMPLES_DIR", "")
SAMPLES = ["testcard.scr", "checker.scr", "circle.scr"]
SCREEN_OFFSET = {6912: 0, 6921: 9, 6924: 12, 7396: 265}


def run(*args, stdin=b"", addons=True):
    """Runs translate with the real add-ons and the test add-on."""
    command = [TRANSLATE]
    if addons:
        command += ["--addons", TRANSLATORS_DIR, "--addons", TEST_ADDON_DIR]
    result = subprocess.run(command + list(args), input=stdin, capture_output=True, timeout=60)
    # Other add-ons may warn about themselves; only translate's own lines matter.
    result.errors = [line for line in result.stderr.decode().splitlines()
                     if not line.startswith("warning: ")]
    return result


def unfilter(raw, width, height, bpp):
    """The rows of a PNG image's inflated data, its filters undone."""
    stride = width * bpp
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up = previous[i]
            corner = previous[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                predictor = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + predictor) & 255
            else:
                assert kind == 0, "filter type %d" % kind
        rows.append(bytes(line))
        previous = line
    return rows


# Bytes per pixel of each 8-bit PNG colour type.
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}


def decode_png(data):
    """An 8-bit PNG read with Python's zlib and struct alone:
    (width, height, colour type, palette, transparency, rows of bytes)."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "PNG signature"
    pos, chunks = 8, []
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        crc, = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        assert zlib.crc32(kind + body) == crc, "CRC of " + kind.decode()
        chunks.append((kind, body))
        pos += 12 + length
    assert chunks[0][0] == b"IHDR" and chunks[-1][0] == b"IEND"
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[0][1])
    assert depth == 8 and interlace == 0
    palette = b"".join(body for kind, body in chunks if kind == b"PLTE")
    trns = b"".join(body for kind, body in chunks if kind == b"tRNS")
    # zlib checks the joined stream's Adler-32 and that nothing follows it.
    inflater = zlib.decompressobj()
    raw = inflater.decompress(b"".join(body for kind, body in chunks if kind == b"IDAT"))
    assert inflater.eof and not inflater.unused_data, "one complete zlib stream"
    return width, height, colour, palette, trns, unfilter(raw, width, height, CHANNELS[colour])


def spectrum_rgb(number):
    level = 255 if number & 8 else 170
    return (level if number & 2 else 0, level if number & 4 else 0, level if number & 1 else 0)


def screen_picture(path):
    """The RGB colour of every pixel of a SCREEN$ file, from the Spectrum's layout."""
    with open(path, "rb") as f:
        data = f.read()
    screen = data[SCREEN_OFFSET[len(data)]:][:6912]
    picture = []
    for y in range(192):
        row = []
        for x in range(256):
            byte = screen[2048 * (y // 64) + 256 * (y % 8) + 32 * ((y // 8) % 8) + x // 8]
            attribute = screen[6144 + 32 * (y // 8) + x // 8]
            bright = 8 if attribute & 0x40 else 0
            ink = byte & (0x80 >> (x % 8))
            row.append(spectrum_rgb((attribute & 7 if ink else (attribute >> 3) & 7) + bright))
        picture.append(row)
    return picture


def test_image(width, height):
    """A TESTIMG stream for the test add-on and the RGBA pixels it stands for."""
    pixels = [[((x * 40) & 255, (y * 60) & 255, (x * y * 7) & 255, (x + y) * 30 & 255)
               for x in range(width)] for y in range(height)]
    body = b"".join(bytes(p) for row in pixels for p in row)
    return b"TESTIMGR" + bytes([width, height]) + body, pixels


class Workspace(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="translate_test_")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def path(self, name):
        return os.path.join(self.dir, name)

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)
        return self.path(name)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def sample(self, name):
        return os.path.join(EXAMPLES_DIR, name)

    def assertOnlyFiles(self, names):
        """No stray results or temporary files were left in the workspace."""
        self.assertEqual(sorted(os.listdir(self.dir)), sorted(names))

    def assertPngcheckPasses(self, path):
        if shutil.which("pngcheck"):
            check = subprocess.run(["pngcheck", path], capture_output=True)
            self.assertEqual(check.returncode, 0, check.stdout + check.stderr)


class ConvertTest(Workspace):
    def test_sample_png_shows_the_screen_and_matches_the_bits(self):
        for name in SAMPLES:
            with self.subTest(name):
                result = run(self.sample(name), self.path("out.png"))
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(result.errors, [])
                result = run(self.sample(name), self.path("out.bits"))
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertPngcheckPasses(self.path("out.png"))

                width, height, colour, palette, trns, rows = decode_png(self.read("out.png"))
                self.assertEqual((width, height, colour), (256, 192, 3))
                self.assertEqual(len(palette), 768)
                bits = self.read("out.bits")
                self.assertEqual(len(bits), 32 + 49152)
                self.assertEqual(bits[:4], b"bits")
                # The palette indices are the bitmap's bytes...
                self.assertEqual(b"".join(rows), bits[32:])
                # ...and through the palette they show the Spectrum's colours.
                picture = screen_picture(self.sample(name))
                for y in range(192):
                    for x in range(256):
                        index = rows[y][x]
                        shown = tuple(palette[3 * index:3 * index + 3])
                        alpha = trns[index] if index < len(trns) else 255
                        self.assertEqual((shown, alpha), (picture[y][x], 255), (x, y))

    def test_every_screen_form_becomes_a_png_of_its_bitmap(self):
        noise = bytes((i * 131 + i // 7) & 255 for i in range(13824))
        # PNG colour type of each length: palette, or RGB from RGBA bitmaps.
        forms = {6144: 3, 6976: 2, 12288: 3, 12289: 3, 13824: 2}
        for length, colour in forms.items():
            with self.subTest(length):
                source = self.write("form%d.SCR" % length, noise[:length])
                self.assertEqual(run(source, self.path("out.png")).returncode, 0)
                self.assertEqual(run(source, self.path("out.bits")).returncode, 0)
                pixels = self.read("out.bits")[32:]
                width, _, png_colour, _, _, rows = decode_png(self.read("out.png"))
                self.assertEqual((width, png_colour), (512 if length == 12289 else 256, colour))
                if colour == 2:
                    pixels = b"".join(bytes((pixels[i + 2], pixels[i + 1], pixels[i]))
                                      for i in range(0, len(pixels), 4))
                self.assertEqual(b"".join(rows), pixels)
        # Only the name tells a bare bitmap from any other 6144 bytes.
        result = run(self.write("bare.bin", noise[:6144]), self.path("out.png"))
        self.assertEqual(result.returncode, 1, result.stderr)

    def test_rgba_png_keeps_alpha_and_skips_row_padding(self):
        stream, pixels = test_image(5, 3)
        source = self.write("image.test", stream)
        result = run(source, self.path("image.png"))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertPngcheckPasses(self.path("image.png"))
        width, height, colour, _, _, rows = decode_png(self.read("image.png"))
        self.assertEqual((width, height, colour), (5, 3, 6))
        self.assertEqual(rows, [b"".join(bytes(p) for p in row) for row in pixels])

    def test_bits_output_is_the_add_on_stream_exactly(self):
        stream, pixels = test_image(2, 2)
        source = self.write("image.test", stream)
        result = run(source, self.path("image.bits"))
        self.assertEqual(result.returncode, 0, result.stderr)
        bits = self.read("image.bits")
        header = struct.pack(">4sffffIII", b"bits", 0, 0, 1, 1, 12, 0x2008, 24)
        row = lambda y: b"".join(bytes((p[2], p[1], p[0], p[3])) for p in pixels[y])
        self.assertEqual(bits, header + row(0) + b"\xee" * 4 + row(1) + b"\xee" * 4)

    def test_format_option_overrides_the_extension(self):
        result = run(self.sample("testcard.scr"), self.path("out.png"), "--format", "bits")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(self.read("out.png")[:4], b"bits")
        result = run("--format=png", self.sample("testcard.scr"), self.path("out.data"))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(self.read("out.data")[:8], b"\x89PNG\r\n\x1a\n")

    def test_standard_input_and_output(self):
        with open(self.sample("checker.scr"), "rb") as f:
            screen = f.read()
        piped = run("-", "-", "--format", "bits", stdin=screen)
        self.assertEqual(piped.returncode, 0, piped.stderr)
        run(self.sample("checker.scr"), self.path("checker.bits"))
        self.assertEqual(piped.stdout, self.read("checker.bits"))

        png = run("--format", "png", self.sample("checker.scr"), "-")
        self.assertEqual(png.returncode, 0, png.stderr)
        self.assertEqual(decode_png(png.stdout)[5][0], self.read("checker.bits")[32:32 + 256])

        written = run("-", self.path("from_stdin.png"), stdin=screen)
        self.assertEqual(written.returncode, 0, written.stderr)
        self.assertEqual(decode_png(self.read("from_stdin.png"))[0], 256)

    def test_several_files_into_a_directory(self):
        os.mkdir(self.path("out"))
        inputs = [self.sample(name) for name in SAMPLES]
        result = run("-d", self.path("out"), *inputs)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(sorted(os.listdir(self.path("out"))),
                         ["checker.png", "circle.png", "testcard.png"])
        result = run("-d", self.path("out"), "--format", "bits", self.sample("circle.scr"))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(os.path.getsize(self.path("out/circle.bits")), 32 + 49152)

    def test_replaces_an_existing_output_with_ordinary_permissions(self):
        self.write("out.png", b"old")
        old_umask = os.umask(0o022)
        try:
            result = run(self.sample("testcard.scr"), self.path("out.png"))
        finally:
            os.umask(old_umask)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(self.read("out.png")[:4], b"\x89PNG")
        self.assertEqual(os.stat(self.path("out.png")).st_mode & 0o777, 0o644)
        self.assertOnlyFiles(["out.png"])


class FailureTest(Workspace):
    def assertFails(self, result, *fragments):
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertEqual(len(result.errors), 1, result.errors)
        self.assertTrue(result.errors[0].startswith("translate: "), result.errors[0])
        for fragment in fragments:
            self.assertIn(fragment, result.errors[0])

    def test_missing_input(self):
        result = run(self.path("missing.scr"), self.path("out.png"))
        self.assertFails(result, "cannot open " + self.path("missing.scr"),
                         "No such file or directory")
        self.assertOnlyFiles([])

    def test_unrecognised_input(self):
        source = self.write("notes.txt", b"just some text\n")
        result = run(source, self.path("out.png"))
        self.assertFails(result, source + ": no translator recognises this file")
        self.assertOnlyFiles(["notes.txt"])
        # A SCREEN$ one byte too long is no SCREEN$.
        with open(self.sample("testcard.scr"), "rb") as f:
            source = self.write("long.scr", f.read() + b"\0")
        self.assertFails(run(source, self.path("out.png")), "no translator recognises")
        self.assertOnlyFiles(["notes.txt", "long.scr"])

    def test_add_on_error_leaves_the_old_output_alone(self):
        source = self.write("broken.test", b"TESTIMGE")
        self.write("out.png", b"previous result")
        result = run(source, self.path("out.png"))
        self.assertFails(result, source + ": the translator TestImage reported an error")
        self.assertEqual(self.read("out.png"), b"previous result")
        self.assertOnlyFiles(["broken.test", "out.png"])

        source = self.write("hungry.test", b"TESTIMGM")
        self.assertFails(run(source, self.path("x.bits")), "TestImage ran out of memory")
        self.assertOnlyFiles(["broken.test", "out.png", "hungry.test"])

        # An add-on that says why is quoted after the file name.
        with open(self.sample("sunset.psd"), "rb") as f:
            psd = bytearray(f.read())
        psd[24:26] = b"\x00\x05"
        source = self.write("mode5.psd", bytes(psd))
        self.assertFails(run(source, self.path("x.png")),
                         source + ": colour mode 5 is not a Photoshop colour mode")

    def test_interrupted_conversion_leaves_no_temporary_file(self):
        source = self.write("slow.test", b"TESTIMGW")
        for signal_number in (signal.SIGINT, signal.SIGTERM):
            process = subprocess.Popen([TRANSLATE, "--addons", TEST_ADDON_DIR, "--addons",
                                        TRANSLATORS_DIR, source, self.path("out.bits")],
                                       stderr=subprocess.DEVNULL)
            deadline = time.time() + 10
            while not any(name.startswith(".out.bits.") for name in os.listdir(self.dir)):
                self.assertLess(time.time(), deadline, "no temporary file appeared")
                time.sleep(0.02)
            process.send_signal(signal_number)
            self.assertEqual(process.wait(10), -signal_number)
            self.assertOnlyFiles(["slow.test"])

    def test_bitmaps_png_cannot_take(self):
        source = self.write("rgb24.test", b"TESTIMGS")
        self.assertFails(run(source, self.path("out.png")), "colour space 0x0003")
        self.assertOnlyFiles(["rgb24.test"])
        # As a Be bitmap stream it is written as the add-on made it.
        self.assertEqual(run(source, self.path("out.bits")).returncode, 0)

        source = self.write("bad.test", b"TESTIMGB")
        self.assertFails(run(source, self.path("bad.png")), "do not agree")
        self.assertFalse(os.path.exists(self.path("bad.png")))

    def test_one_failure_among_several(self):
        os.mkdir(self.path("out"))
        bad = self.write("bad.scr", b"x" * 6913)
        result = run("-d", self.path("out"), self.sample("testcard.scr"), bad,
                     self.sample("circle.scr"))
        self.assertFails(result, bad + ": no translator recognises this file")
        self.assertEqual(sorted(os.listdir(self.path("out"))), ["circle.png", "testcard.png"])

    def test_unwritable_outputs(self):
        result = run(self.sample("testcard.scr"), self.path("no/such/dir/out.png"))
        self.assertFails(result, "cannot write " + self.path("no/such/dir/out.png"),
                         "No such file or directory")
        # Renaming the finished file over a directory fails: no temporary file may stay.
        os.mkdir(self.path("taken.png"))
        result = run(self.sample("testcard.scr"), self.path("taken.png"))
        self.assertFails(result, "cannot write " + self.path("taken.png"), "Is a directory")
        self.assertOnlyFiles(["taken.png"])
        self.assertEqual(os.listdir(self.path("taken.png")), [])
        with open("/dev/full", "wb") as full:
            result = subprocess.run(
                [TRANSLATE, "--addons", TRANSLATORS_DIR, "--format", "png",
                 self.sample("testcard.scr"), "-"], stdout=full, capture_output=False,
                stderr=subprocess.PIPE, timeout=60)
        self.assertEqual(result.returncode, 1)
        self.assertIn("cannot write standard output: No space left on device",
                      result.stderr.decode())

    def test_bad_add_on_directory(self):
        result = run("--addons", self.path("nowhere"), self.sample("testcard.scr"),
                     self.path("out.png"), addons=False)
        self.assertFails(result, "cannot read add-on directory " + self.path("nowhere"))
        result = run("--addons", self.dir, "--list", addons=False)
        self.assertFails(result, "no translator add-ons found in " + self.dir)


def png_chunks(data):
    """(type, body) of every chunk of a PNG."""
    pos, chunks = 8, []
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunks.append((kind, data[pos + 8:pos + 8 + length]))
        pos += 12 + length
    return chunks


def colour_psd(mode, pixels, profile=b""):
    """A raw 8-bit PSD of one row of pixels (tuples of channel values), with
    the ICC profile as image resource 1039 when one is given."""
    resources = b""
    if profile:
        resources = b"8BIM" + struct.pack(">HHI", 1039, 0, len(profile)) + profile
        resources += b"\0" * (len(profile) % 2)
    channels = len(pixels[0])
    out = b"8BPS" + struct.pack(">H6xHIIHH", 1, channels, 1, len(pixels), 8, mode)
    out += struct.pack(">I", 0) + struct.pack(">I", len(resources)) + resources
    out += struct.pack(">IH", 0, 0)
    return out + b"".join(bytes(p[c] for p in pixels) for c in range(channels))


class ColourTest(Workspace):
    # Adobe RGB (1998) as Ghostscript installs it (libgs-common).
    WIDE = "/usr/share/color/icc/ghostscript/a98.icc"

    def test_converted_kept_and_as_stored(self):
        # Untagged CMYK, ink stored inverted: cyan through the system's SWOP profile.
        cmyk = self.write("cyan.psd", colour_psd(4, [(0, 255, 255, 255)]))
        self.assertEqual(run(cmyk, self.path("cyan.png")).returncode, 0)
        png = self.read("cyan.png")
        self.assertIn(b"sRGB", [kind for kind, _ in png_chunks(png)])
        self.assertEqual(decode_png(png)[5][0], bytes((0, 174, 239)))
        self.assertEqual(run("--no-color-management", cmyk, self.path("plain.png")).returncode, 0)
        plain = self.read("plain.png")
        self.assertNotIn(b"sRGB", [kind for kind, _ in png_chunks(plain)])
        self.assertEqual(decode_png(plain)[5][0], bytes((0, 254, 254)))

        # Wide-gamut RGB: kept with its profile, gray samples and all, or converted.
        with open(self.WIDE, "rb") as f:
            profile = f.read()
        wide = self.write("wide.psd", colour_psd(3, [(0, 200, 0), (90, 90, 90)], profile))
        self.assertEqual(run("--keep-profile", wide, self.path("kept.png")).returncode, 0)
        kept = self.read("kept.png")
        iccp = [body for kind, body in png_chunks(kept) if kind == b"iCCP"]
        self.assertEqual(len(iccp), 1)
        self.assertEqual(zlib.decompress(iccp[0][iccp[0].index(b"\0") + 2:]), profile)
        self.assertEqual(decode_png(kept)[2], 2)
        self.assertEqual(decode_png(kept)[5][0], bytes((0, 200, 0, 90, 90, 90)))
        self.assertEqual(run(wide, self.path("srgb.png")).returncode, 0)
        green = decode_png(self.read("srgb.png"))[5][0][:3]
        self.assertLess(green[0], 10)
        self.assertNotEqual(green, bytes((0, 200, 0)))


class UsageTest(Workspace):
    def assertUsageError(self, *args, fragment=""):
        result = run(*args)
        self.assertEqual(result.returncode, 2, (args, result.stderr))
        self.assertTrue(result.errors and result.errors[0].startswith("translate: "), args)
        self.assertIn(fragment, result.errors[0])
        self.assertEqual(result.stdout, b"")

    def test_usage_errors(self):
        scr = self.sample("testcard.scr")
        self.assertUsageError(fragment="expected IN and OUT")
        self.assertUsageError(scr, fragment="expected IN and OUT")
        self.assertUsageError(scr, self.path("a.png"), self.path("b.png"), fragment="-d DIR")
        self.assertUsageError("--bogus", scr, self.path("a.png"), fragment="'--bogus'")
        self.assertUsageError("--format", "jpeg", scr, self.path("a.png"), fragment="'jpeg'")
        self.assertUsageError("--format", fragment="needs a value")
        self.assertUsageError(scr, self.path("a.jpg"), fragment="a.jpg")
        self.assertUsageError(scr, "-", fragment="--format")
        self.assertUsageError("-d", self.dir, "-", fragment="'-'")
        self.assertUsageError("-d", self.dir, fragment="no input files")
        self.assertUsageError("-d", self.dir, scr, self.write("testcard.bits", b""),
                              fragment="both be written")
        self.assertUsageError("--identify", fragment="at least one file")
        self.assertUsageError("--list", scr, fragment="no files")
        self.assertUsageError("--list", "--identify", scr)
        self.assertUsageError("--list=yes")
        self.assertUsageError("--keep-profile", "--no-color-management", scr, self.path("a.png"),
                              fragment="cannot be combined")
        self.assertUsageError("--identify", "--keep-profile", scr, fragment="only to conversion")
        self.assertOnlyFiles(["testcard.bits"])

    def test_help_and_version(self):
        result = run("--help", addons=False)
        self.assertEqual(result.returncode, 0)
        self.assertIn(b"Usage: translate", result.stdout)
        self.assertIn(b"--identify", result.stdout)
        result = run("--version", addons=False)
        self.assertEqual(result.returncode, 0)
        self.assertRegex(result.stdout.decode(), r"^translate \d+\.\d+\n$")

    def test_double_dash_ends_options(self):
        source = self.write("-odd.scr", open(self.sample("testcard.scr"), "rb").read())
        result = subprocess.run([TRANSLATE, "--addons", TRANSLATORS_DIR, "--", "-odd.scr",
                                 "-odd.png"], cwd=self.dir, capture_output=True, timeout=60)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertTrue(os.path.exists(self.path("-odd.png")))
        self.assertTrue(os.path.exists(source))


class ReportTest(Workspace):
    def test_identify(self):
        other = self.write("other.txt", b"nothing to see")
        image = self.write("image.test", test_image(1, 1)[0])
        result = run("--identify", self.sample("testcard.scr"), other, image)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stdout.decode().splitlines(), [
            self.sample("testcard.scr") + ": Wendral, 'ZX  ', image/x-zx, ZX Spectrum SCREEN$",
            image + ": TestImage, 'TEST', test/x-image, Test image",
        ])
        self.assertEqual(result.errors, ["translate: " + other +
                                         ": no translator recognises this file"])
        with open(self.sample("circle.scr"), "rb") as f:
            piped = run("--identify", "-", stdin=f.read())
        self.assertEqual(piped.returncode, 0)
        self.assertTrue(piped.stdout.decode().startswith("-: Wendral, 'ZX  '"))

    def test_list(self):
        result = run("--list")
        self.assertEqual(result.returncode, 0, result.stderr)
        lines = result.stdout.decode().splitlines()
        start = lines.index(next(l for l in lines if l.startswith("Wendral ")))
        self.assertRegex(lines[start], r"^Wendral 2\.10: \S.*$")
        self.assertEqual(lines[start + 1].split(), ["input", "'ZX", "'", "image/x-zx", "ZX",
                                                    "Spectrum", "SCREEN$", "(quality", "0.90,",
                                                    "capability", "0.80)"])
        self.assertIn("'bits'  image/x-be-bitmap  Be bitmap (B_CMAP8; B_RGBA32 for ULAplus and "
                      "gigascreen)  (quality 0.30, capability 0.50)", lines[start + 2])
        self.assertIn("TestImage 1.05: Test images for the translate command", lines)


def run_on_terminal(*args):
    """Runs translate (with the test add-on) with its standard error on a
    200-column pseudo-terminal: (exit status, what the terminal received)."""
    master, slave = pty.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 200, 0, 0))
    command = [TRANSLATE, "--addons", TRANSLATORS_DIR, "--addons", TEST_ADDON_DIR] + list(args)
    process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=slave)
    os.close(slave)
    received = b""
    while True:
        try:
            chunk = os.read(master, 65536)
        except OSError:  # EIO: the program has closed the terminal
            break
        if not chunk:
            break
        received += chunk
    os.close(master)
    return process.wait(timeout=60), received.decode()


# The progress line drawn in place: a carriage return, the text, and the
# rest of the line erased; cleared, the text is empty.
DRAWN = re.compile(r"\r([^\r\n\x1b]*)\x1b\[K")


class ProgressTest(Workspace):
    """The progress line: drawn in place while converting, cleared at the
    end, never mixed with failure lines, and only on a terminal."""

    def slow(self, name, kilobytes):
        # Read at 1 KiB per 20 ms, then a 2048 x 2048 bitmap of noise.
        return self.write(name, b"TESTIMGP" + bytes(kilobytes << 10))

    def test_a_long_file_shows_its_reading_then_its_png_bands(self):
        source = self.slow("slow.test", 50)
        status, received = run_on_terminal("-j", "1", "--png-level", "9", source,
                                           self.path("slow.png"))
        self.assertEqual(status, 0, received)
        lines = DRAWN.findall(received)
        self.assertEqual(DRAWN.sub("", received), "", "only the progress line")
        self.assertTrue(received.endswith("\r\x1b[K"), "cleared at the end")
        shown = [line for line in lines if line]
        self.assertTrue(shown and all(line.startswith("0/1 files  ") for line in shown), shown)
        read = [int(m.group(1)) for m in map(re.compile(r"slow\.test  read (\d+)%$").search,
                                             shown) if m]
        self.assertTrue(any(0 < percent < 100 for percent in read), shown)
        self.assertEqual(read, sorted(read))
        self.assertTrue(any(re.search(r"slow\.test  PNG band \d+ of \d+$", line)
                            for line in shown), shown)
        self.assertTrue(any(re.search(r" elapsed  \d+:\d\d left  ", line) for line in shown),
                        shown)

    def test_failures_are_whole_lines_above_it(self):
        sources = [self.slow("first.test", 15), self.write("broken.test", b"TESTIMGE"),
                   self.slow("last.test", 15)]
        status, received = run_on_terminal("-j", "1", "--png-level", "0", "-d", self.dir,
                                           *sources)
        self.assertEqual(status, 1, received)
        failure = "translate: " + sources[1] + ": the translator TestImage "
        self.assertTrue(DRAWN.sub("", received).startswith(failure), received)
        self.assertTrue(DRAWN.sub("", received).endswith("\r\n"), received)
        self.assertEqual(DRAWN.sub("", received).count("\n"), 1, received)
        self.assertLess(received.index("files  "), received.index(failure), "shown before")
        self.assertTrue(any(line.startswith("2/3 files  ") and "last.test" in line
                            for line in DRAWN.findall(received)), received)

    def test_nothing_with_quiet_or_off_a_terminal(self):
        sources = [self.slow("slow.test", 15), self.write("broken.test", b"TESTIMGE")]
        status, received = run_on_terminal("-q", "-d", self.dir, *sources)
        self.assertEqual(status, 1)
        self.assertEqual(len(received.splitlines()), 1, received)
        self.assertNotIn("\x1b", received)
        piped = run("-d", self.dir, *sources)
        self.assertEqual(len(piped.errors), 1, piped.errors)
        self.assertNotIn(b"\r", piped.stderr)


class SamplesTest(unittest.TestCase):
    def test_committed_samples_are_what_the_generator_draws(self):
        with tempfile.TemporaryDirectory() as fresh:
            subprocess.run([sys.executable, os.path.join(EXAMPLES_DIR, "make_screens.py"), fresh],
                           check=True, timeout=120)
            for name in SAMPLES:
                with open(os.path.join(fresh, name), "rb") as a, \
                        open(os.path.join(EXAMPLES_DIR, name), "rb") as b:
                    self.assertEqual(a.read(), b.read(), name)

    def test_samples_cover_bare_and_prefixed_layouts(self):
        sizes = {os.path.getsize(os.path.join(EXAMPLES_DIR, name)) for name in SAMPLES}
        self.assertIn(6912, sizes)
        self.assertTrue(sizes & {6921, 6924})


if __name__ == "__main__":
    missing = [name for name in ("TRANSLATE", "TRANSLATORS_DIR", "TEST_ADDON_DIR", "EXAMPLES_DIR")
               if not os.environ.get(name)]
    if missing:
        sys.exit("translate_test.py: set " + ", ".join(missing))
    unittest.main(argv=[sys.argv[0]] + sys.argv[1:], verbosity=2)
