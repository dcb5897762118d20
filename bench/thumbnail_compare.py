#!/usr/bin/python3
"""Thumbnails: the reduced reading against the full-size one and against
ImageMagick, in time and peak memory. Prints the figures and their ratios;
it is a measurement, not a test.

  - a 30000 x 30000 8-bit RGB PackBits PSD (PSD's largest; flat tiles) at
    256 pixels with `translate --size 256`, against a full-size Translate of
    the same file (`translate IN OUT.bits`, the 3.4 GiB written to tmpfs) and
    against
    `convert -thumbnail 256x256 IN[0] OUT.png`;
  - the same size with an Adobe RGB and with a SWOP CMYK profile, at 256
    pixels colour-managed (translate's default) against
    `--no-color-management` (goal: at most 1.1 x);
  - a 4096 x 4096 file through gdk-pixbuf-thumbnailer -s 256 (reduced
    reading) against the full-size path the loader took before
    (pixbuf_full_thumbnail: loaded whole, scaled by gdk-pixbuf, saved).

    thumbnail_compare.py BUILD_DIR
"""

import glob
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

LARGE_SIDE = 30000
DESKTOP_SIDE = 4096
CASE = "rgb8_graphics_packbits"
COLOUR_CASES = ["rgb8_graphics_packbits_adobe", "cmyk8_graphics_packbits_swop"]

# Debian's ImageMagick policy refuses images over 16K pixels a side and
# 256 MiB of pixel cache; these limits let it read the large file at all.
IMAGEMAGICK_POLICY = """<policymap>
  <policy domain="resource" name="memory" value="8GiB"/>
  <policy domain="resource" name="map" value="8GiB"/>
  <policy domain="resource" name="width" value="64KP"/>
  <policy domain="resource" name="height" value="64KP"/>
  <policy domain="resource" name="area" value="4GP"/>
  <policy domain="resource" name="disk" value="32GiB"/>
</policymap>
"""


def measured(command, runs, env=None, stdout=subprocess.DEVNULL):
    """Median wall time in seconds and largest peak RSS in MiB over the runs."""
    times, peaks = [], []
    for _ in range(runs):
        start = time.perf_counter()
        result = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, check=True, env=env,
                                stdout=stdout, stderr=subprocess.PIPE)
        times.append(time.perf_counter() - start)
        peaks.append(int(result.stderr.decode().split()[-1]) / 1024)
    return statistics.median(times), max(peaks)


def line(what, seconds, mib):
    print("  %-44s %8.3f s %9.1f MiB" % (what, seconds, mib))


def large_psd(build, work, case=CASE):
    subprocess.run([os.path.join(build, "bin", "bench_inputs"), work, str(LARGE_SIDE), case],
                   check=True)
    return os.path.join(work, case + ".psd")


def compare_large(build, work):
    translate = os.path.join(build, "bin", "translate")
    psd = large_psd(build, work)
    print("\n%d x %d 8-bit RGB PackBits PSD (%.0f MiB) at 256 pixels (median time, peak RSS):\n"
          % (LARGE_SIDE, LARGE_SIDE, os.path.getsize(psd) / 2**20))
    thumb_t, thumb_m = measured([translate, "--size", "256", psd,
                                 os.path.join(work, "thumb.png")], 3)
    line("translate --size 256 (reduced reading)", thumb_t, thumb_m)
    # Into memory (tmpfs) where there is one, so that the disk is not what
    # is measured.
    memory = "/dev/shm" if os.path.isdir("/dev/shm") else work
    bits = tempfile.mktemp(suffix=".bits", dir=memory)
    try:
        full_t, full_m = measured([translate, psd, bits], 3)
    finally:
        if os.path.exists(bits):
            os.remove(bits)
    line("translate IN OUT.bits (full-size Translate)", full_t, full_m)
    print("\n  thumbnail / full-size: time %.3f (goal <= 0.6)   peak RSS %.1f MiB (goal <= 64)"
          % (thumb_t / full_t, thumb_m))

    convert = shutil.which("convert")
    if not convert:
        print("  (ImageMagick's convert is not installed)")
        return
    policy = os.path.join(work, "imagemagick")
    os.makedirs(policy)
    with open(os.path.join(policy, "policy.xml"), "w") as f:
        f.write(IMAGEMAGICK_POLICY)
    env = dict(os.environ, MAGICK_CONFIGURE_PATH=policy, MAGICK_TMPDIR=work)
    im_t, im_m = measured([convert, "-thumbnail", "256x256", psd + "[0]",
                           os.path.join(work, "im.png")], 1, env)
    line("convert -thumbnail 256x256 IN[0] OUT.png", im_t, im_m)
    print("\n  thumbnail / ImageMagick: time %.4f (goal <= 0.1)   peak RSS %.4f"
          % (thumb_t / im_t, thumb_m / im_m))


def compare_managed(build, work):
    translate = os.path.join(build, "bin", "translate")
    print("\n%d x %d PSD files with a colour profile at 256 pixels (median time, peak RSS):\n"
          % (LARGE_SIDE, LARGE_SIDE))
    for case in COLOUR_CASES:
        psd = large_psd(build, work, case)
        thumb = os.path.join(work, "thumb.png")
        managed_t, managed_m = measured([translate, "--size", "256", psd, thumb], 3)
        line(case + " managed", managed_t, managed_m)
        plain_t, plain_m = measured([translate, "--no-color-management", "--size", "256", psd,
                                     thumb], 3)
        line(case + " unmanaged", plain_t, plain_m)
        print("  managed / unmanaged: time %.3f (goal <= 1.1)   peak RSS %.3f\n"
              % (managed_t / plain_t, managed_m / plain_m))
        os.remove(psd)


def compare_desktop(build, work):
    thumbnailer = shutil.which("gdk-pixbuf-thumbnailer")
    full = os.path.join(build, "bin", "pixbuf_full_thumbnail")
    caches = glob.glob(os.path.join(build, "lib", "*", "gdk-pixbuf-2.0", "*", "loaders.cache"))
    if not thumbnailer or not os.path.exists(full) or not caches:
        print("\n(gdk-pixbuf-thumbnailer, pixbuf_full_thumbnail or the loaders cache is missing)")
        return
    desktop = os.path.join(work, "desktop")
    os.makedirs(desktop)
    subprocess.run([os.path.join(build, "bin", "bench_inputs"), desktop, str(DESKTOP_SIDE),
                    CASE], check=True)
    psd = os.path.join(desktop, CASE + ".psd")
    env = dict(os.environ, GDK_PIXBUF_MODULE_FILE=caches[0],
               XDG_CONFIG_HOME=os.path.join(work, "no-settings"))
    print("\n%d x %d PSD through the desktop loader at 256 pixels (median of 5):\n"
          % (DESKTOP_SIDE, DESKTOP_SIDE))
    new_t, new_m = measured([thumbnailer, "-s", "256", psd, os.path.join(work, "t.png")], 5, env)
    line("gdk-pixbuf-thumbnailer -s 256 (reduced reading)", new_t, new_m)
    old_t, old_m = measured([full, psd, "256", os.path.join(work, "f.png")], 5, env)
    line("full-size load, scaled by gdk-pixbuf", old_t, old_m)
    print("\n  speed-up %.2f (goal >= 3)   peak RSS ratio %.3f" % (old_t / new_t, new_m / old_m))


def main():
    build = sys.argv[1]
    work = tempfile.mkdtemp(prefix="bench-thumbnails-")
    try:
        compare_desktop(build, work)
        compare_large(build, work)
        compare_managed(build, work)
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
