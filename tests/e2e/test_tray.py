"""The notification-area icon under a real tray host: embedded and painted, a left click brings back the main window
and only it, a right click opens the tray menu whose "Exit" ends the program, the icon comes back when the tray host
restarts, and without any tray host "Tray" leaves the window reachable. Each scenario runs on an X server of its own,
so stopping and restarting its tray host disturbs no other test."""

import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kestrune import (Kestrune, Results, _pyatspi, artifacts_folder, binary_from_args, click_at, find_named, key,  # noqa
                          log, poll, require_services, run, screenshot, skip_all)

TRAYER = ["trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "32",
          "--SetDockType", "true", "--transparent", "false", "--expand", "true"]
WINDOW_LINE = re.compile(r'^(\s*)(0x[0-9a-f]+) (?:"(.*)"|\(has no name\)): \((.*?)\)\s+(\d+)x(\d+)\S*\s+\+(-?\d+)\+(-?\d+)')


def start_xvfb():
    """Starts an X server on a display number it picks itself and returns (process, number) once it accepts
    clients. Guessing a free number from /tmp is not enough: the abstract socket namespace may be shared with other
    machines' servers, and a guessed number then reaches someone else's server, which later goes away."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                             "-noreset"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as announced:
        number = announced.readline().strip()  # written once the server listens; empty if it died first
    if not number.isdigit():
        xvfb.kill()
        xvfb.wait(10)
        raise RuntimeError("Xvfb did not start")
    return xvfb, int(number)


class PrivateDisplay:
    """An X server of this script's own, optionally with trayer on it; both stopped by their PIDs. While it is
    open, DISPLAY names it, for the program and for the tools alike."""

    def __init__(self, tray=True):
        self.saved = os.environ.get("DISPLAY")
        self.xvfb, self.number = start_xvfb()
        os.environ["DISPLAY"] = f":{self.number}"
        self.trayer = None
        if not poll(lambda: subprocess.run(["xdpyinfo"], stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL).returncode == 0, 10) or self.xvfb.poll() is not None:
            self.close()
            raise RuntimeError(f"Xvfb :{self.number} did not start")
        if tray:
            self.start_tray()

    def start_tray(self):
        self.trayer = subprocess.Popen(TRAYER, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop_tray(self):
        if self.trayer is not None:
            self.trayer.terminate()
            self.trayer.wait(10)
            self.trayer = None

    def close(self):
        self.stop_tray()
        self.xvfb.terminate()
        self.xvfb.wait(10)
        if self.saved is None:
            os.environ.pop("DISPLAY", None)
        else:
            os.environ["DISPLAY"] = self.saved

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False


def windows():
    """Every window below the root as a dict: id, name, classes, absolute x, y, size, whether it is top-level and
    whether it sits inside trayer's panel."""
    found, stack = [], []  # stack: (indent, inside the panel) of the windows enclosing the current line
    for line in run(["xwininfo", "-root", "-tree"]).splitlines():
        m = WINDOW_LINE.match(line)
        if not m:
            continue
        indent = len(m.group(1))
        while stack and stack[-1][0] >= indent:
            stack.pop()
        name, classes = m.group(3), m.group(4)
        inside = any(in_panel for _, in_panel in stack)
        found.append({"id": int(m.group(2), 16), "name": name, "classes": classes, "top": not stack,
                      "in_tray": inside, "w": int(m.group(5)), "h": int(m.group(6)), "x": int(m.group(7)),
                      "y": int(m.group(8))})
        stack.append((indent, inside or (name == "panel" and '"trayer"' in classes)))
    return found


def tray_icon():
    """Our icon's window inside the tray host, or None."""
    icons = [w for w in windows() if w["in_tray"] and '"kestrune"' in w["classes"] and w["w"] > 1]
    return icons[0] if icons else None


def map_state(window_id):
    return re.search(r"Map State: (\w+)", run(["xwininfo", "-id", str(window_id)])).group(1)


def wait_map_state(window_id, state, timeout=5):
    poll(lambda: map_state(window_id) == state, timeout)
    return map_state(window_id)


