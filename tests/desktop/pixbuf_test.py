#!/usr/bin/python3
"""The gdk-pixbuf loader module in real clients (GdkPixbuf through PyGObject,
gdk-pixbuf-thumbnailer) and the thumbnailer entry's own program, compared
with what translate makes of the same files.

Run by ctest with PIXBUF_CACHE (the build tree's loaders cache), MIME_DATA
(the build tree's share/ with its MIME database and thumbnailer entry),
TRANSLATE, EXAMPLES_DIR and THUMBNAILER (gdk-pixbuf-thumbnailer) in the
environment; the argument names the TestCase to run. Exits with 77
(skipped) where PyGObject or GdkPixbuf is missing.
"""

import atexit
import configparser
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import unittest

PIXBUF_CACHE = os.environ.get("PIXBUF_CACHE", "")
MIME_DATA = os.environ.get("MIME_DATA", "")
TRANSLATE = os.environ.get("TRANSLATE", "")
EXAMPLES_DIR = os.environ.get("EXAMPLES_DIR", "")
THUMBNAILER = os.environ.get("THUMBNAILER", "")
SKIP = 77

# gdk-pixbuf reads these once, when it first needs a loader; the settings
# directory is a fresh one so that the user's Tarnwick settings change nothing.
WORK = tempfile.mkdtemp(prefix="pixbuf-test-")
os.environ["GDK_PIXBUF_MODULE_FILE"] = PIXBUF_CACHE
os.environ["XDG_DATA_DIRS"] = MIME_DATA + ":/usr/local/share:/usr/share"
os.environ["XDG_DATA_HOME"] = os.path.join(WORK, "data")
os.environ["XDG_CONFIG_HOME"] = os.path.join(WORK, "config")
os.makedirs(os.environ["XDG_CONFIG_HOME"])

try:
    import gi
    gi.require_version("GdkPixbuf", "2.0")
    from gi.repository import GdkPixbuf, Gio, GLib
except (ImportError, ValueError) as missing:
    print("skipped: PyGObject with GdkPixbuf 2.0 is not available:", missing)
    sys.exit(SKIP)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from psd_samples import (blank_merged_psd, gradient_psd, psd, quadrant_psd,  # noqa: E402
                         split_psd, thumbnailer_command)

SCREENS = ["testcard.scr", "checker.scr", "circle.scr"]
LIMIT = 1 << 28
ENTRY = os.path.join(MIME_DATA, "thumbnailers", "translators.thumbnailer")


def write(name, data):
    path = os.path.join(WORK, name)
    with open(path, "wb") as f:
        f.write(data)
    return path


