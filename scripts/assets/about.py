"""The About picture and its reduction to a 32-colour palette."""

import math

from .drawing import *  # noqa: F401,F403
from .writers import *  # noqa: F401,F403
from .icon import *  # noqa: F401,F403
from .lettering import *  # noqa: F401,F403


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
