#!/usr/bin/python3
"""The settings program on a real X server (Xvfb): where its window opens,
clicks on its controls, closing it the way a window manager does, the
settings file it leaves, and where it opens the next time.

Usage: settings_program_x11.py TARNWICK ARTIFACT_DIR
Exits 77 (skipped) when Xvfb or xdotool is missing."""

import ctypes
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
WIDTH, HEIGHT = 241, 221  # content of a (0, 0, 240, 220) frame


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(predicate, seconds, what):
    deadline = time.time() + seconds
    while time.time() < deadline:
        result = predicate()
        if result:
            return result
        time.sleep(0.05)
    fail("timed out waiting for " + what)


def start_xvfb():
    for number in range(90, 120):
        if os.path.exists("/tmp/.X%d-lock" % number):
            continue
        display = ":%d" % number
        server = subprocess.Popen(
            ["Xvfb", display, "-screen", "0", "1024x768x24", "-noreset", "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        socket = "/tmp/.X11-unix/X%d" % number
        deadline = time.time() + 10
        while time.time() < deadline and server.poll() is None:
            if os.path.exists(socket):
                return server, display
            time.sleep(0.05)
        server.kill()
    fail("could not start Xvfb")


def xdotool(*args):
    result = subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, text=True)
    return result.stdout.strip() if result.returncode == 0 else None


def find_window():
    found = xdotool("search", "--name", "^Tarnwick$")
    return found.split()[0] if found else None


def window_geometry(window):
    out = xdotool("getwindowgeometry", window) or ""
    position = size = None
    for line in out.splitlines():
        line = line.strip()
        if line.startswith("Position:"):
            x, y = line.split()[1].split(",")
            position = (int(x), int(y))
        elif line.startswith("Geometry:"):
            w, h = line.split()[1].split("x")
            size = (int(w), int(h))
    return position, size


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
                ("pad", ctypes.c_long * 12)]


def close_like_a_window_manager(display_name, window):
    """Sends WM_DELETE_WINDOW, what a window manager sends for a close box."""
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(display_name.encode())
    if not display:
        fail("cannot open " + display_name)
    event = XClientMessageEvent()
    event.type = 33  # ClientMessage
    event.window = int(window)
    event.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.format = 32
    event.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    event.data[1] = 0  # CurrentTime
    x11.XSendEvent(display, int(window), 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def screenshot(display, origin, path):
    if shutil.which("import") is None:
        return
    subprocess.run(["import", "-display", display, "-window", "root", "-crop",
                    "%dx%d+%d+%d" % (WIDTH, HEIGHT, origin[0], origin[1]), path],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def run_program(tarnwick, env, mouse, expected_origin, artifact):
    xdotool("mousemove", mouse[0], mouse[1])
    program = subprocess.Popen([tarnwick], env=env)
    window = wait_for(find_window, 10, "the Tarnwick window")
    position, size = wait_for(lambda: (lambda g: g if g[0] == expected_origin else None)(
        window_geometry(window)), 5, "the window at %s (it is at %s)" % (
        expected_origin, window_geometry(window)[0]))
    if size != (WIDTH, HEIGHT):
        fail("window is %s, expected %dx%d" % (size, WIDTH, HEIGHT))
    time.sleep(0.3)  # let the first drawing reach the screen
    screenshot(env["DISPLAY"], position, artifact)
    return program, window, position


def main():
    if len(sys.argv) != 3:
        fail("usage: settings_program_x11.py TARNWICK ARTIFACT_DIR")
    tarnwick, artifacts = sys.argv[1], sys.argv[2]
    if shutil.which("Xvfb") is None or shutil.which("xdotool") is None:
        print("Xvfb or xdotool missing: skipped")
        return SKIP
    os.makedirs(artifacts, exist_ok=True)
    server, display = start_xvfb()
    config = tempfile.mkdtemp(prefix="tarnwick-x11-")
    try:
        env = dict(os.environ, DISPLAY=display, XDG_CONFIG_HOME=config)
        env.pop("SDL_VIDEODRIVER", None)
        os.environ["DISPLAY"] = display
        settings = os.path.join(config, "Tarnwick_Settings")

        # First run: no settings, so the window is centred on the pointer.
        program, window, origin = run_program(
            tarnwick, env, (500, 400), (380, 290), os.path.join(artifacts, "first-run.png"))
        # Controls by their place in the layout: read group at (10, 35).
        grayscale = (origin[0] + 10 + 140 + 30, origin[1] + 35 + 66 + 10)
        check_box = (origin[0] + 10 + 15 + 7, origin[1] + 35 + 30 + 10)
        for x, y in (grayscale, check_box):
            xdotool("mousemove", x, y, "click", 1)
            time.sleep(0.2)
        time.sleep(0.3)
        screenshot(display, origin, os.path.join(artifacts, "after-clicks.png"))
        close_like_a_window_manager(display, window)
        try:
            status = program.wait(10)
        except subprocess.TimeoutExpired:
            program.kill()
            fail("the program did not end after its window was closed")
        if status != 0:
            fail("exit status %d after closing the window" % status)
        with open(settings) as f:
            lines = f.read().splitlines()
        expected = ["# Tarnwick settings version 1.00", "window_pos = 380,290", "alpha4 = 1",
                    "multichannelRead = 3"]
        if lines != expected:
            fail("settings file holds %r, expected %r" % (lines, expected))

        # Second run: the saved position wins over the pointer; SIGTERM ends
        # it the same way and the position is saved again.
        program, window, origin = run_program(
            tarnwick, env, (100, 100), (380, 290), os.path.join(artifacts, "second-run.png"))
        program.send_signal(signal.SIGTERM)
        try:
            status = program.wait(10)
        except subprocess.TimeoutExpired:
            program.kill()
            fail("the program did not end on SIGTERM")
        if status != 0:
            fail("exit status %d after SIGTERM" % status)
        with open(settings) as f:
            lines = f.read().splitlines()
        if lines != expected:
            fail("after the second run the settings file holds %r" % lines)
        print("window opened at %s twice; settings saved: %s" % (origin, lines))
        return 0
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(config, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
