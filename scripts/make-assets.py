#!/usr/bin/env python3
"""Draws Kestrune's pictures and renders its built-in alarm tone.

    python3 scripts/make-assets.py          # writes everything under assets/

Everything is drawn here from shapes (signed distances give the anti-aliasing) and written by the
small file writers below, so the output is the same on every run. Only the alarm tone needs a tool
from outside: sox with its MP3 format, which encodes the tone this script synthesises.

Outputs:
  icons/kestrune.ico                     32x32, 24 bits per pixel with its 1-bit mask (3262 bytes)
  icons/hicolor/NxN/apps/kestrune.png    the same design for the desktop
  images/about.gif                       the About picture, 156x125, 32-colour global palette
  skin/*.bmp, skin/*.tga                 the thirteen images of the "Standard Skin", 32-bit pixels
  skin/png/*.png                         PNG copies of those, plus the single parts the style sheet uses
  sounds/alarm-tone.mp3                  the tone played when the chosen sound cannot be
"""

import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import wave
import zlib

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets"))


# --- colours and drawing -------------------------------------------------------------------------


def rgb(hexcode, alpha=1.0):
    h = hexcode.lstrip("#")
    return (int(h[0:2], 16) / 255.0, int(h[2:4], 16) / 255.0, int(h[4:6], 16) / 255.0, alpha)


def mix(a, b, t):
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(4))


def vgradient(top, bottom, y0, y1):
    span = float(y1 - y0) or 1.0
    return lambda x, y: mix(top, bottom, (y - y0) / span)


