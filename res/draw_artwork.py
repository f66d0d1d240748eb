#!/usr/bin/env python3
"""Draws VeldrinIns' artwork and writes it next to this script.

The emblem is a bold V on a dark badge, framed by the amber ring and ticks of
a gun sight. It is drawn from simple shapes (discs, rings, rounded strokes,
boxes) measured by their signed distance, so every size is rendered from the
same description with smooth edges. The outputs are committed, so a build
needs no Python; run this again after changing a shape:

    python3 res/draw_artwork.py           writes every file
    python3 res/draw_artwork.py --check   exits 1 if a written file is stale

Outputs (paths relative to this folder):
    veldrinins.ico       icon group 128: 32x32 and 16x16, 16 colours
    veldrinins2.ico      icon group 132: 48, 32, 16 at 256 and 16 colours
    logo.bmp             bitmap 130: 113x60, 24-bit, bottom-up
    veldrinins-16.png    window icons for the dialog
    veldrinins-32.png
    icons/hicolor/NxN/apps/veldrinins.png   desktop icons

Only the standard library is used: the image files are put together byte by
byte with struct and zlib. Only +, -, *, / and sqrt enter the pixel values,
so the output is the same on every machine.
"""

import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

HICOLOR_SIZES = (16, 24, 32, 48, 64, 128, 256)


# --------------------------------------------------------------------------
# Shapes. Each one gives a bounding box in pixels and a signed distance:
# negative inside, positive outside, in pixels. Coverage of a pixel is
# 0.5 - distance at its centre, clamped to 0..1.

class Disc:
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r

    def bbox(self):
        return (self.cx - self.r, self.cy - self.r,
                self.cx + self.r, self.cy + self.r)

    def sdf(self, x, y):
        return math.sqrt((x - self.cx) ** 2 + (y - self.cy) ** 2) - self.r


class Ring:
    def __init__(self, cx, cy, r_outer, r_inner):
        self.cx, self.cy = cx, cy
        self.mid = (r_outer + r_inner) / 2
        self.half = (r_outer - r_inner) / 2
        self.r = r_outer

    def bbox(self):
        return (self.cx - self.r, self.cy - self.r,
                self.cx + self.r, self.cy + self.r)

    def sdf(self, x, y):
        d = math.sqrt((x - self.cx) ** 2 + (y - self.cy) ** 2)
        return abs(d - self.mid) - self.half


class Box:
    """Axis-aligned box from (x0, y0) to (x1, y1), corners rounded by r."""

    def __init__(self, x0, y0, x1, y1, r=0.0):
        self.x0, self.y0, self.x1, self.y1, self.r = x0, y0, x1, y1, r

    def bbox(self):
        return (self.x0, self.y0, self.x1, self.y1)

    def sdf(self, x, y):
        cx, cy = (self.x0 + self.x1) / 2, (self.y0 + self.y1) / 2
        hx = (self.x1 - self.x0) / 2 - self.r
        hy = (self.y1 - self.y0) / 2 - self.r
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.sqrt(max(qx, 0.0) ** 2 + max(qy, 0.0) ** 2)
        return outside + min(max(qx, qy), 0.0) - self.r


class Stroke:
    """A straight stroke of half-width r with round ends."""

    def __init__(self, x0, y0, x1, y1, r):
        self.x0, self.y0, self.x1, self.y1, self.r = x0, y0, x1, y1, r

    def bbox(self):
        return (min(self.x0, self.x1) - self.r, min(self.y0, self.y1) - self.r,
                max(self.x0, self.x1) + self.r, max(self.y0, self.y1) + self.r)

    def sdf(self, x, y):
        dx, dy = self.x1 - self.x0, self.y1 - self.y0
        px, py = x - self.x0, y - self.y0
        length2 = dx * dx + dy * dy
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, (px * dx + py * dy) / length2))
        ex, ey = px - t * dx, py - t * dy
        return math.sqrt(ex * ex + ey * ey) - self.r


class Polygon:
    """A closed polygon given by its corners, in either direction."""

    def __init__(self, points):
        self.points = list(points)

    def bbox(self):
        xs = [x for x, _ in self.points]
        ys = [y for _, y in self.points]
        return (min(xs), min(ys), max(xs), max(ys))

    def sdf(self, x, y):
        best = None
        inside = False
        pts = self.points
        for (ax, ay), (bx, by) in zip(pts, pts[1:] + pts[:1]):
            dx, dy = bx - ax, by - ay
            px, py = x - ax, y - ay
            t = max(0.0, min(1.0, (px * dx + py * dy) / (dx * dx + dy * dy)))
            ex, ey = px - t * dx, py - t * dy
            d = ex * ex + ey * ey
            if best is None or d < best:
                best = d
            if (ay > y) != (by > y) and x < ax + (y - ay) * dx / dy:
                inside = not inside
        d = math.sqrt(best)
        return -d if inside else d


