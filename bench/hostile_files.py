#!/usr/bin/python3
"""Files an attacker would hand a file manager's thumbnailer, and what
reading them costs.

  bench/hostile_files.py [TRANSLATE] [--keep DIR]

Writes each file into a temporary folder (or DIR), then times
`TRANSLATE --size 256 F T.png` (TRANSLATE defaults to build/bin/translate)
and reports its CPU time, peak RSS and outcome (the first words of the
reason when it refuses), and the same for a full-size `--layers` reading
to a `.bits` file.  A measurement, not a test: it never fails on a number.
"""
import os
import resource
import struct
import subprocess
import sys
import tempfile
import zlib


def be16(v):
    return struct.pack('>H', v & 0xFFFF)


def be32(v):
    return struct.pack('>I', v & 0xFFFFFFFF)


def section(body):
    return be32(len(body)) + body


def pascal4(text):
    raw = bytes([len(text)]) + text.encode()
    return raw + b'\0' * (-len(raw) % 4)


# Action descriptors: a class, then items of (key, type, value).
def key(name):
    raw = name.encode()
    return be32(0) + raw if len(raw) == 4 else be32(len(raw)) + raw


def descriptor(class_id, items):
    out = be32(1) + b'\0\0' + key(class_id) + be32(len(items))
    for name, value in items:
        out += key(name) + value
    return out


def doub(v):
    return b'doub' + struct.pack('>d', v)


def objc(class_id, items):
    return b'Objc' + descriptor(class_id, items)


def untf(unit, v):
    return b'UntF' + unit.encode() + struct.pack('>d', v)


def boolean(v):
    return b'bool' + bytes([1 if v else 0])


def enum(type_id, value):
    return b'enum' + key(type_id) + key(value)


def vlls(values):
    return b'VlLs' + be32(len(values)) + b''.join(values)


def rgb(r, g, b):
    return objc('RGBC', [('Rd  ', doub(r)), ('Grn ', doub(g)), ('Bl  ', doub(b))])


def block(name, data):
    data += b'\0' * (len(data) % 2)
    return b'8BIM' + name.encode() + section(data)


def record(bounds, channels, blocks=b'', mask=b'', blend=b'norm', opacity=255, flags=0):
    """A layer record; channels are (id, data with its compression word)."""
    top, left, bottom, right = bounds
    out = b''.join(be32(v) for v in (top, left, bottom, right))
    out += be16(len(channels))
    for cid, data in channels:
        out += be16(cid) + be32(len(data))
    out += b'8BIM' + blend + bytes([opacity, 0, flags, 0])
    extra = section(mask) + section(b'') + pascal4('L') + blocks
    return out + section(extra)


def document(width, height, records, depth=8, channel_data=None):
    """A PSD with layers and no merged image: Tarnwick renders them."""
    head = b'8BPS' + be16(1) + b'\0' * 6 + be16(3) + be32(height) + be32(width)
    head += be16(depth) + be16(3) + section(b'') + section(b'')
    info = be16(len(records)) + b''.join(r for r, _ in records)
    info += b''.join(d for _, channels in records for _, d in channels)
    info += b'\0' * (len(info) % 2)
    return head + section(section(info) + be32(0))


def solid_fill():
    return block('SoCo', be32(16) + descriptor('null', [('Clr ', rgb(200, 40, 40))]))


def fill_layer(width, height):
    return (record((0, 0, 0, 0), [], solid_fill()), [])


def packbits_rows(rows, width, count_size=2):
    """PackBits data of constant rows: one run packet per 128 bytes."""
    row = b''
    left = width
    while left > 0:
        run = min(left, 128)
        row += bytes([257 - run if run > 1 else 0, 128])
        left -= run
    counts = b''.join(be16(len(row)) for _ in range(rows))
    return be16(1) + counts + row * rows


def feathered_mask_layer(width, height, mask_rows):
    mask = b''.join(be32(v) for v in (0, 0, mask_rows, width)) + bytes([0, 16])
    mask += bytes([2]) + struct.pack('>d', 250.0)
    return (record((0, 0, 0, 0), [(-2, packbits_rows(mask_rows, width))], solid_fill(), mask), [])


def empty_zip_layer(width, height):
    channels = [(c, be16(2)) for c in (-1, 0, 1, 2)]
    return (record((0, 0, height, width), channels), channels)


def zip_layer(width, height, seed):
    """16-bit channels as Photoshop writes them: ZIP with prediction."""
    channels = []
    for c in (-1, 0, 1, 2):
        rows = bytearray()
        for y in range(height):
            # Deltas of a smooth ramp: what prediction leaves of a gradient.
            start = ((y * 37 + c * 1000 + seed * 77) % 65536)
            rows += be16(start) + be16(3 + c) * (width - 1)
        channels.append((c, be16(3) + zlib.compress(bytes(rows), 6)))
    return (record((0, 0, height, width), channels), channels)


def nested_lists(depth, width):
    """Lists inside lists, each claiming far more items than follow."""
    value = vlls([doub(1.0)] * width)
    for _ in range(depth):
        value = b'VlLs' + be32(0x00FFFFFF) + value + b''.join([doub(0.0)] * width)
    style = descriptor('null', [('masterFXSwitch', boolean(True)), ('Deep', value)])
    return block('lfx2', be32(0) + be32(16) + style)