class Shape:
    """A signed distance in pixels (negative inside) with the box outside which it is surely empty."""

    def __init__(self, sdf, box):
        self.sdf = sdf
        self.box = box

    def grow(self, by):
        f = self.sdf
        x0, y0, x1, y1 = self.box
        return Shape(lambda x, y: f(x, y) - by, (x0 - by, y0 - by, x1 + by, y1 + by))

    def __or__(self, other):
        f, g = self.sdf, other.sdf
        a, b = self.box, other.box
        return Shape(lambda x, y: min(f(x, y), g(x, y)),
                     (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3])))

    def __and__(self, other):
        f, g = self.sdf, other.sdf
        a, b = self.box, other.box
        return Shape(lambda x, y: max(f(x, y), g(x, y)),
                     (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3])))

    def __sub__(self, other):
        f, g = self.sdf, other.sdf
        return Shape(lambda x, y: max(f(x, y), -g(x, y)), self.box)


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def capsule(ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    dd = dx * dx + dy * dy or 1e-9

    def f(x, y):
        t = ((x - ax) * dx + (y - ay) * dy) / dd
        t = 0.0 if t < 0 else 1.0 if t > 1 else t
        return math.hypot(x - ax - dx * t, y - ay - dy * t) - r

    return Shape(f, (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r))


def polyline(points, r):
    shape = capsule(*points[0], *points[1], r)
    for a, b in zip(points[1:], points[2:]):
        shape = shape | capsule(*a, *b, r)
    return shape


def rect(x0, y0, x1, y1, radius=0.0):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - radius, (y1 - y0) / 2.0 - radius

    def f(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius

    return Shape(f, (x0, y0, x1, y1))


def polygon(points):
    pts = list(points)
    n = len(pts)

    def f(x, y):
        d = (x - pts[0][0]) ** 2 + (y - pts[0][1]) ** 2
        s = 1.0
        j = n - 1
        for i in range(n):
            px, py = pts[i]
            ex, ey = pts[j][0] - px, pts[j][1] - py
            wx, wy = x - px, y - py
            t = (wx * ex + wy * ey) / (ex * ex + ey * ey or 1e-9)
            t = 0.0 if t < 0 else 1.0 if t > 1 else t
            bx, by = wx - ex * t, wy - ey * t
            d = min(d, bx * bx + by * by)
            c1, c2, c3 = y >= py, y < pts[j][1], ex * wy > ey * wx
            if (c1 and c2 and c3) or (not c1 and not c2 and not c3):
                s = -s
            j = i
        return s * math.sqrt(d)

    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    return Shape(f, (min(xs), min(ys), max(xs), max(ys)))


def arc(cx, cy, rx, ry, a0, a1, steps=16):
    """Points along an ellipse on a y-up grid, angles in degrees, 0 pointing right and 90 pointing up."""
    out = []
    for i in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * i / steps)
        out.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
    return out


def bezier(p0, p1, p2, steps=8):
    out = []
    for i in range(steps + 1):
        t = i / steps
        u = 1 - t
        out.append(tuple(u * u * p0[i] + 2 * u * t * p1[i] + t * t * p2[i] for i in (0, 1)))
    return out


class Canvas:
    """Premultiplied RGBA in floats; shapes are painted over with source-over blending."""

    def __init__(self, width, height, fill=(0.0, 0.0, 0.0, 0.0)):
        self.width, self.height = width, height
        r, g, b, a = fill
        self.px = [[r * a, g * a, b * a, a] for _ in range(width * height)]

    def paint(self, shape, paint, opacity=1.0):
        x0, y0, x1, y1 = shape.box
        xa, xb = max(0, int(math.floor(x0)) - 1), min(self.width, int(math.ceil(x1)) + 1)
        ya, yb = max(0, int(math.floor(y0)) - 1), min(self.height, int(math.ceil(y1)) + 1)
        f = shape.sdf
        solid = None if callable(paint) else paint
        for y in range(ya, yb):
            cy = y + 0.5
            row = y * self.width
            for x in range(xa, xb):
                d = f(x + 0.5, cy)
                if d >= 0.5:
                    continue
                cover = opacity if d <= -0.5 else (0.5 - d) * opacity
                r, g, b, a = solid if solid else paint(x + 0.5, cy)
                a *= cover
                p = self.px[row + x]
                keep = 1.0 - a
                p[0] = r * a + p[0] * keep
                p[1] = g * a + p[1] * keep
                p[2] = b * a + p[2] * keep
                p[3] = a + p[3] * keep

    def fill(self, paint):
        self.paint(rect(0, 0, self.width, self.height), paint)

    def put(self, x, y, colour):
        r, g, b, a = colour
        self.px[y * self.width + x] = [r * a, g * a, b * a, a]

    def draw(self, other, ox, oy):
        for y in range(other.height):
            for x in range(other.width):
                tx, ty = x + ox, y + oy
                if not (0 <= tx < self.width and 0 <= ty < self.height):
                    continue
                s = other.px[y * other.width + x]
                p = self.px[ty * self.width + tx]
                keep = 1.0 - s[3]
                for i in range(4):
                    p[i] = s[i] + p[i] * keep

    def crop(self, x0, y0, w, h):
        out = Canvas(w, h)
        for y in range(h):
            for x in range(w):
                out.px[y * w + x] = list(self.px[(y + y0) * self.width + x + x0])
        return out

    def transposed(self):
        out = Canvas(self.height, self.width)
        for y in range(self.height):
            for x in range(self.width):
                out.px[x * self.height + y] = list(self.px[y * self.width + x])
        return out

    def mirrored(self):
        out = Canvas(self.width, self.height)
        for y in range(self.height):
            for x in range(self.width):
                out.px[y * self.width + x] = list(self.px[y * self.width + self.width - 1 - x])
        return out

    def flipped(self):
        out = Canvas(self.width, self.height)
        for y in range(self.height):
            out.px[y * self.width:(y + 1) * self.width] = [list(p) for p in self.px[
                (self.height - 1 - y) * self.width:(self.height - y) * self.width]]
        return out

    def rgba8(self):
        """Straight (not premultiplied) 8-bit RGBA rows, top row first."""
        rows = []
        for y in range(self.height):
            row = []
            for x in range(self.width):
                r, g, b, a = self.px[y * self.width + x]
                if a <= 1e-6:
                    row.append((0, 0, 0, 0))
                    continue
                row.append(tuple(min(255, max(0, int(round(v * 255)))) for v in (r / a, g / a, b / a, a)))
            rows.append(row)
        return rows


# --- file writers --------------------------------------------------------------------------------


def ensure_dir(path):
    os.makedirs(os.path.dirname(path), exist_ok=True)


def write_bytes(path, data):
    ensure_dir(path)
    with open(path, "wb") as f:
        f.write(data)


def png_bytes(rows):
    height, width = len(rows), len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for px in row:
            raw.extend(px)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(
        b"IEND", b"")


def bmp32_bytes(rows):
    """A 32-bit BMP with a version-5 header, so that readers keep the alpha channel."""
    height, width = len(rows), len(rows[0])
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b, a in row:
            pixels.extend((b, g, r, a))
    header = struct.pack("<IiiHHIIiiII", 124, width, height, 1, 32, 3, len(pixels), 2835, 2835, 0, 0)
    header += struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    header += b"BGRs" + bytes(36) + struct.pack("<III", 0, 0, 0)  # sRGB: no endpoints, no gamma
    header += struct.pack("<IIII", 4, 0, 0, 0)  # LCS_GM_IMAGES, no profile
    assert len(header) == 124
    offset = 14 + len(header)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + header + bytes(pixels)


def tga32_bytes(rows):
    height, width = len(rows), len(rows[0])
    # Uncompressed true colour, 8 alpha bits, first row at the top.
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, width, height, 32, 0x28)
    pixels = bytearray()
    for row in rows:
        for r, g, b, a in row:
            pixels.extend((b, g, r, a))
    footer = struct.pack("<II", 0, 0) + b"TRUEVISION-XFILE.\x00"
    return header + bytes(pixels) + footer