class Grown:
    """A shape grown outward by a margin: its outline, when painted under it."""

    def __init__(self, shape, margin):
        self.shape, self.margin = shape, margin

    def bbox(self):
        x0, y0, x1, y1 = self.shape.bbox()
        m = self.margin
        return (x0 - m, y0 - m, x1 + m, y1 + m)

    def sdf(self, x, y):
        return self.shape.sdf(x, y) - self.margin


class Union:
    def __init__(self, shapes):
        self.shapes = list(shapes)

    def bbox(self):
        boxes = [s.bbox() for s in self.shapes]
        return (min(b[0] for b in boxes), min(b[1] for b in boxes),
                max(b[2] for b in boxes), max(b[3] for b in boxes))

    def sdf(self, x, y):
        return min(s.sdf(x, y) for s in self.shapes)


class Clip:
    """The part of a shape that lies inside another."""

    def __init__(self, shape, inside):
        self.shape, self.inside = shape, inside

    def bbox(self):
        return self.shape.bbox()

    def sdf(self, x, y):
        return max(self.shape.sdf(x, y), self.inside.sdf(x, y))


def polyline(points, r):
    return Union(Stroke(a[0], a[1], b[0], b[1], r)
                 for a, b in zip(points, points[1:]))


# --------------------------------------------------------------------------
# Canvas: straight (not premultiplied) RGBA in floats, 0..1.

class Canvas:
    def __init__(self, width, height, background=None):
        self.width, self.height = width, height
        fill = (0.0, 0.0, 0.0, 0.0) if background is None else tuple(background) + (1.0,)
        self.px = [list(fill) for _ in range(width * height)]

    def paint(self, shape, colour, alpha=1.0):
        """Paints shape over the canvas. colour is an (r, g, b) triple of
        0..1 or a function of the pixel centre (x, y) giving one."""
        x0, y0, x1, y1 = shape.bbox()
        ix0 = max(0, int(math.floor(x0 - 1)))
        iy0 = max(0, int(math.floor(y0 - 1)))
        ix1 = min(self.width, int(math.ceil(x1 + 1)))
        iy1 = min(self.height, int(math.ceil(y1 + 1)))
        for iy in range(iy0, iy1):
            cy = iy + 0.5
            for ix in range(ix0, ix1):
                cx = ix + 0.5
                cover = 0.5 - shape.sdf(cx, cy)
                if cover <= 0.0:
                    continue
                a = alpha * min(cover, 1.0)
                c = colour(cx, cy) if callable(colour) else colour
                p = self.px[iy * self.width + ix]
                out_a = a + p[3] * (1.0 - a)
                for k in range(3):
                    p[k] = (c[k] * a + p[k] * p[3] * (1.0 - a)) / out_a
                p[3] = out_a

    def rgba8(self):
        """Rows top to bottom of (r, g, b, a) byte values."""
        def b(v):
            return max(0, min(255, int(v * 255.0 + 0.5)))
        return [[(b(p[0]), b(p[1]), b(p[2]), b(p[3]))
                 for p in self.px[y * self.width:(y + 1) * self.width]]
                for y in range(self.height)]


def rgb(hex_colour):
    v = int(hex_colour.lstrip('#'), 16)
    return ((v >> 16) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0)


