"""Lettering for the About picture, drawn from strokes."""


from .drawing import *  # noqa: F401,F403
from .writers import *  # noqa: F401,F403
from .icon import *  # noqa: F401,F403


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
