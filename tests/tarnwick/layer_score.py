#!/usr/bin/env python3
"""The layer renderer measured against Photoshop on the shared corpus.

  layer_score.py TRANSLATE SHARED_DIR MINIMUM

Runs SHARED_DIR/tools/layer-score over the layered files (each file's own
merged image is Photoshop's rendering of its layers) and fails when fewer than
MINIMUM match. Then reads each file whose merged image is blank (corpus/unreal)
as a host would, leaving the choice to the add-on, and fails when one comes out
as a blank page. Skips (77) where the corpus, the tool or its Python modules
are missing, as on a user's machine.
"""
import glob
import os
import re
import subprocess
import sys
import tempfile

SKIP = 77


def main(translate, shared, minimum):
    tool = os.path.join(shared, "tools", "layer-score")
    if not os.path.exists(tool):
        print("skipped: no shared corpus at", shared)
        return SKIP
    try:
        import numpy  # noqa: F401  (layer-score needs it)
        from PIL import Image
    except ImportError as missing:
        print("skipped: layer-score needs python3-numpy and python3-pil:", missing)
        return SKIP

    result = subprocess.run(["/usr/bin/python3", tool, translate], capture_output=True,
                            text=True, timeout=1200)
    print(result.stdout)
    found = re.search(r"layer-score: (\d+) of (\d+) files match", result.stdout)
    if result.returncode != 0 or not found:
        print("layer-score did not run:", result.stderr)
        return 1
    matched = int(found.group(1))
    if matched < minimum:
        print("only %d files match; at least %d did before" % (matched, minimum))
        return 1

    blank = []
    with tempfile.TemporaryDirectory() as work:
        env = dict(os.environ, XDG_CONFIG_HOME=work)
        for path in sorted(glob.glob(os.path.join(shared, "corpus", "unreal", "*.psd"))):
            out = os.path.join(work, "out.png")
            done = subprocess.run([translate, path, out], env=env, capture_output=True, text=True)
            if done.returncode != 0:
                blank.append("%s: %s" % (path, done.stderr.strip()))
                continue
            image = Image.open(out).convert("RGBA")
            white = Image.new("RGBA", image.size, "white")
            colours = Image.alpha_composite(white, image).convert("RGB").getcolors(1)
            if colours is not None and colours[0][1] == (255, 255, 255):
                blank.append("%s: a blank page" % path)
    if blank:
        print("\n".join(blank))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2], int(sys.argv[3])))
