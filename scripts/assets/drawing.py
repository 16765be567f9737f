"""Colours, shapes by signed distance (which give the anti-aliasing) and the canvas they are drawn on."""

import math


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
