#!/usr/bin/env python3
"""Draws Kestrune's pictures and renders its built-in alarm tone.

    python3 scripts/make-assets.py          # writes everything under assets/

Everything is drawn here from shapes (signed distances give the anti-aliasing) and written by the
small file writers in scripts/assets/, so the output is the same on every run. Only the alarm tone needs a tool
from outside: sox with its MP3 format, which encodes the tone this script synthesises.

Outputs:
  icons/kestrune.ico                     32x32, 24 bits per pixel with its 1-bit mask (3262 bytes)
  icons/hicolor/NxN/apps/kestrune.png    the same design for the desktop
  images/about.gif                       the About picture, 156x125, 32-colour global palette
  skin/*.bmp, skin/*.tga                 the thirteen images of the "Standard Skin", 32-bit pixels
  skin/png/*.png                         PNG copies of those, plus the single parts the style sheet uses
  sounds/alarm-tone.mp3                  the tone played when the chosen sound cannot be
  sounds/alarm-phrase.wav                one phrase of it, for the desktop's sound library
"""

import os
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets"))

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from assets.drawing import *  # noqa: E402,F401,F403
from assets.writers import *  # noqa: E402,F401,F403
from assets.icon import *  # noqa: E402,F401,F403
from assets.lettering import *  # noqa: E402,F401,F403
from assets.about import *  # noqa: E402,F401,F403
from assets.skin import *  # noqa: E402,F401,F403
from assets.tone import *  # noqa: E402,F401,F403


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
    # The menu's check boxes ("Start At Login"): off and on, each plain, under the mouse and greyed.
    checkboxes = stored["checkboxes.tga"]
    for row, checked in enumerate(("unchecked", "checked")):
        for col, state in enumerate(("", "-hover", "-off")):
            parts["checkbox-" + checked + state] = checkboxes.crop(col * 17, row * 17, 17, 17)
    # The strip has room for one greyed arrow; its mirror images are the other three.
    left_off = h_scroll.crop(SCROLL_CELLS.index("left-off") * 15, 0, 15, 15)
    parts["h_scroll-right-off"] = left_off.mirrored()
    parts["v_scroll-down-off"] = left_off.transposed().flipped()
    for name, canvas in parts.items():
        save_png(canvas, "skin", "png", name + ".png")
        made.append("skin/png/%s.png" % name)

    seconds = write_alarm_tone(out("sounds", "alarm-tone.mp3"))
    made.append("sounds/alarm-tone.mp3 (%.2f s)" % seconds)
    seconds = write_alarm_phrase(out("sounds", "alarm-phrase.wav"))
    made.append("sounds/alarm-phrase.wav (%.2f s)" % seconds)

    for line in made:
        print(line)


if __name__ == "__main__":
    main()
