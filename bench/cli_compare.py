#!/usr/bin/python3
"""The translate command against ImageMagick on the benchmark's PSD files:
PSD -> PNG time and size, peak memory of .bits and PNG conversions, and
the throughput of -j 2 against -j 1 on a few hundred PSD and SCREEN$
files, next to the same batches' file-system work alone (file_floor).
Prints the figures and their ratios; it is a measurement, not a test.

    cli_compare.py BUILD_DIR [SIDE]
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def timed(command, runs):
    """Median wall time of the command over the runs, in seconds."""
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def peak_rss_mib(command):
    result = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, check=True,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    return int(result.stderr.decode().split()[-1]) / 1024


def copies(directory, sources, count):
    """count files in directory, copied from the sources in turn."""
    os.makedirs(directory, exist_ok=True)
    files = []
    for i in range(count):
        source = sources[i % len(sources)]
        copy = os.path.join(directory, "%03d-%s" % (i, os.path.basename(source)))
        shutil.copyfile(source, copy)
        files.append(copy)
    return files


def floor_ms(floor, out, jobs, sized):
    """Median of file_floor's own timings: the batch's file-system work alone."""
    times = []
    for _ in range(5):
        result = subprocess.run([floor, out, jobs] + sized, check=True, stdout=subprocess.PIPE)
        times.append(float(result.stdout.decode()))
    return statistics.median(times) / 1000


def compare_jobs(build, work, what, files):
    translate = os.path.join(build, "bin", "translate")
    print("\ntranslate -d OUT -j N on %d %s (medians), and the same batch's file-system work "
          "alone (file_floor):\n" % (len(files), what))
    for format in ["png", "bits"]:
        results = {}
        floors = {}
        for jobs in ["1", "2"]:
            out = tempfile.mkdtemp(prefix="out-%s-%s-" % (format, jobs), dir=work)
            results[jobs] = timed([translate, "-d", out, "-f", format, "-j", jobs] + files, 5)
            sized = ["%s=%d" % (name, os.path.getsize(os.path.join(
                out, os.path.splitext(os.path.basename(name))[0] + "." + format)))
                for name in files]
            floors[jobs] = floor_ms(os.path.join(build, "bin", "file_floor"),
                                    tempfile.mkdtemp(prefix="floor-", dir=work), jobs, sized)
        print("%-5s -j 1 %7.3fs (%5.0f files/s)  -j 2 %7.3fs (%5.0f files/s)  speed-up %.2f" % (
            format, results["1"], len(files) / results["1"], results["2"],
            len(files) / results["2"], results["1"] / results["2"]))
        print("      file work alone: -j 1 %7.3fs  -j 2 %7.3fs  speed-up %.2f" % (
            floors["1"], floors["2"], floors["1"] / floors["2"]))


# Debian's ImageMagick policy allows 256 MiB of memory and 1 GiB of disk,
# which layered 4096 x 4096 files exceed; the peer is measured with room.
IMAGEMAGICK_POLICY = """<policymap>
  <policy domain="resource" name="memory" value="16GiB"/>
  <policy domain="resource" name="map" value="32GiB"/>
  <policy domain="resource" name="disk" value="64GiB"/>
  <policy domain="resource" name="area" value="4GP"/>
  <policy domain="resource" name="width" value="300KP"/>
  <policy domain="resource" name="height" value="300KP"/>
</policymap>
"""


def main():
    build = sys.argv[1]
    side = sys.argv[2] if len(sys.argv) > 2 else "4096"
    translate = os.path.join(build, "bin", "translate")
    work = tempfile.mkdtemp(prefix="bench-cli-")
    with open(os.path.join(work, "policy.xml"), "w") as policy:
        policy.write(IMAGEMAGICK_POLICY)
    os.environ["MAGICK_CONFIGURE_PATH"] = work
    try:
        subprocess.run([os.path.join(build, "bin", "bench_inputs"), work, side], check=True)
        convert = shutil.which("convert")
        print("\ntranslate x.psd x.png against ImageMagick's convert x.psd[0] x.png (medians):\n")
        print("%-26s %9s %9s %7s %12s %12s %7s" % ("case", "translate", "convert", "ratio",
                                                   "PNG bytes", "IM bytes", "ratio"))
        for case in ["rgb8_photo_packbits", "rgb8_graphics_packbits"]:
            psd = os.path.join(work, case + ".psd")
            ours, theirs = os.path.join(work, case + ".png"), os.path.join(work, case + ".im.png")
            t = timed([translate, psd, ours], 5)
            if convert:
                c = timed([convert, psd + "[0]", theirs], 3)
                print("%-26s %8.3fs %8.3fs %7.3f %12d %12d %7.3f" % (
                    case, t, c, t / c, os.path.getsize(ours), os.path.getsize(theirs),
                    os.path.getsize(ours) / os.path.getsize(theirs)))
            else:
                print("%-26s %8.3fs  (ImageMagick's convert is not installed)" % (case, t))

        layered = os.path.join(work, "layers10.psd")
        print("\nTen full-canvas layers rendered: translate --layers x.psd x.bits against "
              "ImageMagick's\nconvert x.psd -delete 0 -flatten x.png (medians; peak RSS):\n")
        t = timed([translate, "--layers", layered, os.path.join(work, "layers.bits")], 3)
        rss = peak_rss_mib([translate, "--layers", layered, os.path.join(work, "layers.bits")])
        if convert:
            flat = os.path.join(work, "layers.im.png")
            c = timed([convert, layered, "-delete", "0", "-flatten", flat], 1)
            im_rss = peak_rss_mib([convert, layered, "-delete", "0", "-flatten", flat])
            print("translate %7.3fs %7.1f MiB   convert %7.3fs %7.1f MiB   ratio %.3f" % (
                t, rss, c, im_rss, t / c))
        else:
            print("translate %7.3fs %7.1f MiB  (ImageMagick's convert is not installed)" % (t, rss))

        print("\nPeak RSS of translate (limits: .bits 1.1 x output + 16 MiB, "
              "PNG 1.25 x RGBA size + 32 MiB):\n")
        for case in ["rgb8_photo_packbits", "rgb8_graphics_packbits", "cmyk8_photo_packbits"]:
            psd = os.path.join(work, case + ".psd")
            bits = os.path.join(work, case + ".bits")
            rss = peak_rss_mib([translate, psd, bits])
            output = os.path.getsize(bits) / 2**20
            print("%-26s .bits %7.1f MiB  limit %7.1f MiB" % (case, rss, 1.1 * output + 16))
            rgba = (output * 2**20 - 32) / 2**20
            rss = peak_rss_mib([translate, psd, os.path.join(work, case + ".png")])
            print("%-26s PNG   %7.1f MiB  limit %7.1f MiB" % (case, rss, 1.25 * rgba + 32))

        batch = os.path.join(work, "batch")
        os.mkdir(batch)
        batch_side = str(min(512, int(side)))
        subprocess.run([os.path.join(build, "bin", "bench_inputs"), batch, batch_side],
                       check=True)
        examples = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples")
        screens = sorted(os.path.join(examples, name) for name in os.listdir(examples)
                         if name.endswith(".scr"))
        psds = sorted(os.path.join(batch, name) for name in os.listdir(batch))
        compare_jobs(build, work, "PSD files of up to %s x %s pixels" % (batch_side,
                                                                             batch_side),
                     copies(batch, psds, 304))
        compare_jobs(build, work, "SCREEN$ files",
                     copies(os.path.join(work, "screens"), screens, 300))
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
