"""The "Standard Skin": buttons, menus, border, scroll bars, dialog, check boxes and radio buttons."""


from .drawing import *  # noqa: F401,F403
from .writers import *  # noqa: F401,F403
from .icon import *  # noqa: F401,F403
from .lettering import *  # noqa: F401,F403
from .about import *  # noqa: F401,F403


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
