"""The program icon."""

import math

from .drawing import *  # noqa: F401,F403
from .writers import *  # noqa: F401,F403


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
