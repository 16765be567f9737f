"""A StatusNotifierItem desktop on an X server of its own: status-notifier-watcher with gtk-sni-tray-standalone as the
tray host and dunst as the notification server, on a session bus of its own. The icon's menu is read over D-Bus as any
SNI host reads it (com.canonical.dbusmenu GetLayout) and a right click on the host's icon opens the host's menu, not a
second one of the program's; one ring brings the window on screen and its notification's OFF, picked in dunst's own
menu, disarms; "Exit" clicked through the exported menu ends the program."""

import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kestrune.desktops import Desktop, require_tools, ring_and_off_from_notification  # noqa: E402
from kestrune import (Results, _pyatspi, artifacts_folder, binary_from_args, find_named, log,  # noqa
                          click_at, poll, run, screenshot)


def dbus(*args):
    return run(["dbus-send", "--session", "--print-reply", *args])


def item_of(desktop):
    """The bus name of the one registered item, or None."""
    found = re.findall(r'string "([^"]+)"', desktop.watcher_property("RegisteredStatusNotifierItems"))
    return found[0].split("/")[0] if found else None


def menu_labels(item, path):
    """The labels of the exported menu's entries, a submenu's after its own, with their ids, separators as
    ('separator', id)."""
    layout = dbus(f"--dest={item}", path, "com.canonical.dbusmenu.GetLayout", "int32:0", "int32:-1",
                  "array:string:label,type")
    entries = []
    for block in layout.split("struct {")[2:]:
        ident = int(re.search(r"int32 (-?\d+)", block).group(1))
        label = re.search(r'string "label"\s+variant\s+string "([^"]*)"', block)
        kind = re.search(r'string "type"\s+variant\s+string "([^"]*)"', block)
        entries.append((kind.group(1) if kind else "standard", label.group(1) if label else "", ident))
    return entries


def popup_showing(app):
    menu = find_named(app.window("Kestrune"), "", "popup menu")
    return menu is not None and menu.getState().contains(_pyatspi().STATE_SHOWING)


def host_windows():
    return {w for w in re.findall(r"^\s+(0x[0-9a-f]+) .*gtk-sni-tray-standalone", run(["xwininfo", "-root", "-tree"]),
                                  re.M)}


def sni_desktop(results, binary):
    with Desktop() as desktop:
        with desktop.x11_with(desktop.start_sni_host, "OFF", binary) as app:
            item = poll(lambda: item_of(desktop), 15)
            if not results.check("the program registers an item with the watcher", item is not None, "one item",
                                 desktop.watcher_property("RegisteredStatusNotifierItems")):
                return
            title = dbus(f"--dest={item}", "/StatusNotifierItem", "org.freedesktop.DBus.Properties.Get",
                         "string:org.kde.StatusNotifierItem", "string:Title")
            results.check("the item's title is Kestrune", 'string "Kestrune"' in title, 'string "Kestrune"', title)
            path = re.search(r'object path "([^"]+)"', dbus(f"--dest={item}", "/StatusNotifierItem",
                                                            "org.freedesktop.DBus.Properties.Get",
                                                            "string:org.kde.StatusNotifierItem", "string:Menu"))
            path = path.group(1) if path else ""
            results.check("the item names a menu", path not in ("", "/NO_DBUSMENU"), "an object path", path)
            entries = menu_labels(item, path)
            results.equal("the exported menu holds the tray menu's items, with their mnemonics",
                          [("standard", "_Choose Alarm Sound"), ("standard", "_Try Alarm Sound"),
                           ("standard", "_Repeat"), ("standard", "_Once"), ("standard", "Every _Day"),
                           ("standard", "_Weekdays"), ("standard", "Week_ends"), ("separator", ""),
                           *[("standard", day) for day in ("Monday", "Tuesday", "Wednesday", "Thursday", "Friday",
                                                           "Saturday", "Sunday")],
                           ("standard", "Skip _Next Ring"),
                           ("standard", "Start At _Login"), ("standard", "_Options"), ("separator", ""),
                           ("standard", "E_xit")], [(kind, label) for kind, label, _ in entries])

            shot = screenshot(os.path.join(artifacts_folder() or desktop.folder, "sni-desktop.png"))
            log(f"screenshot {shot}")
            # The host draws the item as the first icon at the top left of its bar.
            icon = (15, 15)
            before = host_windows()
            click_at(*icon, 3)
            opened = poll(lambda: host_windows() - before, 5)
            results.check("a right click on the host's icon opens the host's menu", bool(opened),
                          "a new window of the host", opened)
            screenshot(os.path.join(artifacts_folder() or desktop.folder, "sni-menu.png"))
            time.sleep(1.0)
            results.equal("and not a second menu of the program's own", False, popup_showing(app))
            run(["xdotool", "key", "Escape"])
            time.sleep(0.5)

            do_tray = find_named(app.window("Kestrune"), "Tray", "push button")
            do_tray.queryAction().doAction(0)
            time.sleep(1.0)
            results.equal("Tray hides the main window (a tray is there)", [], app.windows("^Kestrune$"))
            click_at(*icon, 1)
            results.check("a left click on the icon shows it again", bool(poll(lambda: app.windows("^Kestrune$"), 5)),
                          "the window mapped", app.windows("^Kestrune$"))

            ring_and_off_from_notification(results, desktop, app, screenshot, "sni")

            exit_id = [ident for kind, label, ident in entries if label == "E_xit"]
            if not results.check("Exit has an id in the exported menu", bool(exit_id), "an id", entries):
                return
            dbus(f"--dest={item}", path, "com.canonical.dbusmenu.Event", f"int32:{exit_id[0]}", "string:clicked",
                 "variant:int32:0", f"uint32:{int(time.time())}")
            results.equal("Exit clicked through the exported menu ends the program", 0, app.wait_exit(15))
            with open(app.settings_path, "rb") as f:
                results.check("and saves the settings", len(f.read().splitlines()) == 1, "one line", "")


def main():
    binary = binary_from_args()
    require_tools("Xvfb", "dbus-daemon", "status-notifier-watcher", "gtk-sni-tray-standalone", "dunst", "dunstctl",
                  "dbus-monitor", "xdotool", "convert", "sox")
    results = Results("sni")
    results.case(sni_desktop, binary)
    results.finish()


if __name__ == "__main__":
    main()
