"""The main window as a user sees it: its size below the menu bar, a clock that shows the local time and moves on
every second, the status box and the menu bar. Read over AT-SPI, the way assistive technology reads it."""

import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kestrune import (Kestrune, Results, all_text, artifacts_folder, binary_from_args, extents, find_named,  # noqa
                          pixel, poll, require_services, screenshot, window_geometry)

CLIENT_WIDTH, CLIENT_HEIGHT = 360, 136  # 5400 x 2040 twips
LIGHT_YELLOW = (255, 255, 192)


def time_texts(start, end):
    """Every local time text HH:MM:SS from one wall-clock moment to another, a second of slack either side."""
    texts = set()
    t = int(start) - 1
    while t <= int(end) + 1:
        texts.add(time.strftime("%H:%M:%S", time.localtime(t)))
        t += 1
    return texts


def seconds_of(text):
    h, m, s = (int(part) for part in text.split(":"))
    return h * 3600 + m * 60 + s


def start(results, app):
    app.start()
    results.check("a window named Kestrune appears", app.main_window is not None, "a window", app.main_window)


def window_size(results, app):
    geometry = window_geometry(app.main_window)
    window = app.window("Kestrune")
    menu_bar = find_named(window, "", "menu bar")
    results.check("a menu bar is on the main window", menu_bar is not None, "a menu bar", menu_bar)
    _, bar_y, bar_w, bar_h = extents(menu_bar)
    results.check("the menu bar is at the top of the window", bar_y == geometry["y"] and bar_h > 0,
                  f"at y={geometry['y']} with a height", f"at y={bar_y}, height {bar_h}")
    results.equal("window width", CLIENT_WIDTH, geometry["width"])
    results.equal("window height minus the menu bar", CLIENT_HEIGHT, geometry["height"] - bar_h)
    client = [window.getChildAtIndex(i) for i in range(window.childCount)]
    client = [c for c in client if c is not None and c.getRoleName() != "menu bar"]
    results.check("the client area lies just below the menu bar, 360 x 136",
                  len(client) == 1 and extents(client[0])[1:] == (bar_y + bar_h, CLIENT_WIDTH, CLIENT_HEIGHT),
                  f"one area at y={bar_y + bar_h}, {CLIENT_WIDTH} x {CLIENT_HEIGHT}",
                  [(c.getRoleName(), extents(c)) for c in client])


def clock_shows_local_time(results, app):
    # The box is empty until the clock's first tick, a second at most after the window is created.
    filled = poll(lambda: app.text("Text1"), 3, 0.05)
    results.check("the clock box is filled within a second or so of the window appearing", bool(filled),
                  "a time within 3 s", repr(app.text("Text1")))
    before = time.time()
    shown = app.text("Text1")
    after = time.time()
    expected = time_texts(before, after)
    results.check("the clock box shows the local time (within a second)", shown in expected, sorted(expected),
                  repr(shown))


def clock_moves_every_second(results, app):
    readings = []  # (text, moment before reading, moment after)
    end = time.time() + 3.6
    while time.time() < end:
        before = time.time()
        text = app.text("Text1")
        readings.append((text, before, time.time()))
        time.sleep(0.1)
    wrong = [r for r in readings if r[0] not in time_texts(r[1], r[2])]
    results.check("every reading over 3.6 s is the local time", not wrong, "HH:MM:SS within a second",
                  f"{len(wrong)} off: {wrong[:3]}")
    shown = []
    for text, _, _ in (r for r in readings if r[0].count(":") == 2):
        if not shown or shown[-1] != text:
            shown.append(text)
    steps = [(seconds_of(b) - seconds_of(a)) % 86400 for a, b in zip(shown, shown[1:])]
    results.check("the clock changed at least three times in 3.6 s, one second at a time",
                  len(steps) >= 3 and all(step == 1 for step in steps), "3 or more steps of 1 s",
                  f"texts {shown}")


def status_and_menu(results, app):
    results.equal("the status box", "Not Set", app.text("Text5"))
    bar = find_named(app.window("Kestrune"), "", "menu bar")
    entries = [bar.getChildAtIndex(i).name for i in range(bar.childCount)]
    results.equal("menu bar entries", ["Menu", "About"], entries)
    menu = find_named(bar, "Menu", "menu item")
    popup = menu.getChildAtIndex(0) if menu is not None and menu.childCount else None
    items = [popup.getChildAtIndex(i).name for i in range(popup.childCount)] if popup is not None else []
    results.equal("items of Menu (the separator has no name)", ["Choose Alarm Sound", "Try Alarm Sound", "Repeat", "Skip Next Ring",
                   "Start At Login", "Options", "", "Exit"],
                  items)


def clock_box_drawn(results, app):
    shot = os.path.join(app.folder, "main-window.png")
    screenshot(shot)
    folder = artifacts_folder()
    if folder:
        shutil.copy(shot, os.path.join(folder, "main-window.png"))
    # Beside the centred time text the box shows its background.
    x, y, w, h = extents(app.control("Text1"))
    results.equal("the clock box is drawn in light yellow", LIGHT_YELLOW, pixel(shot, x + 4, y + h // 2))


def zone_file_is_a_pipe(results, binary):
    """TZ naming a named pipe, which the C library would wait on for ever: the window comes, and a box and the log
    say once that the clock runs on UTC."""
    pipe = os.path.join(tempfile.mkdtemp(prefix="kestrune-zone-"), "zone")
    os.mkfifo(pipe)
    app = Kestrune(binary, env={"TZ": ":" + pipe})
    try:
        app.start()
        boxes = poll(lambda: app.top_levels("Kestrune")[1:], 20, 0.2) or []
        words = " ".join(all_text(boxes[0])) if boxes else ""
        results.check("a box says the zone file is not used", pipe in words and "UTC" in words, pipe, words)
        results.equal("the log says so once", 1, app.output().count("is not used"))
    finally:
        app.stop()
        shutil.rmtree(os.path.dirname(pipe), ignore_errors=True)


def main():
    binary = binary_from_args()
    require_services()
    results = Results("e2e_clock")
    app = Kestrune(binary)
    try:
        results.case(start, app)
        if app.main_window:
            for case in (window_size, clock_shows_local_time, clock_moves_every_second, status_and_menu,
                         clock_box_drawn):
                results.case(case, app)
    finally:
        app.stop()
    results.case(zone_file_is_a_pipe, binary)
    results.finish()


if __name__ == "__main__":
    main()