def screen_forms():
    """A .scr file of each screen form beside the samples' 6912-byte one."""
    noise = bytes((i * 131 + i // 7) & 255 for i in range(13824))
    header = b"PLUS3DOS\x1a\x01\x00" + bytes(116)
    plus3dos = header + bytes([sum(header) & 255]) + noise[:6912]
    return ([write("form%d.scr" % n, noise[:n]) for n in (6144, 6976, 12288, 12289, 13824)]
            + [write("plus3dos.scr", plus3dos)])


# --- What translate makes of a file -------------------------------------------

def run_translate(source, target, env=None):
    result = subprocess.run([TRANSLATE, source, target], capture_output=True, timeout=60,
                            env=env)
    assert result.returncode == 0, result.stderr.decode()


def png_palette(path):
    """The PLTE and tRNS chunks of translate's palette PNG, as RGBA entries."""
    with open(path, "rb") as f:
        data = f.read()
    pos, plte, trns = 8, b"", b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"PLTE":
            plte = body
        elif kind == b"tRNS":
            trns = body
        pos += 12 + length
    return [bytes(plte[3 * i:3 * i + 3]) + bytes([trns[i] if i < len(trns) else 255])
            for i in range(len(plte) // 3)]


def translated_rgba(source, env=None):
    """(width, height, RGBA rows) from translate's Be bitmap stream; colour
    mapped bitmaps through the colour map that translate writes as PNG."""
    bits = source + ".bits"
    run_translate(source, bits, env)
    with open(bits, "rb") as f:
        data = f.read()
    magic, left, top, right, bottom, row_bytes, colors, size = struct.unpack(
        ">I4fIII", data[:32])
    assert magic == 0x62697473 and left == 0 and top == 0
    width, height = int(right) + 1, int(bottom) + 1
    assert size == row_bytes * height == len(data) - 32
    rows = [data[32 + y * row_bytes:32 + (y + 1) * row_bytes] for y in range(height)]
    out = bytearray()
    if colors == 0x2008:
        for row in rows:
            for x in range(width):
                b, g, r, a = row[4 * x:4 * x + 4]
                out += bytes((r, g, b, a))
    else:
        assert colors == 0x0004
        run_translate(source, source + ".png", env)
        palette = png_palette(source + ".png")
        for row in rows:
            out += b"".join(palette[i] for i in row[:width])
    return width, height, bytes(out)


def pixbuf_rgba(pixbuf):
    width, height = pixbuf.get_width(), pixbuf.get_height()
    assert pixbuf.get_has_alpha() and pixbuf.get_n_channels() == 4
    stride, data = pixbuf.get_rowstride(), pixbuf.get_pixels()
    return width, height, b"".join(data[y * stride:y * stride + 4 * width]
                                   for y in range(height))


def load_in_pieces(data, piece, mime=None):
    loader = (GdkPixbuf.PixbufLoader.new_with_mime_type(mime) if mime
              else GdkPixbuf.PixbufLoader())
    sizes = []
    loader.connect("size-prepared", lambda _, w, h: sizes.append((w, h)))
    try:
        for at in range(0, len(data), piece):
            loader.write(data[at:at + piece])
    finally:
        loader.close()
    return loader.get_pixbuf(), sizes


def read(path):
    with open(path, "rb") as f:
        return f.read()


class LoadTest(unittest.TestCase):
    """Pixels through every way a program loads, equal to translate's."""

    @classmethod
    def setUpClass(cls):
        cls.psds = [write("gradient.psd", gradient_psd(203, 97)),
                    write("raw-odd.psd", gradient_psd(37, 5, packed=False))]
        cls.screens = [write(name, read(os.path.join(EXAMPLES_DIR, name))) for name in SCREENS]

    def test_psd_files_open_as_translate_converts_them(self):
        for path in self.psds:
            pixbuf = GdkPixbuf.Pixbuf.new_from_file(path)
            self.assertEqual(pixbuf_rgba(pixbuf), translated_rgba(path), path)

    def test_screens_open_as_translate_converts_them(self):
        for path in self.screens:
            pixbuf = GdkPixbuf.Pixbuf.new_from_file(path)
            expected = translated_rgba(path)
            self.assertEqual(expected[:2], (256, 192))
            self.assertEqual(pixbuf_rgba(pixbuf), expected, path)

    def test_every_screen_form_opens_as_translate_converts_it(self):
        # The bare 6144- and 12288-byte forms have only their name to go by.
        for path in screen_forms():
            expected = translated_rgba(path)
            self.assertEqual(pixbuf_rgba(GdkPixbuf.Pixbuf.new_from_file(path)), expected, path)
            pixbuf, _ = load_in_pieces(read(path), 4096, "image/x-zx-screen")
            self.assertEqual(pixbuf_rgba(pixbuf), expected, path)

    def test_loading_piece_by_piece_by_content_or_by_mime_type(self):
        gradient = read(self.psds[0])
        screen = read(self.screens[0])
        cases = [(gradient, None, self.psds[0]),
                 (gradient, "image/vnd.adobe.photoshop", self.psds[0]),
                 (gradient, "image/x-psd", self.psds[0]),
                 (screen, "image/x-zx-screen", self.screens[0]),
                 (screen, "image/x-zx", self.screens[0])]
        for data, mime, path in cases:
            for piece in (1000, 4096, len(data)):
                pixbuf, sizes = load_in_pieces(data, piece, mime)
                expected = translated_rgba(path)
                self.assertEqual(sizes, [expected[:2]], (mime, piece))
                self.assertEqual(pixbuf_rgba(pixbuf), expected, (mime, piece))

    def test_scaled_loading_and_file_info(self):
        pixbuf = GdkPixbuf.Pixbuf.new_from_file_at_scale(self.screens[0], 64, 64, True)
        self.assertEqual((pixbuf.get_width(), pixbuf.get_height()), (64, 48))
        fmt, width, height = GdkPixbuf.Pixbuf.get_file_info(self.psds[0])
        self.assertEqual((fmt.get_name(), width, height), ("translators", 203, 97))
        self.assertIn("image/x-zx-screen", fmt.get_mime_types())
        self.assertIn("psd", fmt.get_extensions())

    def test_large_file_fed_in_pieces_goes_to_an_unlinked_temporary_file(self):
        # Past 16 MiB the module keeps what arrives in a file in TMPDIR, not
        # in memory; with no usable TMPDIR only that load fails, and a good
        # one is left empty whatever happens.
        width, height = 2400, 2400
        pattern = bytes(range(256)) * 20
        planes = [b"".join(pattern[(y * (c + 1)) % 256:(y * (c + 1)) % 256 + width]
                           for y in range(height)) for c in range(3)]
        large = write("large.psd", psd(width, height, planes))
        self.assertGreater(os.path.getsize(large), 16 << 20)
        load = ("import sys, gi; gi.require_version('GdkPixbuf', '2.0');"
                "from gi.repository import GdkPixbuf;"
                "loader = GdkPixbuf.PixbufLoader();"
                "data = open(sys.argv[1], 'rb').read();"
                "[loader.write(data[i:i + 65536]) for i in range(0, len(data), 65536)];"
                "loader.close();"
                "sys.stdout.buffer.write(loader.get_pixbuf().get_pixels())")
        expected = {path: translated_rgba(path) for path in (large, self.psds[0])}
        spool = os.path.join(WORK, "spool")
        os.makedirs(spool)
        for tmpdir, path in ((spool, large), ("/nonexistent", self.psds[0]),
                             ("/nonexistent", large)):
            env = dict(os.environ, TMPDIR=tmpdir)
            shown = subprocess.run(["/usr/bin/python3", "-c", load, path], env=env,
                                   capture_output=True, timeout=120)
            if path == large and tmpdir != spool:
                self.assertNotEqual(shown.returncode, 0)
                self.assertIn("Could not make a temporary file in /nonexistent",
                              shown.stderr.decode())
                continue
            self.assertEqual(shown.returncode, 0, shown.stderr.decode())
            self.assertEqual(shown.stdout, expected[path][2], (tmpdir, path))
        self.assertEqual(os.listdir(spool), [])
        # Read whole from a file, the module reads it in place.
        self.assertEqual(pixbuf_rgba(GdkPixbuf.Pixbuf.new_from_file(large)), expected[large])

    def test_loads_on_many_threads_at_once_keep_apart(self):
        # Programs load on worker threads; each load must keep to its own
        # file, whatever the add-ons share between calls.
        paths = [write("thread-a.psd", gradient_psd(640, 400)),
                 write("thread-b.psd", gradient_psd(500, 500, packed=False)),
                 self.screens[0]]
        expected = {path: translated_rgba(path) for path in paths}
        failures = []

        def work(offset):
            for i in range(6):
                path = paths[(i + offset) % len(paths)]
                try:
                    got = pixbuf_rgba(GdkPixbuf.Pixbuf.new_from_file(path))
                    if got != expected[path]:
                        failures.append(path + ": other pixels")
                except GLib.Error as error:
                    failures.append(path + ": " + error.message)

        threads = [threading.Thread(target=work, args=(n,)) for n in range(4)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        self.assertEqual(failures, [])


class FailureTest(unittest.TestCase):
    """Files the add-ons refuse are errors with a reason, never a picture."""

    def assertLoadFails(self, path, code, *words):
        with self.assertRaises(GLib.Error) as caught:
            GdkPixbuf.Pixbuf.new_from_file(path)
        self.assertEqual(caught.exception.domain, "gdk-pixbuf-error-quark", path)
        self.assertEqual(caught.exception.code, int(code), caught.exception.message)
        for word in words:
            self.assertIn(word, caught.exception.message)
        # The same through a loader fed piece by piece.
        with self.assertRaises(GLib.Error) as caught:
            load_in_pieces(read(path), 512)
        self.assertEqual(caught.exception.code, int(code), caught.exception.message)

    def test_damaged_psd_files_are_corrupt_images(self):
        whole = gradient_psd(20, 10)
        header_cut = write("cut.psd", whole[:20])
        mode5 = bytearray(whole)
        mode5[24:26] = b"\x00\x05"  # a colour mode number that PSD does not use
        unknown_mode = write("mode5.psd", bytes(mode5))
        for path in (header_cut, unknown_mode):
            self.assertLoadFails(path, GdkPixbuf.PixbufError.CORRUPT_IMAGE, "PSD Images")
        # The add-on's own reason reaches the error.
        self.assertLoadFails(unknown_mode, GdkPixbuf.PixbufError.CORRUPT_IMAGE,
                             "colour mode 5 is not a Photoshop colour mode")

    def test_files_no_add_on_recognises_are_unknown(self):
        junk = write("junk.psd", b"this is no image at all\n" * 20)
        wrong_version = write("v3.psd", b"8BPS\x00\x03" + gradient_psd(4, 4)[6:])
        short_screen = write("short.scr", read(os.path.join(EXAMPLES_DIR, SCREENS[0]))[:6911])
        empty = write("empty.scr", b"")
        for path in (junk, wrong_version, short_screen):
            self.assertLoadFails(path, GdkPixbuf.PixbufError.UNKNOWN_TYPE, "recognises")
        with self.assertRaises(GLib.Error):
            GdkPixbuf.Pixbuf.new_from_file(empty)

    def test_images_over_the_pixel_limit_are_refused(self):
        # 16385 x 16385 is just over 2^28 pixels. Loaded at its own size it
        # is refused at the bitmap's header, before the add-on or the loader
        # allocates anything for its pixels.
        big = write("big.psd", psd(16385, 16385, [b""], mode=1))
        with self.assertRaises(GLib.Error) as caught:
            GdkPixbuf.Pixbuf.new_from_file(big)
        self.assertEqual(caught.exception.code, int(GdkPixbuf.PixbufError.INSUFFICIENT_MEMORY))
        self.assertIn("16385 × 16385", caught.exception.message)
        self.assertIn(str(LIMIT), caught.exception.message)


class SettingsTest(unittest.TestCase):
    """The module reads Tarnwick's settings file, as translate does."""

    def test_alpha4_setting_reaches_the_module(self):
        rgba = write("rgba.psd", gradient_psd(16, 8, channels=4))
        show = ("import sys, gi; gi.require_version('GdkPixbuf', '2.0');"
                "from gi.repository import GdkPixbuf;"
                "p = GdkPixbuf.Pixbuf.new_from_file(sys.argv[1]);"
                "sys.stdout.buffer.write(p.get_pixels())")
        results = {}
        for alpha4 in (0, 1):
            config = os.path.join(WORK, "settings%d" % alpha4)
            os.makedirs(config)
            with open(os.path.join(config, "Tarnwick_Settings"), "w") as f:
                f.write("alpha4 = %d\n" % alpha4)
            env = dict(os.environ, XDG_CONFIG_HOME=config)
            shown = subprocess.run(["/usr/bin/python3", "-c", show, rgba], env=env,
                                   capture_output=True, timeout=60)
            self.assertEqual(shown.returncode, 0, shown.stderr.decode())
            expected = translated_rgba(rgba, env)
            self.assertEqual(shown.stdout, expected[2], "alpha4 = %d" % alpha4)
            results[alpha4] = shown.stdout
        alphas = [set(results[n][3::4]) for n in (0, 1)]
        self.assertEqual(alphas[0], {255})
        self.assertGreater(len(alphas[1]), 1)


class ColourTest(unittest.TestCase):
    """Colours as translate converts them, or kept with their profile attached when
    TRANSLATORS_COLOR_MANAGEMENT says keep-profile."""

    # Adobe RGB (1998) as Ghostscript installs it (libgs-common).
    WIDE = "/usr/share/color/icc/ghostscript/a98.icc"

    def test_converted_or_kept_with_the_profile(self):
        with open(self.WIDE, "rb") as f:
            profile = f.read()
        planes = [bytes((0, 90)), bytes((200, 90)), bytes((0, 90))]
        wide = write("wide.psd", psd(2, 1, planes, profile=profile))
        show = ("import sys, base64, gi; gi.require_version('GdkPixbuf', '2.0');"
                "from gi.repository import GdkPixbuf;"
                "p = GdkPixbuf.Pixbuf.new_from_file(sys.argv[1]);"
                "icc = p.get_option('icc-profile');"
                "sys.stdout.buffer.write(p.get_pixels()[:8] + base64.b64decode(icc or ''))")
        shown = {}
        for mode in ("", "keep-profile"):
            env = dict(os.environ, TRANSLATORS_COLOR_MANAGEMENT=mode)
            result = subprocess.run(["/usr/bin/python3", "-c", show, wide], env=env,
                                    capture_output=True, timeout=60)
            self.assertEqual(result.returncode, 0, result.stderr.decode())
            shown[mode] = result.stdout
        self.assertEqual(shown[""], translated_rgba(wide)[2])
        self.assertEqual(shown["keep-profile"], bytes((0, 200, 0, 255, 90, 90, 90, 255)) + profile)


class ThumbnailTest(unittest.TestCase):
    """Thumbnails as file managers make them: through the module by
    gdk-pixbuf-thumbnailer, and by the command of the thumbnailer entry,
    which runs a program of ours that reads the file in place."""

    def setUp(self):
        if not THUMBNAILER:
            self.skipTest("gdk-pixbuf-thumbnailer is not installed")

    def thumbnail(self, which, path, size=128, prefix=()):
        out = "%s.%s.png" % (path, which)
        if which == "module":
            command = [THUMBNAILER, "-s", str(size), path, out]
        else:
            command = thumbnailer_command(ENTRY, size, path, out)
        result = subprocess.run(list(prefix) + command, capture_output=True, timeout=300)
        return result, out

    def thumbnails(self, path, size=128, prefix=()):
        """(which, pixbuf) of each thumbnailer's thumbnail of the file."""
        for which in ("module", "entry"):
            result, out = self.thumbnail(which, path, size, prefix)
            self.assertEqual(result.returncode, 0, (which, result.stderr.decode()))
            yield which, GdkPixbuf.Pixbuf.new_from_file(out)

    def test_entry_runs_the_thumbnailer_program_of_the_build_tree(self):
        parser = configparser.ConfigParser(interpolation=None)
        parser.read(ENTRY)
        entry = parser["Thumbnailer Entry"]
        self.assertTrue(os.access(entry["TryExec"], os.X_OK), entry["TryExec"])
        self.assertEqual(entry["Exec"].split()[0], entry["TryExec"])
        self.assertTrue({"image/vnd.adobe.photoshop", "image/x-zx-screen"}
                        <= set(entry["MimeType"].split(";")))

    def test_psd_and_psb_thumbnails_keep_their_quarters(self):
        # The system's MIME database knows both by their signature.
        for name, version in (("quadrants.psd", 1), ("quadrants.psb", 2)):
            for which, thumb in self.thumbnails(write(name, quadrant_psd(400, 300, version))):
                width, height, pixels = pixbuf_rgba(thumb)
                self.assertEqual((width, height), (128, 96), which)

                def at(x, y):
                    i = 4 * (y * width + x)
                    return tuple(pixels[i:i + 3])
                self.assertEqual(at(32, 24), (255, 0, 0), (name, which))
                self.assertEqual(at(96, 24), (0, 255, 0), (name, which))
                self.assertEqual(at(32, 72), (0, 0, 255), (name, which))
                self.assertEqual(at(96, 72), (255, 255, 255), (name, which))

    def test_blank_merged_psd_shows_its_layers(self):
        path = write("blank-merged.psd", blank_merged_psd(400, 200, (50, 100, 150, 300),
                                                          (200, 30, 10)))
        for which, thumb in self.thumbnails(path):
            width, height, pixels = pixbuf_rgba(thumb)
            self.assertEqual((width, height), (128, 64), which)
            self.assertEqual(pixels[3], 0, which)  # a corner, outside the layer
            centre = 4 * (32 * width + 64)
            self.assertEqual(tuple(pixels[centre:centre + 4]), (200, 30, 10, 255), which)

    def test_screen_thumbnail_is_the_picture_made_smaller(self):
        samples = [write(name, read(os.path.join(EXAMPLES_DIR, name))) for name in SCREENS]
        for path in samples + screen_forms():
            full_width, _, full = translated_rgba(path)
            for which, thumb in self.thumbnails(path):
                width, height, pixels = pixbuf_rgba(thumb)
                self.assertEqual((width, height), (128, 96 if full_width == 256 else 48),
                                 (path, which))
                # Scaling down keeps each channel's mean, whatever the filter.
                for channel in range(3):
                    mean_full = sum(full[channel::4]) / (len(full) / 4)
                    mean_thumb = sum(pixels[channel::4]) / (len(pixels) / 4)
                    self.assertAlmostEqual(mean_thumb, mean_full, delta=2.0, msg=(path, which))

    def test_largest_psd_is_thumbnailed_reduced_in_bounded_memory(self):
        # 30000 x 30000 is 3.4 GiB as RGBA; the address space allowed is
        # 512 MiB. The parts are cut at a third across and two thirds down,
        # so the 256-pixel thumbnail has blended columns and rows there.
        colours = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)]
        path = write("largest.psd", split_psd(30000, 30000, 10000, 20000, colours))
        limit = ["prlimit", "--as=%d" % (512 << 20)]
        for which, thumb in self.thumbnails(path, 256, limit):
            width, height, pixels = pixbuf_rgba(thumb)
            self.assertEqual((width, height), (256, 256), which)

            def at(x, y):
                i = 4 * (y * width + x)
                return pixels[i:i + 4]
            # Column 85 covers source columns 9960.9 to 10078.1, a third of it
            # left of the cut; row 170 covers rows 19921.9 to 20039.1, two
            # thirds above it.
            expected = {(40, 80): (255, 0, 0), (200, 80): (0, 255, 0), (40, 220): (0, 0, 255),
                        (200, 220): (255, 255, 255), (85, 80): (85, 170, 0),
                        (40, 170): (170, 0, 85), (200, 170): (85, 255, 85)}
            for (x, y), colour in expected.items():
                got = at(x, y)
                self.assertEqual(got[3], 255, (x, y, which))
                for c in range(3):
                    self.assertAlmostEqual(got[c], colour[c], delta=1,
                                           msg=(x, y, tuple(got), which))

    def test_damaged_file_makes_no_thumbnail(self):
        path = write("broken.psd", gradient_psd(20, 10)[:20])
        for which in ("module", "entry"):
            result, out = self.thumbnail(which, path)
            self.assertNotEqual(result.returncode, 0, which)
            self.assertFalse(os.path.exists(out), which)
        # Ours says why in one line that names the file.
        lines = result.stderr.decode().splitlines()
        self.assertEqual(len(lines), 1, lines)
        self.assertTrue(lines[0].startswith("translators-thumbnailer: " + path + ": "), lines)

    def test_screen_files_have_a_mime_type_by_extension(self):
        guessed, _ = Gio.content_type_guess("picture.scr", None)
        self.assertEqual(guessed, "image/x-zx-screen")
        self.assertTrue(Gio.content_type_equals("image/x-zx", guessed))
        guessed, _ = Gio.content_type_guess("picture.psd", None)
        self.assertTrue(Gio.content_type_equals("image/x-psd", guessed))


if __name__ == "__main__":
    if not os.path.isfile(PIXBUF_CACHE):
        print("skipped: no gdk-pixbuf loaders cache in the build tree")
        sys.exit(SKIP)
    atexit.register(shutil.rmtree, WORK, True)
    unittest.main(verbosity=2)