def ico24_bytes(rows):
    """One 32x32 image at 24 bits per pixel with its AND mask: no palette, no alpha."""
    height, width = len(rows), len(rows[0])
    assert (width, height) == (32, 32)
    stride = (width * 3 + 3) & ~3
    mask_stride = ((width + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray()
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            if a >= 128:
                line.extend((b, g, r))
            else:
                line.extend((0, 0, 0))
                bits[x // 8] |= 0x80 >> (x % 8)
        line.extend(bytes(stride - len(line)))
        xor.extend(line)
        mask.extend(bits)
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 24, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + bytes(xor) + bytes(mask)
    assert len(image) == 3240, len(image)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", width, height, 0, 0, 1, 24, len(image), 22)
    return directory + image


def lzw_encode(indices, min_size):
    clear, end = 1 << min_size, (1 << min_size) + 1
    out = bytearray()
    acc = 0
    nbits = 0

    def emit(code, size):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    size = min_size + 1
    table = {}
    next_code = end + 1
    emit(clear, size)
    prefix = indices[0]
    for k in indices[1:]:
        key = (prefix, k)
        code = table.get(key)
        if code is not None:
            prefix = code
            continue
        emit(prefix, size)
        table[key] = next_code
        next_code += 1
        if next_code == (1 << size) + 1 and size < 12:
            size += 1
        if next_code == 4096:
            emit(clear, size)
            table = {}
            next_code = end + 1
            size = min_size + 1
        prefix = k
    emit(prefix, size)
    if next_code == (1 << size) and size < 12:
        size += 1
    emit(end, size)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def lzw_decode(data, min_size):
    """Only to prove the encoder round-trips."""
    clear, end = 1 << min_size, (1 << min_size) + 1
    bitpos = 0
    size = min_size + 1
    table = None
    prev = None
    out = []
    total_bits = len(data) * 8
    while bitpos + size <= total_bits:
        code = 0
        for i in range(size):
            if data[(bitpos + i) >> 3] >> ((bitpos + i) & 7) & 1:
                code |= 1 << i
        bitpos += size
        if code == clear:
            table = [[i] for i in range(clear)] + [None, None]
            size = min_size + 1
            prev = None
            continue
        if code == end:
            break
        if prev is None:
            entry = table[code]
        else:
            if code < len(table):
                entry = table[code]
                table.append(prev + [entry[0]])
            else:
                entry = prev + [prev[0]]
                table.append(entry)
            if len(table) == (1 << size) and size < 12:
                size += 1
        out.extend(entry)
        prev = entry
    return out


def gif_bytes(indices, width, height, palette):
    assert len(palette) == 32
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", width, height, 0xF4, 0, 0)  # global table of 2^(4+1) colours
    for r, g, b in palette:
        out += bytes((r, g, b))
    out += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
    data = lzw_encode(indices, 5)
    assert lzw_decode(data, 5) == list(indices), "LZW round trip failed"
    out.append(5)
    for i in range(0, len(data), 255):
        block = data[i:i + 255]
        out.append(len(block))
        out += block
    out += b"\x00\x3b"
    return bytes(out)


# --- the program icon ----------------------------------------------------------------------------

INK = rgb("#2a1a12")
RUST = rgb("#c65f2a")
RUST_DARK = rgb("#93401b")
WING = rgb("#6b4128")
WING_LIGHT = rgb("#b06d3f")
WING_TIP = rgb("#46291a")
FACE = rgb("#fff6e2")
FACE_SHADE = rgb("#f1dfbf")


def draw_icon(canvas, size, ox=0.0, oy=0.0):
    """The mark: an alarm clock whose bells are a kestrel's raised wings, standing on talons.

    Designed on a 32-unit grid and drawn at any size, so every size is as sharp as it can be."""
    k = size / 32.0

    def p(x, y):
        return (ox + x * k, oy + y * k)

    def pts(points):
        return [p(x, y) for x, y in points]

    outline = max(0.9 * k, 1.0)
    left_wing = [(13.5, 9.5), (10.5, 5.2), (6.0, 2.6), (1.2, 1.4), (3.6, 4.4), (2.4, 5.6), (5.6, 7.6),
                 (4.6, 9.4), (8.6, 11.2), (9.5, 14.5)]
    right_wing = [(32.0 - x, y) for x, y in left_wing]
    wings = polygon(pts(left_wing)) | polygon(pts(right_wing))
    cx, cy = p(16.0, 18.6)
    body = circle(cx, cy, 11.0 * k)
    knob = circle(*p(16.0, 6.6), 1.9 * k)
    stem = capsule(*p(16.0, 6.6), *p(16.0, 9.0), 0.9 * k)
    feet = capsule(*p(11.2, 27.0), *p(8.6, 30.4), 1.15 * k) | capsule(*p(20.8, 27.0), *p(23.4, 30.4), 1.15 * k)
    toes = capsule(*p(8.6, 30.4), *p(6.7, 30.6), 0.8 * k) | capsule(*p(23.4, 30.4), *p(25.3, 30.6), 0.8 * k)

    # One dark silhouette under everything keeps the edge legible on any panel colour.
    canvas.paint((wings | body | knob | stem).grow(outline), INK)
    canvas.paint(feet | toes, INK)
    top, bottom = p(0, 1.4)[1], p(0, 14.5)[1]
    canvas.paint(wings, vgradient(WING_LIGHT, WING, top, bottom))
    # Dark flight feathers at the tips, as on a kestrel.
    left_tip = polygon(pts([(0.0, 0.0), (7.4, 0.0), (4.2, 12.0), (0.0, 12.0)]))
    right_tip = polygon(pts([(32.0, 0.0), (24.6, 0.0), (27.8, 12.0), (32.0, 12.0)]))
    canvas.paint(wings & (left_tip | right_tip), WING_TIP)
    feather = max(0.35 * k, 0.5)
    for wing in (left_wing, right_wing):
        canvas.paint(polyline(pts([wing[9], wing[4]]), feather * 0.5), INK, 0.55)
        canvas.paint(polyline(pts([wing[9], wing[6]]), feather * 0.5), INK, 0.55)
    canvas.paint(knob, RUST)
    canvas.paint(body, vgradient(RUST, RUST_DARK, cy - 11.0 * k, cy + 11.0 * k))
    face_r = 8.2 * k
    canvas.paint(circle(cx, cy, face_r + 0.55 * k), INK, 0.8)
    canvas.paint(circle(cx, cy, face_r), vgradient(FACE, FACE_SHADE, cy - face_r, cy + face_r))

    marks = 12 if size >= 48 else 4
    for i in range(marks):
        a = math.radians(i * 360.0 / marks)
        major = i % (marks // 4) == 0
        r0 = face_r - (2.2 if major else 1.4) * k
        r1 = face_r - 0.8 * k
        width = (0.55 if major else 0.35) * k
        canvas.paint(capsule(cx + math.sin(a) * r0, cy - math.cos(a) * r0, cx + math.sin(a) * r1,
                             cy - math.cos(a) * r1, max(width, 0.45)), INK)

    # Ten past ten: the hands repeat the raised wings.
    def hand(angle, length, width):
        a = math.radians(angle)
        return capsule(cx, cy, cx + math.sin(a) * length, cy - math.cos(a) * length, width)

    canvas.paint(hand(-55.0, 4.6 * k, max(1.0 * k, 0.8)), INK)
    canvas.paint(hand(60.0, 6.4 * k, max(0.75 * k, 0.7)), INK)
    canvas.paint(circle(cx, cy, 1.35 * k), RUST_DARK)


def icon_canvas(size):
    canvas = Canvas(size, size)
    draw_icon(canvas, size)
    return canvas


# --- lettering for the About picture -------------------------------------------------------------


def glyphs():
    """Strokes of the few letters needed, on a grid with the baseline at 0, x-height 5, caps 7 (y up)."""
    return {
        "K": (4.4, [[(0, 0), (0, 7)], [(4.2, 7), (0.3, 2.8)], [(1.7, 4.3), (4.4, 0)]]),
        "e": (4.4, [[(0.1, 2.5), (4.3, 2.5)] + arc(2.2, 2.5, 2.15, 2.5, 0, 315, 20)]),
        "s": (3.6, [arc(1.8, 3.75, 1.55, 1.25, 35, 270, 12) + arc(1.8, 1.25, 1.65, 1.25, 90, -145, 12)]),
        "t": (3.0, [[(1.0, 6.4), (1.0, 1.2)] + arc(2.2, 1.2, 1.2, 1.2, 180, 290, 6), [(0, 5), (2.8, 5)]]),
        "r": (3.0, [[(0, 0), (0, 5)], bezier((0, 3.0), (0.5, 5.1), (3.0, 4.9))]),
        "u": (4.0, [[(0, 5), (0, 2)] + arc(2, 2, 2, 2, 180, 360, 12) + [(4, 5)], [(4, 5), (4, 0)]]),
        "n": (4.0, [[(0, 0), (0, 5)], [(0, 3)] + arc(2, 3, 2, 2, 180, 0, 12) + [(4, 0)]]),
    }


def text_shape(text, x, baseline, unit, weight):
    table = glyphs()
    shape = None
    for ch in text:
        width, strokes = table[ch]
        for stroke in strokes:
            points = [(x + sx * unit, baseline - sy * unit) for sx, sy in stroke]
            s = polyline(points, weight)
            shape = s if shape is None else shape | s
        x += (width + 1.7) * unit
    return shape, x


def text_width(text, unit):
    table = glyphs()
    return sum((table[ch][0] + 1.7) * unit for ch in text) - 1.7 * unit


# --- the About picture ---------------------------------------------------------------------------


def about_canvas():
    w, h = 156, 125
    c = Canvas(w, h)
    c.fill(vgradient(rgb("#2f3a6b"), rgb("#f2b36f"), 0, 100))
    c.paint(circle(126, 94, 36), rgb("#ffd98c"), 0.22)
    c.paint(circle(126, 94, 23), rgb("#ffe3a3"), 0.45)
    c.paint(circle(126, 94, 14), rgb("#fff0c8"))
    for sx, sy, r in ((14, 12, 0.9), (30, 28, 0.7), (47, 8, 0.8), (112, 10, 0.9), (138, 24, 0.7), (150, 6, 0.6),
                      (8, 40, 0.6), (100, 30, 0.6)):
        c.paint(circle(sx, sy, r), rgb("#fff4d8"), 0.9)
    far = [(0, 96), (20, 90), (42, 94), (70, 86), (96, 92), (122, 88), (156, 95), (156, 125), (0, 125)]
    c.paint(polygon(far), rgb("#7b5a7a"))
    near = [(0, 104), (30, 99), (62, 103), (92, 98), (124, 103), (156, 100), (156, 125), (0, 125)]
    c.paint(polygon(near), vgradient(rgb("#4a3656"), rgb("#2d2238"), 98, 125))

    icon = Canvas(78, 78)
    draw_icon(icon, 78)
    c.draw(icon, 39, 8)

    unit, weight = 1.45, 1.05
    text = "Kestrune"
    x = (w - text_width(text, unit)) / 2.0
    shadow, _ = text_shape(text, x + 0.8, 119.8, unit, weight)
    letters, _ = text_shape(text, x, 119.0, unit, weight)
    c.paint(shadow, rgb("#1a1322"), 0.8)
    c.paint(letters, rgb("#fff1d2"))
    return c


def median_cut(colours, count):
    boxes = [colours]
    while len(boxes) < count:
        best, best_score, best_axis = None, -1, 0
        for i, box in enumerate(boxes):
            if len(set(box)) < 2:
                continue
            ranges = [max(p[a] for p in box) - min(p[a] for p in box) for a in range(3)]
            axis = ranges.index(max(ranges))
            score = ranges[axis] * math.sqrt(len(box))
            if score > best_score:
                best, best_score, best_axis = i, score, axis
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda p: p[best_axis])
        half = len(box) // 2
        boxes += [box[:half], box[half:]]
    palette = [tuple(int(round(sum(p[a] for p in box) / len(box))) for a in range(3)) for box in boxes]
    # A few rounds of k-means pull the colours onto what the picture really uses.
    for _ in range(4):
        sums = [[0, 0, 0, 0] for _ in palette]
        for p in colours:
            i = nearest(palette, p)
            s = sums[i]
            s[0] += p[0]
            s[1] += p[1]
            s[2] += p[2]
            s[3] += 1
        palette = [tuple(int(round(s[a] / s[3])) for a in range(3)) if s[3] else palette[i] for i, s in enumerate(sums)]
    while len(palette) < count:
        palette.append((0, 0, 0))
    return palette


def nearest(palette, p):
    best, best_d = 0, 1 << 30
    for i, q in enumerate(palette):
        d = (p[0] - q[0]) ** 2 + (p[1] - q[1]) ** 2 + (p[2] - q[2]) ** 2
        if d < best_d:
            best, best_d = i, d
    return best


def quantise(rows, count):
    height, width = len(rows), len(rows[0])
    colours = [px[:3] for row in rows for px in row]
    palette = median_cut(colours, count)
    # Light error diffusion smooths the sky without sprinkling noise over the lettering.
    err = [[0.0, 0.0, 0.0] for _ in range(width * (height + 1) + 1)]
    indices = []
    for y in range(height):
        for x in range(width):
            e = err[y * width + x]
            p = tuple(min(255, max(0, int(round(rows[y][x][a] + e[a])))) for a in range(3))
            i = nearest(palette, p)
            indices.append(i)
            q = palette[i]
            d = [(p[a] - q[a]) * 0.6 for a in range(3)]
            for dx, dy, f in ((1, 0, 7 / 16), (-1, 1, 3 / 16), (0, 1, 5 / 16), (1, 1, 1 / 16)):
                nx, ny = x + dx, y + dy
                if 0 <= nx < width and ny < height:
                    t = err[ny * width + nx]
                    for a in range(3):
                        t[a] += d[a] * f
    return palette, indices


# --- the "Standard Skin" -------------------------------------------------------------------------

PANEL = rgb("#ebebeb")  # the skin's panel colour, RGB(235, 235, 235)
WHITE = rgb("#ffffff")
LINE = rgb("#8e8e8e")
LINE_SOFT = rgb("#b9b9b9")
ACCENT = rgb("#c65f2a")
ACCENT_SOFT = rgb("#e7b08e")
GLYPH = rgb("#4b4b4b")
GLYPH_OFF = rgb("#b4b4b4")


def button_face(w, h, border, top, bottom, ring=None, sheen=True):
    c = Canvas(w, h)
    outer = rect(0, 0, w, h, 3.5)
    inner = rect(1, 1, w - 1, h - 1, 2.5)
    c.paint(outer, border)
    c.paint(inner, vgradient(top, bottom, 1, h - 1))
    if sheen:
        c.paint(rect(2.5, 1, w - 2.5, 2), WHITE, 0.7)
    if ring:
        c.paint(rect(2, 2, w - 2, h - 2, 1.8) - rect(3, 3, w - 3, h - 3, 1.0), ring)
    return c


def skin_buttons():
    norm = button_face(75, 25, LINE, rgb("#ffffff"), rgb("#e1e1e1"))
    hl = button_face(75, 25, ACCENT, rgb("#fffaf6"), rgb("#f3dfcf"))
    pressed = button_face(75, 25, rgb("#7c4a30"), rgb("#d9cbc1"), rgb("#eee5de"), sheen=False)
    focus = button_face(75, 25, LINE, rgb("#ffffff"), rgb("#e1e1e1"), ring=rgb("#dc9063"))
    disabled = button_face(75, 25, rgb("#c9c9c9"), rgb("#f6f6f6"), rgb("#f0f0f0"), sheen=False)
    return norm, hl, pressed, focus, disabled


def skin_menus():
    """Three cells of 26x19: the bar, an item under the mouse, an item whose menu is open."""
    c = Canvas(78, 19)
    c.fill(vgradient(rgb("#fbfbfb"), rgb("#ececec"), 0, 19))
    c.paint(rect(0, 18, 78, 19), rgb("#cdcdcd"))
    c.paint(rect(27, 1, 51, 18, 3), ACCENT_SOFT)
    c.paint(rect(28, 2, 50, 17, 2), vgradient(rgb("#fff8f2"), rgb("#f7e4d4"), 2, 17))
    c.paint(rect(53, 1, 77, 18, 3), ACCENT)
    c.paint(rect(54, 2, 76, 17, 2), vgradient(rgb("#f1d5c1"), rgb("#f8e8dc"), 2, 17))
    return c


def skin_border():
    """The frame of a pop-up menu: a grey line around white."""
    c = Canvas(12, 12)
    c.fill(LINE)
    c.paint(rect(1, 1, 11, 11), WHITE)
    return c


def scroll_cell(kind):
    """One 15x15 cell of the horizontal scroll-bar strip; the vertical strip is this transposed.

    Arrow buttons and their arrows are separate cells, so a button face can stretch to any bar
    thickness while its arrow keeps its shape."""
    c = Canvas(15, 15)
    if kind.startswith(("left", "right")):
        ink = GLYPH_OFF if kind.endswith("off") else GLYPH
        if kind.startswith("left"):
            c.paint(polygon([(4.6, 7.5), (9.4, 3.9), (9.4, 11.1)]), ink)
        else:
            c.paint(polygon([(10.4, 7.5), (5.6, 3.9), (5.6, 11.1)]), ink)
        return c
    c.fill(vgradient(rgb("#e4e4e4"), rgb("#f1f1f1"), 0, 15))
    c.paint(rect(0, 0, 15, 1), rgb("#cfcfcf"))
    c.paint(rect(0, 14, 15, 15), rgb("#fafafa"))
    if kind == "track":
        return c
    if kind.startswith("button"):
        pressed = kind == "button-pressed"
        border = rgb("#8a8a8a") if pressed else rgb("#a2a2a2")
        top, bottom = (rgb("#dcdcdc"), rgb("#eeeeee")) if pressed else (rgb("#fdfdfd"), rgb("#e5e5e5"))
        c.paint(rect(0.5, 0.5, 14.5, 14.5, 2.5), border)
        c.paint(rect(1.5, 1.5, 13.5, 13.5, 1.6), vgradient(top, bottom, 1.5, 13.5))
        return c
    border = {"handle": rgb("#9a9a9a"), "handle-hover": ACCENT, "handle-pressed": rgb("#93401b")}[kind]
    top, bottom = {
        "handle": (rgb("#ffffff"), rgb("#dadada")),
        "handle-hover": (rgb("#fffaf6"), rgb("#f0d9c7")),
        "handle-pressed": (rgb("#efcfb8"), rgb("#f7e5d8")),
    }[kind]
    c.paint(rect(1, 1.5, 14, 13.5, 3.0), border)
    c.paint(rect(2, 2.5, 13, 12.5, 2.0), vgradient(top, bottom, 2.5, 12.5))
    return c


SCROLL_CELLS = ["button", "button-pressed", "left", "right", "track", "handle", "handle-hover", "handle-pressed",
                "left-off"]


def skin_scrollbar():
    strip = Canvas(15 * len(SCROLL_CELLS), 15)
    for i, kind in enumerate(SCROLL_CELLS):
        strip.draw(scroll_cell(kind), 15 * i, 0)
    return strip


def skin_topbar():
    """The caption bar: a warm band with the program's icon at the left and three caption buttons."""
    w, h = 357, 24
    c = Canvas(w, h)
    c.fill(vgradient(rgb("#d27143"), rgb("#9c461f"), 0, h))
    c.paint(rect(0, 0, w, 1), rgb("#e89a72"))
    c.paint(rect(0, h - 1, w, h), rgb("#6e2f13"))
    icon = Canvas(18, 18)
    draw_icon(icon, 18)
    c.draw(icon, 4, 3)
    for i, glyph in enumerate(("min", "max", "close")):
        x0 = w - 3 - (3 - i) * 20
        c.paint(rect(x0, 4, x0 + 18, 20, 3), rgb("#7a3416"))
        c.paint(rect(x0 + 1, 5, x0 + 17, 19, 2), vgradient(rgb("#e4926a"), rgb("#b8582c"), 5, 19))
        mark = rgb("#fff4ea")
        if glyph == "min":
            c.paint(capsule(x0 + 5, 15, x0 + 13, 15, 1.0), mark)
        elif glyph == "max":
            c.paint(rect(x0 + 4.5, 7.5, x0 + 13.5, 16.5) - rect(x0 + 6, 10, x0 + 12, 15), mark)
        else:
            c.paint(capsule(x0 + 5.5, 8, x0 + 12.5, 16, 1.0) | capsule(x0 + 12.5, 8, x0 + 5.5, 16, 1.0), mark)
    return c


def skin_topmask():
    """Which caption-bar pixels belong to the window: white inside, black in the rounded top corners."""
    w, h = 357, 24
    c = Canvas(w, h, rgb("#000000"))
    c.paint(rect(0, 0, w, h + 8, 6), WHITE)
    return c


def skin_dialog():
    c = Canvas(70, 40)
    c.fill(vgradient(rgb("#ffffff"), rgb("#f6f6f6"), 0, 40))
    return c


def skin_clientarea():
    """A tile so faint that the area reads as white: one warm grey fleck."""
    c = Canvas(5, 6, WHITE)
    c.put(2, 3, rgb("#f5f3f0"))
    return c


def check_cell(checked, state):
    c = Canvas(17, 17)
    border = {"normal": rgb("#8a8a8a"), "hover": ACCENT, "off": rgb("#c6c6c6")}[state]
    top, bottom = (rgb("#f6f6f6"), rgb("#f6f6f6")) if state == "off" else (rgb("#ffffff"), rgb("#e8e8e8"))
    c.paint(rect(2, 2, 15, 15, 2.5), border)
    c.paint(rect(3, 3, 14, 14, 1.6), vgradient(top, bottom, 3, 14))
    if checked:
        ink = GLYPH_OFF if state == "off" else rgb("#93401b")
        c.paint(polyline([(5.2, 8.8), (7.6, 11.3), (12.0, 5.6)], 1.05), ink)
    return c


def radio_cell(checked, state):
    c = Canvas(16, 16)
    border = {"normal": rgb("#8a8a8a"), "hover": ACCENT, "pressed": rgb("#7c4a30"), "off": rgb("#c6c6c6")}[state]
    if state == "pressed":
        top, bottom = rgb("#e0d3ca"), rgb("#f2ebe6")
    elif state == "off":
        top, bottom = rgb("#f6f6f6"), rgb("#f6f6f6")
    else:
        top, bottom = rgb("#ffffff"), rgb("#e8e8e8")
    c.paint(circle(8, 8, 6.5), border)
    c.paint(circle(8, 8, 5.5), vgradient(top, bottom, 2.5, 13.5))
    if checked:
        c.paint(circle(8, 8, 2.6), GLYPH_OFF if state == "off" else rgb("#c65f2a"))
    return c


def skin_checkboxes():
    c = Canvas(51, 34)
    for row, checked in enumerate((False, True)):
        for col, state in enumerate(("normal", "hover", "off")):
            c.draw(check_cell(checked, state), col * 17, row * 17)
    return c


def skin_radiobuttons():
    c = Canvas(64, 32)
    for row, checked in enumerate((False, True)):
        for col, state in enumerate(("normal", "hover", "pressed", "off")):
            c.draw(radio_cell(checked, state), col * 16, row * 16)
    return c


# --- the alarm tone ------------------------------------------------------------------------------

RATE = 44100


def tone_samples():
    """Phrases of four beeps, 880 and 1320 Hz in turn, each phrase followed by a rest.

    Long enough to outlast a whole fade-in without depending on the player's looping, which was seen
    to stop once on a cold start. The rest at the end is as long as the gap between phrases, so the
    file still loops without a seam."""
    beep, gap, rest, phrases = 0.11, 0.05, 0.56, 26
    out = []
    for _ in range(phrases):
        for i in range(4):
            freq = 880.0 if i % 2 == 0 else 1320.0
            n = int(beep * RATE)
            attack, release = int(0.006 * RATE), int(0.014 * RATE)
            for s in range(n):
                t = s / RATE
                env = 1.0
                if s < attack:
                    env = 0.5 - 0.5 * math.cos(math.pi * s / attack)
                elif s > n - release:
                    env = 0.5 - 0.5 * math.cos(math.pi * (n - s) / release)
                # A touch of the third harmonic carries on small speakers without turning shrill.
                v = math.sin(2 * math.pi * freq * t) + 0.12 * math.sin(6 * math.pi * freq * t)
                out.append(v * env / 1.12)
            out.extend([0.0] * int(gap * RATE))
        out.extend([0.0] * int(rest * RATE))
    return out


def write_alarm_tone(path):
    if not shutil.which("sox"):
        sys.exit("sox is needed for the alarm tone (packages sox and libsox-fmt-mp3)")
    samples = tone_samples()
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "tone.wav")
        with wave.open(wav, "wb") as f:
            f.setnchannels(1)
            f.setsampwidth(2)
            f.setframerate(RATE)
            frames = bytearray()
            for v in samples:
                s = int(round(v * 16000))
                frames += struct.pack("<h", s)
            f.writeframes(bytes(frames))
        ensure_dir(path)
        subprocess.run(["sox", "-V1", wav, "-C", "48", path, "norm", "-6"], check=True)
    return len(samples) / RATE


# --- putting it together -------------------------------------------------------------------------


def out(*parts):
    return os.path.join(ROOT, *parts)


def save_png(canvas, *parts):
    write_bytes(out(*parts), png_bytes(canvas.rgba8()))


def main():
    made = []

    icon32 = icon_canvas(32)
    ico = ico24_bytes(icon32.rgba8())
    assert len(ico) == 3262, len(ico)
    write_bytes(out("icons", "kestrune.ico"), ico)
    made.append("icons/kestrune.ico")
    for size in (32, 48, 64, 128, 256):
        canvas = icon32 if size == 32 else icon_canvas(size)
        save_png(canvas, "icons", "hicolor", "%dx%d" % (size, size), "apps", "kestrune.png")
        made.append("icons/hicolor/%dx%d/apps/kestrune.png" % (size, size))

    about = about_canvas()
    palette, indices = quantise(about.rgba8(), 32)
    write_bytes(out("images", "about.gif"), gif_bytes(indices, about.width, about.height, palette))
    made.append("images/about.gif")

    norm, hl, pressed, focus, disabled = skin_buttons()
    h_scroll = skin_scrollbar()
    v_scroll = h_scroll.transposed()
    menus = skin_menus()
    stored = {
        "topmask.bmp": skin_topmask(),
        "topbar.bmp": skin_topbar(),
        "button_norm.bmp": norm,
        "button_hl.bmp": hl,
        "button_pressed.bmp": pressed,
        "menus.bmp": menus,
        "border.bmp": skin_border(),
        "clientarea.bmp": skin_clientarea(),
        "h_scroll.bmp": h_scroll,
        "v_scroll.bmp": v_scroll,
        "Dialog.bmp": skin_dialog(),
        "checkboxes.tga": skin_checkboxes(),
        "radiobuttons.tga": skin_radiobuttons(),
    }
    sizes = {"topmask.bmp": (357, 24), "topbar.bmp": (357, 24), "button_norm.bmp": (75, 25),
             "button_hl.bmp": (75, 25), "button_pressed.bmp": (75, 25), "menus.bmp": (78, 19),
             "border.bmp": (12, 12), "clientarea.bmp": (5, 6), "h_scroll.bmp": (135, 15),
             "v_scroll.bmp": (15, 135), "Dialog.bmp": (70, 40), "checkboxes.tga": (51, 34),
             "radiobuttons.tga": (64, 32)}
    for name, canvas in stored.items():
        assert (canvas.width, canvas.height) == sizes[name], name
        rows = canvas.rgba8()
        write_bytes(out("skin", name), tga32_bytes(rows) if name.endswith(".tga") else bmp32_bytes(rows))
        write_bytes(out("skin", "png", os.path.splitext(name)[0] + ".png"), png_bytes(rows))
        made.append("skin/" + name)

    # Single parts for the style sheet, which cannot pick a cell out of a strip.
    parts = {"button_focus": focus, "button_disabled": disabled}
    for cell, label in enumerate(("bar", "hover", "open")):
        parts["menus-" + label] = menus.crop(cell * 26, 0, 26, 19)
    for cell, kind in enumerate(SCROLL_CELLS):
        parts["h_scroll-" + kind] = h_scroll.crop(cell * 15, 0, 15, 15)
        vkind = kind.replace("left", "up").replace("right", "down")
        parts["v_scroll-" + vkind] = v_scroll.crop(0, cell * 15, 15, 15)
    # The strip has room for one greyed arrow; its mirror images are the other three.
    left_off = h_scroll.crop(SCROLL_CELLS.index("left-off") * 15, 0, 15, 15)
    parts["h_scroll-right-off"] = left_off.mirrored()
    parts["v_scroll-down-off"] = left_off.transposed().flipped()
    for name, canvas in parts.items():
        save_png(canvas, "skin", "png", name + ".png")
        made.append("skin/png/%s.png" % name)

    seconds = write_alarm_tone(out("sounds", "alarm-tone.mp3"))
    made.append("sounds/alarm-tone.mp3 (%.2f s)" % seconds)

    for line in made:
        print(line)


if __name__ == "__main__":
    main()