def mix(c0, c1, t):
    t = max(0.0, min(1.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def vertical_gradient(top, bottom, y0, y1):
    return lambda x, y: mix(top, bottom, (y - y0) / (y1 - y0))


# --------------------------------------------------------------------------
# The emblem.

NIGHT_TOP = rgb('#34527a')
NIGHT_BOTTOM = rgb('#101a2c')
RIM = rgb('#070b13')
AMBER = rgb('#f7a21b')
AMBER_DEEP = rgb('#c86a0a')
BONE = rgb('#f6f2e7')
BONE_SHADE = rgb('#c9c3b3')
INK = rgb('#0a0f1a')


def draw_emblem(canvas, ox, oy, size):
    """Draws the emblem into the square (ox, oy, size) of the canvas."""
    s = float(size)

    def p(u):
        return u * s

    cx, cy = ox + s / 2, oy + s / 2
    small = size <= 16
    # The thinnest lines never go below about a pixel, or they fade away in
    # the 16 x 16 icon.
    min_line = 1.15

    # Badge: a dark disc with a rim that keeps its edge on light panels.
    badge_r = p(0.485)
    canvas.paint(Disc(cx, cy, badge_r), RIM)
    canvas.paint(Disc(cx, cy, badge_r - max(p(0.03), 0.6)),
                 vertical_gradient(NIGHT_TOP, NIGHT_BOTTOM, oy, oy + s))
    # A soft sheen over the upper half of the badge.
    if not small:
        sheen = Clip(Disc(cx, cy - p(0.17), p(0.36)),
                     Disc(cx, cy, badge_r - p(0.05)))
        canvas.paint(sheen, (1.0, 1.0, 1.0), alpha=0.07)

    # Sight: ring and four ticks.
    ring_w = max(p(0.07), min_line)
    ring_r = p(0.37)
    sight_colour = vertical_gradient(AMBER, AMBER_DEEP, oy + p(0.1), oy + p(0.9))
    canvas.paint(Ring(cx, cy, ring_r, ring_r - ring_w), sight_colour)
    if not small:
        tick_w = max(p(0.06), min_line) / 2
        outer, inner = p(0.045), p(0.2)
        ticks = Union([
            Box(cx - tick_w, oy + outer, cx + tick_w, oy + inner, tick_w * 0.5),
            Box(cx - tick_w, oy + s - inner, cx + tick_w, oy + s - outer, tick_w * 0.5),
            Box(ox + outer, cy - tick_w, ox + inner, cy + tick_w, tick_w * 0.5),
            Box(ox + s - inner, cy - tick_w, ox + s - outer, cy + tick_w, tick_w * 0.5),
        ])
        canvas.paint(ticks, sight_colour)

    # The V, outlined in ink so it stands clear of the ring. Its arms are
    # cut square at the top and meet in a flat foot.
    if small:
        v = [(0.19, 0.22), (0.39, 0.22), (0.50, 0.58), (0.61, 0.22), (0.81, 0.22),
             (0.58, 0.81), (0.42, 0.81)]
    else:
        v = [(0.25, 0.26), (0.42, 0.26), (0.50, 0.53), (0.58, 0.26), (0.75, 0.26),
             (0.575, 0.76), (0.425, 0.76)]
    shape = Polygon([(ox + p(u), oy + p(w)) for u, w in v])
    canvas.paint(Grown(shape, max(p(0.04), 0.5)), INK)
    canvas.paint(shape, vertical_gradient(BONE, BONE_SHADE, oy + p(0.25), oy + p(0.8)))


def emblem(size):
    canvas = Canvas(size, size)
    draw_emblem(canvas, 0, 0, size)
    return canvas


# --------------------------------------------------------------------------
# The logo: the emblem beside the name, on a dark panel.

# Strokes of the name's letters on a grid 4 wide and 6 high.
STROKE_FONT = {
    'V': [[(0, 0), (2, 6), (4, 0)]],
    'E': [[(4, 0), (0, 0), (0, 6), (4, 6)], [(0, 3), (3, 3)]],
    'L': [[(0, 0), (0, 6), (4, 6)]],
    'D': [[(0, 0), (0, 6), (2.4, 6), (4, 4.4), (4, 1.6), (2.4, 0), (0, 0)]],
    'R': [[(0, 6), (0, 0), (3, 0), (4, 1), (4, 2), (3, 3), (0, 3)], [(2.2, 3), (4, 6)]],
    'I': [[(2, 0), (2, 6)], [(0.8, 0), (3.2, 0)], [(0.8, 6), (3.2, 6)]],
    'N': [[(0, 6), (0, 0), (4, 6), (4, 0)]],
}

# Letters of the tag line, 5 pixels high, drawn pixel for pixel.
PIXEL_FONT = {
    'A': ['.#.', '#.#', '###', '#.#', '#.#'],
    'E': ['###', '#..', '##.', '#..', '###'],
    'I': ['###', '.#.', '.#.', '.#.', '###'],
    'L': ['#..', '#..', '#..', '#..', '###'],
    'N': ['#..#', '##.#', '#.##', '#..#', '#..#'],
    'R': ['##.', '#.#', '##.', '#.#', '#.#'],
    'S': ['.##', '#..', '.#.', '..#', '##.'],
    'T': ['###', '.#.', '.#.', '.#.', '.#.'],
}


def stroke_text(text, x, y, cell_w, cell_h, gap, r):
    sx, sy = cell_w / 4.0, cell_h / 6.0
    shapes = []
    for i, ch in enumerate(text):
        left = x + i * (cell_w + gap)
        for line in STROKE_FONT[ch]:
            shapes.append(polyline([(left + u * sx, y + v * sy) for u, v in line], r))
    return Union(shapes)


def pixel_text_width(text):
    return sum(len(PIXEL_FONT[ch][0]) + 1 for ch in text) - 1


def pixel_text(text, x, y):
    boxes = []
    for ch in text:
        for row, bits in enumerate(PIXEL_FONT[ch]):
            for col, bit in enumerate(bits):
                if bit == '#':
                    boxes.append(Box(x + col, y + row, x + col + 1, y + row + 1))
        x += len(PIXEL_FONT[ch][0]) + 1
    return Union(boxes)


LOGO_W, LOGO_H = 113, 60


def logo():
    panel_top, panel_bottom = rgb('#1d2d46'), rgb('#0b111d')
    canvas = Canvas(LOGO_W, LOGO_H, background=(0, 0, 0))
    canvas.paint(Box(0, 0, LOGO_W, LOGO_H),
                 vertical_gradient(panel_top, panel_bottom, 0, LOGO_H))
    draw_emblem(canvas, 3, 4, 52)

    # The name, with a drop shadow, and the tag line under an amber rule.
    name = 'VELDRIN'
    cell_w, cell_h, gap, r = 5.0, 12.0, 2.0, 0.95
    text_w = len(name) * cell_w + (len(name) - 1) * gap
    left = 58 + (LOGO_W - 58 - 2 - text_w) / 2
    top = 15.0
    canvas.paint(stroke_text(name, left + 1, top + 1, cell_w, cell_h, gap, r), INK, alpha=0.8)
    canvas.paint(stroke_text(name, left, top, cell_w, cell_h, gap, r),
                 vertical_gradient(BONE, BONE_SHADE, top, top + cell_h))
    canvas.paint(Box(round(left), 33, round(left + text_w), 34), AMBER_DEEP)
    tag = 'INSTALLER'
    tag_w = pixel_text_width(tag)
    canvas.paint(pixel_text(tag, int(left + (text_w - tag_w) / 2 + 0.5), 38), AMBER)
    return canvas


# --------------------------------------------------------------------------
# Colour reduction for the palette icons.

def median_cut(colours, count):
    """colours: {(r, g, b): weight}. Returns at most count colours."""
    boxes = [list(colours.items())]
    while len(boxes) < count:
        best, best_range, best_axis = None, 0, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for axis in range(3):
                values = [c[axis] for c, _ in box]
                spread = max(values) - min(values)
                if spread > best_range:
                    best, best_range, best_axis = i, spread, axis
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda cw: (cw[0][best_axis], cw[0]))
        total = sum(w for _, w in box)
        run, cut = 0, 1
        for j, (_, w) in enumerate(box[:-1]):
            run += w
            cut = j + 1
            if run * 2 >= total:
                break
        boxes.append(box[:cut])
        boxes.append(box[cut:])

    palette = []
    for box in boxes:
        total = sum(w for _, w in box)
        palette.append(tuple(int(sum(c[k] * w for c, w in box) / total + 0.5)
                             for k in range(3)))
    return palette


def nearest(palette, c):
    best, best_d = 0, None
    for i, q in enumerate(palette):
        d = (q[0] - c[0]) ** 2 + (q[1] - c[1]) ** 2 + (q[2] - c[2]) ** 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def refine(palette, colours, rounds=6):
    """A few rounds of k-means from the median-cut palette."""
    palette = list(palette)
    for _ in range(rounds):
        sums = [[0, 0, 0, 0] for _ in palette]
        for c, w in colours.items():
            s = sums[nearest(palette, c)]
            s[0] += c[0] * w
            s[1] += c[1] * w
            s[2] += c[2] * w
            s[3] += w
        palette = [tuple(int(s[k] / s[3] + 0.5) for k in range(3)) if s[3] else q
                   for s, q in zip(sums, palette)]
    return palette


def quantise(rows, bits):
    """Reduces RGBA rows to a palette of 2**bits colours whose entry 0 is
    black, the colour that transparent pixels carry in an icon's colour
    plane. Returns (palette, index rows, opaque rows)."""
    colours = {}
    for row in rows:
        for r, g, b, a in row:
            if a >= 128:
                colours[(r, g, b)] = colours.get((r, g, b), 0) + 1
    palette = refine(median_cut(colours, (1 << bits) - 1), colours)
    palette = [(0, 0, 0)] + palette
    palette += [(0, 0, 0)] * ((1 << bits) - len(palette))
    lookup = {c: 1 + nearest(palette[1:], c) for c in colours}
    index_rows = [[lookup[(r, g, b)] if a >= 128 else 0 for r, g, b, a in row]
                  for row in rows]
    opaque_rows = [[a >= 128 for _, _, _, a in row] for row in rows]
    return palette, index_rows, opaque_rows


# --------------------------------------------------------------------------
# File formats.

def padded(data):
    return data + b'\0' * (-len(data) % 4)


def pack_bits(values, bits):
    """Packs small integers into bytes, most significant first."""
    out = bytearray()
    acc, filled = 0, 0
    for v in values:
        acc = (acc << bits) | v
        filled += bits
        if filled == 8:
            out.append(acc)
            acc, filled = 0, 0
    if filled:
        out.append(acc << (8 - filled))
    return bytes(out)


def icon_image(rows, bits):
    """One icon image: BITMAPINFOHEADER, palette, colour plane and mask, both
    bottom-up, as an .ico file or an RT_ICON resource holds it."""
    size = len(rows)
    palette, index_rows, opaque_rows = quantise(rows, bits)
    xor = b''.join(padded(pack_bits(r, bits)) for r in reversed(index_rows))
    mask = b''.join(padded(pack_bits([0 if o else 1 for o in r], 1))
                    for r in reversed(opaque_rows))
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    colours = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    return header + colours + xor + mask


def ico_file(images):
    """images: list of (size, bits, image bytes)."""
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256,
                           (1 << bits) if bits < 8 else 0, 0, 1, bits,
                           len(data), offset)
        offset += len(data)
    return out + b''.join(data for _, _, data in images)