def strokes(count):
    stroke = objc('FrFX', [('enab', boolean(True))])
    style = descriptor('null', [('masterFXSwitch', boolean(True)),
                                ('frameFXMulti', vlls([stroke] * count))])
    return block('lfx2', be32(0) + be32(16) + style)


def largest_effects():
    """Every blurred effect, as many as Photoshop allows, at its largest."""
    def effect(kind):
        return objc(kind, [('enab', boolean(True)), ('blur', untf('#Pxl', 250.0)),
                           ('Dstn', untf('#Pxl', 30000.0)), ('Ckmt', untf('#Prc', 50.0))])
    style = descriptor('null', [
        ('masterFXSwitch', boolean(True)),
        ('dropShadowMulti', vlls([effect('DrSh')] * 10)),
        ('innerShadowMulti', vlls([effect('IrSh')] * 10)),
        ('OrGl', effect('OrGl')), ('IrGl', effect('IrGl')), ('ChFX', effect('ChFX')),
        ('ebbl', effect('ebbl')),
        ('frameFXMulti', vlls([objc('FrFX', [('enab', boolean(True)),
                                             ('Sz  ', untf('#Pxl', 250.0))])] * 10))])
    return block('lfx2', be32(0) + be32(16) + style)


def knotted_mask(knots):
    out = be32(3) + be32(0) + be16(6) + b'\0' * 24 + be16(8) + b'\0' * 24
    out += be16(0) + be16(knots) + b'\0' * 22
    for i in range(knots):
        # A zigzag across the document, each knot's handles on itself.
        y = int((i % 2) * 0.9 * 16777216) + 838860
        x = int(i / knots * 16777216)
        out += be16(1) + (be32(y) + be32(x)) * 3
    return block('vmsk', out)


def cases():
    s30k = 30000
    yield 'one fill layer, 30000 x 30000', document(s30k, s30k, [fill_layer(s30k, s30k)])
    yield '1000 fill layers, 30000 x 30000', document(s30k, s30k,
                                                      [fill_layer(s30k, s30k)] * 1000)
    yield 'feathered mask on the top rows, 8000 x 8000', document(
        8000, 8000, [feathered_mask_layer(8000, 8000, 2)])
    yield 'feathered mask, 15000 x 15000', document(
        15000, 15000, [feathered_mask_layer(15000, 15000, 2)])
    yield 'three layers of empty ZIP channels, 16000 x 16000', document(
        16000, 16000, [empty_zip_layer(16000, 16000)] * 3)
    yield '16-bit 4000 x 4000, 8 ZIP layers', document(
        4000, 4000, [zip_layer(4000, 4000, i) for i in range(8)], depth=16)
    yield '32 nested descriptor lists', document(
        1000, 1000, [(record((0, 0, 10, 10), [], nested_lists(32, 2000)), [])])
    opaque = [(-1, packbits_rows(4000, 4000))]
    yield '100 empty stroke entries, 4000 x 4000', document(
        4000, 4000, [(record((0, 0, 4000, 4000), opaque, strokes(100)), opaque)])
    opaque = [(-1, packbits_rows(64, 64))]
    yield 'the largest effects, 64 x 64', document(
        64, 64, [(record((0, 0, 64, 64), opaque, largest_effects()), opaque)])
    yield '20000-knot vector mask, 4000 x 4000', document(
        4000, 4000, [(record((0, 0, 0, 0), [], solid_fill() + knotted_mask(20000)), [])])
    invert = block('nvrt', b'')
    yield '32766 adjustment layers, 4000 x 4000', document(
        4000, 4000, [(record((0, 0, 0, 0), [], invert), [])] * 32766)


def measure(command):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    run = subprocess.run(['/usr/bin/time', '-f', '%M'] + command, capture_output=True,
                         text=True, timeout=3600)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime
    lines = run.stderr.strip().splitlines()
    rss = int(lines[-1]) / 1024 if lines and lines[-1].isdigit() else 0
    outcome = 'ok' if run.returncode == 0 else 'refused: ' + ' '.join(lines[:-1])[:70]
    return cpu, rss, outcome


def main(argv):
    translate = 'build/bin/translate'
    keep = None
    args = argv[1:]
    if '--keep' in args:
        keep = args[args.index('--keep') + 1]
        del args[args.index('--keep'):args.index('--keep') + 2]
    if args:
        translate = args[0]
    work = keep or tempfile.mkdtemp(prefix='hostile-')
    os.makedirs(work, exist_ok=True)
    env = dict(os.environ, XDG_CONFIG_HOME=work)
    os.environ.update(env)
    print('%-48s %9s | %18s | %18s' % ('file', 'size', '--size 256: CPU, RSS', 'full: CPU, RSS'))
    for i, (name, data) in enumerate(cases()):
        path = os.path.join(work, 'case%02d.psd' % i)
        with open(path, 'wb') as f:
            f.write(data)
        thumb = measure([translate, '--size', '256', path, os.path.join(work, 't.png')])
        full = measure([translate, '--layers', path, os.path.join(work, 'f.bits')])
        for out in ('t.png', 'f.bits'):
            if os.path.exists(os.path.join(work, out)):
                os.remove(os.path.join(work, out))
        print('%-48s %8.0fK | %6.2f s %7.0f MiB | %6.2f s %7.0f MiB' % (
            name, len(data) / 1024, thumb[0], thumb[1], full[0], full[1]))
        for label, result in (('  thumbnail', thumb), ('  full size', full)):
            if result[2] != 'ok':
                print('%s %s' % (label, result[2]))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
