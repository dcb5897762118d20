#!/usr/bin/python3
"""The system that the Debian package installs, checked as desktops and
users meet it: with the system's own loaders cache, MIME database and
thumbnailer directory, and none of the build tree's variables.

    installed_test.py Installed   after apt-get install ./tarnwick_*.deb
    installed_test.py Removed     after apt-get remove tarnwick

Run by scripts/installed-test under `env -i`.
"""

import configparser
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
from psd_samples import blank_merged_psd, quadrant_psd, thumbnailer_command  # noqa: E402

import gi  # noqa: E402
gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf  # noqa: E402

ENTRY = "/usr/share/thumbnailers/translators.thumbnailer"
SCREEN = os.path.join(HERE, "..", "..", "examples", "testcard.scr")
RED, GREEN, BLUE, WHITE = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)
LAYER = (200, 30, 10)

# A tiny program of the kind a user writes: the image at full size,
# through whatever loaders cache the system has.
LOAD = """import sys, gi
gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf
pixbuf = GdkPixbuf.Pixbuf.new_from_file(sys.argv[1])
info = GdkPixbuf.Pixbuf.get_file_info(sys.argv[1])[0]
print(info.get_name(), pixbuf.get_width(), pixbuf.get_height())
"""

NO_MODULE = """import gi
gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf
print(" ".join(f.get_name() for f in GdkPixbuf.Pixbuf.get_formats()))
"""


def run(command):
    return subprocess.run(command, capture_output=True, text=True, timeout=120)


def colour_at(pixbuf, x, y):
    channels, stride = pixbuf.get_n_channels(), pixbuf.get_rowstride()
    i = y * stride + x * channels
    return tuple(pixbuf.get_pixels()[i:i + channels])


class Installed(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="installed-test-")
        cls.files = {}
        for name, data in (("quadrants.psd", quadrant_psd(400, 300)),
                           ("quadrants.psb", quadrant_psd(400, 300, version=2)),
                           ("blank-merged.psd", blank_merged_psd(400, 300, (75, 100, 225, 300),
                                                                 LAYER))):
            cls.files[name] = os.path.join(cls.dir, name)
            with open(cls.files[name], "wb") as f:
                f.write(data)
        cls.files["testcard.scr"] = os.path.join(cls.dir, "testcard.scr")
        shutil.copyfile(SCREEN, cls.files["testcard.scr"])

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir)

    def assertPicture(self, name, pixbuf, scale):
        """The file's picture at 400 x 300 (SCREEN$: 256 x 192) times scale."""
        width, height = pixbuf.get_width(), pixbuf.get_height()
        if name.endswith(".scr"):
            self.assertEqual((width, height), (round(256 * scale), round(192 * scale)), name)
            return
        self.assertEqual((width, height), (round(400 * scale), round(300 * scale)), name)

        def at(x, y):
            return colour_at(pixbuf, int(x * width), int(y * height))
        if name.startswith("quadrants"):
            expected = {(0.25, 0.25): RED, (0.75, 0.25): GREEN, (0.25, 0.75): BLUE,
                        (0.75, 0.75): WHITE}
            for (x, y), colour in expected.items():
                self.assertEqual(at(x, y)[:3], colour, (name, x, y))
        else:  # rendered from its layer over transparency, not the white merged image
            self.assertEqual(at(0.5, 0.5), LAYER + (255,), name)
            self.assertEqual(at(0.05, 0.05)[3:], (0,), name)

    def thumbnails_by(self, make):
        for name, path in self.files.items():
            out = path + ".png"
            result = run(make(path, out))
            self.assertEqual(result.returncode, 0, (name, result.stderr))
            self.assertPicture(name, GdkPixbuf.Pixbuf.new_from_file(out), 128 / 400
                               if not name.endswith(".scr") else 0.5)
            os.remove(out)

    def test_gdk_pixbuf_thumbnailer_through_the_module(self):
        self.thumbnails_by(lambda path, out: ["gdk-pixbuf-thumbnailer", "-s", "128", path, out])

    def test_the_thumbnailer_entry_as_file_managers_run_it(self):
        parser = configparser.ConfigParser(interpolation=None)
        parser.read(ENTRY)
        entry = parser["Thumbnailer Entry"]
        self.assertEqual(entry["TryExec"], "/usr/bin/translators-thumbnailer")
        self.assertTrue(os.access(entry["TryExec"], os.X_OK))
        self.thumbnails_by(lambda path, out: thumbnailer_command(ENTRY, 128, path, out))

    def test_a_python_program_loads_them_at_full_size(self):
        for name, path in self.files.items():
            result = run(["/usr/bin/python3", "-c", LOAD, path])
            self.assertEqual(result.returncode, 0, (name, result.stderr))
            size = "256 192" if name.endswith(".scr") else "400 300"
            self.assertEqual(result.stdout, "translators %s\n" % size, name)
            self.assertPicture(name, GdkPixbuf.Pixbuf.new_from_file(path), 1)

    def test_xdg_mime_names_the_types(self):
        expected = {".psd": "image/vnd.adobe.photoshop", ".psb": "image/vnd.adobe.photoshop",
                    ".scr": "image/x-zx-screen"}
        for name, path in self.files.items():
            result = run(["xdg-mime", "query", "filetype", path])
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(result.stdout.strip(), expected[os.path.splitext(name)[1]], name)

    def test_translate_finds_the_installed_add_ons(self):
        result = run(["translate", "--list"])
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr, "")
        names = [line.split(" ")[0] for line in result.stdout.splitlines()
                 if not line.startswith(" ")]
        self.assertIn("Wendral", names)
        self.assertTrue(any("PSD" in line for line in result.stdout.splitlines()
                            if not line.startswith(" ")), result.stdout)
        out = os.path.join(self.dir, "testcard.png")
        self.assertEqual(run(["translate", self.files["testcard.scr"], out]).returncode, 0)


class Removed(unittest.TestCase):
    def test_no_module_is_left_in_the_loaders_cache(self):
        result = run(["/usr/bin/python3", "-c", NO_MODULE])
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("png", result.stdout.split())
        self.assertNotIn("translators", result.stdout.split())

    def test_the_mime_database_forgets_screen_files(self):
        with tempfile.NamedTemporaryFile(suffix=".scr") as screen:
            result = run(["xdg-mime", "query", "filetype", screen.name])
        self.assertNotEqual(result.stdout.strip(), "image/x-zx-screen")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[1:], verbosity=2)