def bmp_file(rows):
    """A 24-bit bottom-up BMP of opaque rows."""
    height, width = len(rows), len(rows[0])
    pixels = b''.join(padded(bytes(v for r, g, b, _ in row for v in (b, g, r)))
                      for row in reversed(rows))
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0,
                       len(pixels), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + pixels


def png_chunk(kind, data):
    return (struct.pack('>I', len(data)) + kind + data
            + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF))


def png_file(rows):
    """An 8-bit RGBA PNG, every row unfiltered."""
    height, width = len(rows), len(rows[0])
    raw = b''.join(b'\0' + bytes(v for px in row for v in px) for row in rows)
    return (b'\x89PNG\r\n\x1a\n'
            + png_chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0))
            + png_chunk(b'IDAT', zlib.compress(raw, 9))
            + png_chunk(b'IEND', b''))


def png_content(data):
    """IHDR and the decompressed pixel rows of a PNG: what two encodings of
    the same picture share whatever zlib made of it."""
    pos, header, idat = 8, b'', b''
    while pos < len(data):
        length, = struct.unpack('>I', data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            header = body
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    return header, zlib.decompress(idat)


# --------------------------------------------------------------------------

def outputs():
    """Every file this script writes, as {relative path: bytes}."""
    sizes = sorted(set(HICOLOR_SIZES) | {16, 32, 48}, reverse=True)
    pictures = {size: emblem(size).rgba8() for size in sizes}
    files = {}
    files['veldrinins.ico'] = ico_file(
        [(size, 4, icon_image(pictures[size], 4)) for size in (32, 16)])
    files['veldrinins2.ico'] = ico_file(
        [(size, bits, icon_image(pictures[size], bits))
         for bits in (8, 4) for size in (48, 32, 16)])
    files['logo.bmp'] = bmp_file(logo().rgba8())
    for size in (16, 32):
        files['veldrinins-%d.png' % size] = png_file(pictures[size])
    for size in HICOLOR_SIZES:
        files['icons/hicolor/%dx%d/apps/veldrinins.png' % (size, size)] = png_file(pictures[size])
    return files


def same(path, data):
    try:
        with open(path, 'rb') as f:
            old = f.read()
    except OSError:
        return False
    if path.endswith('.png'):
        try:
            return png_content(old) == png_content(data)
        except (zlib.error, struct.error):
            return False
    return old == data


def main(argv):
    check = '--check' in argv[1:]
    stale = []
    for name, data in sorted(outputs().items()):
        path = os.path.join(HERE, *name.split('/'))
        if same(path, data):
            continue
        stale.append(name)
        if not check:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, 'wb') as f:
                f.write(data)
    for name in stale:
        print(('stale: ' if check else 'wrote: ') + name)
    return 1 if check and stale else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
