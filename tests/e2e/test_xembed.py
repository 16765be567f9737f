"""An X11 desktop with an XEmbed tray host (trayer) and dunst as the notification server, on a session bus and an X
server of its own (the accessibility bus a script first reads is the one it keeps, so this desktop is a script of its
own). The icon opens the program's own menu, once; one ring brings the window on screen, and its notification's OFF,
picked in dunst's own menu, silences and disarms."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kestrune_desktops import (Desktop, arm_by_accessibility, close_calls, dunst_count, installed,  # noqa: E402
                               ring_and_off_from_notification, settings_with_sound, shared_sound_env, wait_for)
from kestrune_e2e import SKIP, Kestrune, Results, binary_from_args, key, log, poll, screenshot  # noqa: E402
from test_tray import TRAYER, click_icon, map_state, showing, tray_icon, tray_menu, windows  # noqa: E402


def xembed_desktop_rings(results, binary):
    """trayer with dunst on a session bus of this case's own: one ring, its notification, OFF picked in dunst's menu;
    the icon still opens the program's own menu there, once."""
    with Desktop() as desktop:
        desktop.start_x()
        desktop.start_bus()
        desktop.spawn("trayer", TRAYER)
        desktop.start_dunst("OFF")
        app = Kestrune(binary, settings=settings_with_sound(desktop.folder), env=shared_sound_env())
        with app:
            icon = poll(tray_icon, 10)
            if not results.check("xembed: the icon is embedded", icon is not None, "an icon", icon):
                return
            menu = tray_menu(app)
            click_icon(icon, 3)
            results.equal("xembed: a right click opens the tray menu", True, bool(poll(lambda: showing(menu), 5)))
            popups = [w for w in windows() if w["top"] and '"kestrune"' in w["classes"] and w["h"] > 40
                      and w["name"] != "Kestrune" and map_state(w["id"]) == "IsViewable"]
            results.equal("xembed: one menu, not a second one of Qt's own", 1, len(popups))
            key("Escape")
            poll(lambda: not showing(menu), 5)
            ring_and_off_from_notification(results, desktop, app, screenshot, "xembed")
            exit_while_ringing(results, desktop, app)


def exit_while_ringing(results, desktop, app):
    """A program that ends while its notification is up takes the notification with it: its buttons would act on a
    program that is gone."""
    alarm = arm_by_accessibility(app)
    while time.time() < alarm:
        time.sleep(0.1)
    shown = wait_for(lambda: dunst_count() >= 1, 10)
    results.check("exit while ringing: the notification is up first", shown, ">= 1 displayed", dunst_count())
    closed_before = len(close_calls(desktop.watched()))
    app.process.terminate()  # SIGTERM: the same shutdown as Exit
    results.equal("exit while ringing: the program ends normally", 0, app.wait_exit(20))
    gone = wait_for(lambda: dunst_count() == 0, 10)
    results.check("exit while ringing: the notification is withdrawn", gone, "0 displayed", dunst_count())
    closed = len(close_calls(desktop.watched())) - closed_before
    results.check("exit while ringing: the program closed it itself", closed >= 1, "a CloseNotification call",
                  f"{closed} calls")


def main():
    binary = binary_from_args()
    missing = installed("Xvfb", "trayer", "dbus-daemon", "dunst", "dunstctl", "dbus-monitor", "xdotool", "xwininfo",
                        "convert", "sox")
    if missing:
        log(f"SKIP: {missing} is not installed")
        sys.exit(SKIP)
    results = Results("xembed")
    results.case(xembed_desktop_rings, binary)
    results.finish()


if __name__ == "__main__":
    main()
