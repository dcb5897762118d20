#!/usr/bin/python3
"""translate --configure on a real X server (Xvfb): the add-on's own settings
view in a window titled with its name, a click on it, closing the window, and
the settings file the unloaded add-on leaves; and the message for an add-on
without settings.

Usage: configure_x11.py TRANSLATE
Exits 77 (skipped) when Xvfb, xdotool or ImageMagick's import is missing."""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "settings_ui"))
import settings_program_x11 as x11  # noqa: E402


def pixel(display, point):
    return subprocess.run(["import", "-display", display, "-window", "root", "-crop",
                           "1x1+%d+%d" % point, "txt:-"], capture_output=True).stdout


def radio_pixels(display, corner):
    """The pixels of a radio button's mark, as text."""
    return subprocess.run(["import", "-display", display, "-window", "root", "-crop",
                           "16x20+%d+%d" % corner, "txt:-"], capture_output=True).stdout


def click_changes(display, corner, before):
    x11.xdotool("mousemove", corner[0] + 30, corner[1] + 10, "click", 1)
    x11.time.sleep(0.2)
    return radio_pixels(display, corner) != before


def main():
    translate = sys.argv[1]
    config = tempfile.mkdtemp(prefix="translate-configure-")
    try:
        env = dict(os.environ, XDG_CONFIG_HOME=config)
        env.pop("DISPLAY", None)
        result = subprocess.run([translate, "--configure", "Wendral"], env=env,
                                capture_output=True, text=True)
        if result.returncode != 1 or "translate: Wendral has no settings\n" not in result.stderr:
            x11.fail("--configure Wendral: status %d, %r" % (result.returncode, result.stderr))

        if any(shutil.which(tool) is None for tool in ("Xvfb", "xdotool", "import")):
            print("Xvfb, xdotool or import missing: the window part is skipped")
            return x11.SKIP
        server, display = x11.start_xvfb()
        try:
            env = dict(env, DISPLAY=display)
            env.pop("SDL_VIDEODRIVER", None)
            os.environ["DISPLAY"] = display
            program = subprocess.Popen([translate, "--configure", "Tarnwick"], env=env)
            window = x11.wait_for(lambda: (x11.xdotool("search", "--name", "^PSD Images$")
                                           or "").split()[:1], 10, "the settings window")[0]
            origin, size = x11.wait_for(lambda: (lambda g: g if g[0] else None)(
                x11.window_geometry(window)), 5, "the window's geometry")
            if size != (x11.WIDTH, x11.HEIGHT):
                x11.fail("window is %s, expected %dx%d" % (size, x11.WIDTH, x11.HEIGHT))
            # The "Grayscale" radio button, by its place in the layout; clicked
            # until its mark shows, since a loaded machine may be slow to draw.
            x11.wait_for(lambda: b"DCDCDC" in pixel(display, (origin[0] + 235, origin[1] + 215)),
                         10, "the window to be drawn")
            mark = (origin[0] + 150, origin[1] + 101)
            before = radio_pixels(display, mark)
            x11.wait_for(lambda: click_changes(display, mark, before), 10,
                         "the Grayscale button to take the click")
            x11.close_like_a_window_manager(display, window)
            try:
                status = program.wait(10)
            except subprocess.TimeoutExpired:
                program.kill()
                x11.fail("translate did not end after its window was closed")
            if status != 0:
                x11.fail("exit status %d after closing the window" % status)
        finally:
            server.terminate()
            server.wait()
        with open(os.path.join(config, "Tarnwick_Settings")) as f:
            lines = f.read().splitlines()
        expected = ["# Tarnwick settings version 1.00", "window_pos = 0,0", "alpha4 = 0",
                    "multichannelRead = 3"]
        if lines != expected:
            x11.fail("settings file holds %r, expected %r" % (lines, expected))
        print("settings window at %s; saved %s" % (origin, lines))
        return 0
    finally:
        shutil.rmtree(config, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