def click_icon(icon, button):
    click_at(icon["x"] + icon["w"] // 2, icon["y"] + icon["h"] // 2, button)


def keep(name):
    return os.path.join(artifacts_folder() or tempfile.gettempdir(), name)


def tray_menu(app):
    return find_named(app.window("Kestrune"), "", "popup menu")


def showing(accessible):
    return accessible.getState().contains(_pyatspi().STATE_SHOWING)


def icon_shows_the_main_window_only(results, binary):
    with PrivateDisplay(), Kestrune(binary) as app:
        icon = poll(tray_icon, 10)
        if not results.check("the icon is embedded in trayer's panel", icon is not None, "a kestrune window there",
                             icon):
            return
        shot = screenshot(keep("tray.png"))
        colours = run(["convert", shot, "-crop", f"{icon['w']}x{icon['h']}+{icon['x']}+{icon['y']}", "+repage",
                       "-format", "%k", "info:"])
        results.check("the icon is painted (more than a plain background)", int(colours) > 2, "> 2 colours",
                      f"{colours} colours at {icon['x']},{icon['y']} {icon['w']}x{icon['h']}, see {shot}")

        app.click("Command7")  # Options, so that a window is open that must stay hidden
        options = poll(lambda: app.windows("^Options$"), 5)
        # Both windows open centred and no window manager moves them: uncover the Tray button.
        run(["xdotool", "windowmove", str(options[0]), "0", "400"])
        app.click("Command5")  # Tray
        results.equal("Tray hides the main window", "IsUnMapped", wait_map_state(app.main_window, "IsUnMapped"))
        results.equal("Tray hides Options", [], app.windows("^Options$"))

        click_icon(icon, 1)
        results.equal("a left click on the icon shows the main window", "IsViewable",
                      wait_map_state(app.main_window, "IsViewable"))
        time.sleep(0.5)  # time for a window wrongly shown as well to appear
        results.equal("Options stays hidden", [], app.windows("^Options$"))
        results.equal("About stays hidden", [], app.windows("^About$"))


def menu_exit_ends_the_program(results, binary):
    with PrivateDisplay(), Kestrune(binary) as app:
        icon = poll(tray_icon, 10)
        if not results.check("the icon is embedded", icon is not None, "an icon", icon):
            return
        menu = tray_menu(app)
        results.equal("the tray menu is closed at first", False, showing(menu))
        before = {w["id"] for w in windows() if w["top"]}
        click_icon(icon, 3)
        results.equal("a right click opens the tray menu", True, bool(poll(lambda: showing(menu), 5)))
        items = [menu.getChildAtIndex(i) for i in range(menu.childCount)]
        results.equal("its items", [("menu item", "Choose Alarm Sound"), ("menu item", "Try Alarm Sound"),
                                    ("menu item", "Repeat"), ("menu item", "Skip Next Ring"),
                                    ("menu item", "Start At Login"), ("menu item", "Options"),
                                    ("separator", ""), ("menu item", "Exit")], [(i.getRoleName(), i.name) for i in items])
        popups = [w for w in windows() if w["top"] and w["id"] not in before and '"kestrune"' in w["classes"]
                  and map_state(w["id"]) == "IsViewable"]
        pointer = (icon["x"] + icon["w"] // 2, icon["y"] + icon["h"] // 2)
        results.check("it opens as a pop-up at the pointer",
                      len(popups) == 1 and popups[0]["x"] <= pointer[0] <= popups[0]["x"] + popups[0]["w"]
                      and abs(popups[0]["y"] - pointer[1]) <= 2, f"one new window at {pointer}", popups)
        screenshot(keep("tray-menu.png"))

        key("Up", "Return")  # from no item to the last, "Exit"
        results.equal("Exit from the tray menu ends the program", 0, app.wait_exit(15))
        with open(app.settings_path, "rb") as f:
            lines = f.read().splitlines()
        results.check("the settings file was written", len(lines) == 1, "one line", lines)
        results.equal("the icon is gone", None, tray_icon())


def icon_returns_when_the_tray_host_restarts(results, binary):
    with PrivateDisplay() as display, Kestrune(binary) as app:
        first = poll(tray_icon, 10)
        if not results.check("the icon is embedded", first is not None, "an icon", first):
            return
        display.stop_tray()
        results.equal("with trayer gone the icon is out of any panel", None, tray_icon())
        restarted = time.monotonic()
        display.start_tray()
        again = poll(tray_icon, 10)
        results.check("the icon is back once trayer runs again", again is not None, "an icon in the new panel",
                      f"{again} after {time.monotonic() - restarted:.1f} s")
        if again is None:
            return
        app.click("Command5")
        wait_map_state(app.main_window, "IsUnMapped")
        click_icon(again, 1)
        results.equal("the returned icon still brings the window back", "IsViewable",
                      wait_map_state(app.main_window, "IsViewable"))


def no_tray_host_keeps_the_window_reachable(results, binary):
    with PrivateDisplay(tray=False) as display, Kestrune(binary) as app:
        app.click("Command5")
        time.sleep(1)
        results.equal("without a tray host, Tray leaves the main window mapped (minimised, not hidden)",
                      "IsViewable", map_state(app.main_window))
        display.start_tray()
        icon = poll(tray_icon, 10)
        results.check("a tray host started later gets the icon", icon is not None, "an icon", icon)


def main():
    binary = binary_from_args()
    require_services()
    for tool in ("Xvfb", "trayer", "xdotool", "xwininfo", "convert"):
        if not any(os.access(os.path.join(d, tool), os.X_OK) for d in os.environ.get("PATH", "").split(os.pathsep)):
            skip_all(f"{tool} is not installed")
    results = Results("tray")
    results.case(icon_shows_the_main_window_only, binary)
    results.case(menu_exit_ends_the_program, binary)
    results.case(icon_returns_when_the_tray_host_restarts, binary)
    results.case(no_tray_host_keeps_the_window_reachable, binary)
    results.finish()


if __name__ == "__main__":
    main()
