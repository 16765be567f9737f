"""An X11 desktop with an XEmbed tray host (trayer) and dunst as the notification server, on a session bus and an X
server of its own (the accessibility bus a script first reads is the one it keeps, so this desktop is a script of its
own). The icon opens the program's own menu, once; one ring brings the window on screen, and its notification's OFF,
picked in dunst's own menu, silences and disarms. With the argument "gnome": GNOME's window manager (mutter) on X11
without a tray, with dunst: the menu opens from the keyboard (F10, Alt+M) and the boxes read whole over AT-SPI;
ON pressed over AT-SPI is announced as "Alarm Set"; "Tray" minimises the window, the user types into another program; the ring brings the window to the front with the
keyboard focus on "Sleep" as a screen reader hears it, a Space typed then does not snooze, the notification's Sleep
snoozes, the re-ring after another program was clicked is announced again, and the keyboard's OFF disarms, each
said to the screen reader, which hears a few events over the fade."""

import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kestrune.desktops import (Desktop, arm_by_accessibility, close_calls, do_action, dunst_context_menu,  # noqa
                               dunst_count, notify_calls, require_tools, ring_and_off_from_notification,
                               shared_sound_env)
from kestrune import (Kestrune, Results, _pyatspi, artifacts_folder, binary_from_args, far_alarm_text, find_named,  # noqa
                      key, log, poll, run, settings_line, wait_until, screenshot)
from test_tray import TRAYER, click_icon, map_state, showing, tray_icon, tray_menu, windows  # noqa: E402


def xembed_desktop_rings(results, binary):
    """trayer with dunst on a session bus of this case's own: one ring, its notification, OFF picked in dunst's menu;
    the icon still opens the program's own menu there, once."""
    with Desktop() as desktop:
        with desktop.x11_with(lambda: desktop.spawn("trayer", TRAYER), "OFF", binary) as app:
            icon = poll(tray_icon, 10)
            if not results.check("xembed: the icon is embedded", icon is not None, "an icon", icon):
                return
            menu = tray_menu(app)
            click_icon(icon, 3)
            results.equal("xembed: a right click opens the tray menu", True, bool(poll(lambda: showing(menu), 5)))
            popups = [w for w in windows() if w["top"] and '"kestrune"' in w["classes"] and w["h"] > 40
                      and w["id"] != app.main_window and map_state(w["id"]) == "IsViewable"]
            results.equal("xembed: one menu, not a second one of Qt's own", 1, len(popups))
            key("Escape")
            poll(lambda: not showing(menu), 5)
            ring_and_off_from_notification(results, desktop, app, screenshot, "xembed")
            exit_while_ringing(results, desktop, app)
        login_start_offers_set(results, desktop, binary)


def login_start_offers_set(results, desktop, binary):
    """Started as the login entry starts it: in the tray, with the restored alarm not set and a notification saying
    so; its Set arms the alarm as ON does."""
    alarm_text = far_alarm_text()
    app = Kestrune(binary, settings=settings_line(os.path.join(desktop.folder, "tone.mp3"), alarm_text),
                   env=shared_sound_env(), args=["--tray", "%U"])  # a field code a launcher left over is ignored
    try:
        app.start_process()
        body = f"Alarm {alarm_text} is not set"
        sent = poll(lambda: [c for c in notify_calls(desktop.watched()) if body in c], 30, 0.2) or [""]
        results.check("login start: a notification says the alarm is not set and offers Set",
                      'string "set"\n      string "Set"' in sent[0], body, sent[0])
        results.equal("login start: the window stays in the tray", [], app.windows("^Kestrune$"))
        poll(lambda: dunst_count() >= 1, 10, 0.2)
        desktop.pick("Set")
        dunst_context_menu()
        time.sleep(1)
        click_icon(poll(tray_icon, 10), 1)
        app.main_window = poll(app._find_main_window, 10)
        poll(app.application, 30, 0.3)
        results.equal("login start: Set arms the alarm", "Alarm Set", app.wait_text("Text5", "Alarm Set"))
    finally:
        app.stop()


def exit_while_ringing(results, desktop, app):
    """A program that ends while its notification is up takes the notification with it: its buttons would act on a
    program that is gone."""
    alarm = arm_by_accessibility(app)
    wait_until(alarm, app)
    shown = poll(lambda: dunst_count() >= 1, 10, 0.2)
    results.check("exit while ringing: the notification is up first", shown, ">= 1 displayed", dunst_count())
    closed_before = len(close_calls(desktop.watched()))
    app.process.terminate()  # SIGTERM: the same shutdown as Exit
    results.equal("exit while ringing: the program ends normally", 0, app.wait_exit(20))
    gone = poll(lambda: dunst_count() == 0, 10, 0.2)
    results.check("exit while ringing: the notification is withdrawn", gone, "0 displayed", dunst_count())
    closed = len(close_calls(desktop.watched())) - closed_before
    results.check("exit while ringing: the program closed it itself", closed >= 1, "a CloseNotification call",
                  f"{closed} calls")


def wm_state(window):
    found = re.search(r"window state: (\w+)", run(["xprop", "-id", str(window), "WM_STATE"], check=False))
    return found.group(1) if found else None


def active_window():
    return run(["xdotool", "getactivewindow", "getwindowname"], check=False).strip()


# A GTK program: it tells the window manager the time of each key typed into it, as a desktop's programs do.
OTHER = """import gi; gi.require_version("Gtk", "3.0"); from gi.repository import Gtk
w = Gtk.Window(title="another program"); w.add(Gtk.Entry()); w.move(5, 5); w.show_all(); Gtk.main()"""


def gnome_x11_rings(results, binary):
    """mutter as the window manager on X11, no tray, dunst for the notifications."""
    with Desktop() as desktop:
        program = desktop.x11_with(desktop.start_mutter_x11, "Sleep", binary)
        program.extra_env["XDG_CURRENT_DESKTOP"] = "GNOME"  # Qt then loads its GNOME theme, which starts GTK
        with program as app:
            window = app.main_window
            results.equal("gnome: the X11 class names the desktop entry's StartupWMClass",
                          'WM_CLASS(STRING) = "kestrune", "Kestrune"', run(["xprop", "-id", str(window),
                                                                             "WM_CLASS"]).strip())
            desktop.monitor("interface='org.freedesktop.Notifications'")
            desktop.listen_atspi(app.process.pid)
            listed = [(a.name, a.childCount) for a in _pyatspi().Registry.getDesktop(0)
                      if a.get_process_id() == app.process.pid]
            results.equal("gnome: one application to a screen reader, with the window", [("Kestrune", 1)], listed)
            results.equal("gnome: the hidden volume bar is not in its tree", None, find_named(app.application(),
                                                                                            "Volume"))
            boxes_read_whole(results, app)
            keyboard_reaches_the_menu(results, app)
            alarm = arm_by_accessibility(app)
            results.check("gnome: a screen reader hears that it is set", poll(lambda: announced(desktop, "Alarm Set"), 5),
                          "Alarm Set", desktop.atspi_events()[-5:])
            do_action(app.control("Command5"))  # Tray
            results.equal("gnome: without a tray, Tray minimises under mutter", "Iconic",
                          poll(lambda: wm_state(window) == "Iconic" and "Iconic", 5) or wm_state(window))
            desktop.spawn("other", ["/usr/bin/python3", "-c", OTHER], env=dict(os.environ, NO_AT_BRIDGE="1"))
            other = poll(lambda: run(["xdotool", "search", "--onlyvisible", "--name", "another program"]).split(), 20)
            run(["xdotool", "mousemove", "--window", other[0], "20", "10", "click", "1", "sleep", "0.5", "key", "x"])
            results.equal("gnome: another program has the focus before the ring", "another program", active_window())
            wait_until(alarm - 1, app)
            ring_events = len(desktop.atspi_events())
            results.equal("gnome: the ring brings the window back", "Normal",
                          poll(lambda: wm_state(window) == "Normal" and "Normal", 8) or wm_state(window))
            poll(lambda: active_window() == "Kestrune", 8, 0.05)
            key("space")  # meant for the other program, typed as the window comes forward
            results.equal("gnome: the ring takes the focus from the other program", "Kestrune", active_window())
            text = time.strftime("%H:%M:%S", time.localtime(alarm))
            heard = poll(lambda: [e for e in desktop.atspi_events() if e[1] == "Sleep"
                                  and e[0] == "object:state-changed:focused" and e[3] == "1"], 8)
            results.check("gnome: a screen reader hears the focus move to Sleep at the ring", bool(heard),
                          "object:state-changed:focused on Sleep", desktop.atspi_events())
            results.check("gnome: and the alarm, announced", bool(poll(lambda: announced(desktop, f"Alarm {text}"), 5)),
                          f"a notification 'Alarm {text}'", desktop.atspi_events()[-8:])
            time.sleep(1.0)
            shot = screenshot(os.path.join(artifacts_folder() or desktop.folder, "gnome-x11-ring.png"))
            log(f"screenshot {shot}")

            calls = poll(lambda: notify_calls(desktop.watched()), 10, 0.2) or [""]
            resident = re.search(r'string "resident"\s+variant\s+boolean true', calls[0])
            results.check("gnome: the notification is resident", bool(resident), "resident true", calls[0])
            time.sleep(1.0)
            results.equal("gnome: a Space typed as the window came forward does not snooze", [],
                          [c for c in notify_calls(desktop.watched()) if "Snoozed until" in c])
            fade = desktop.atspi_events()[ring_events:]
            results.check("gnome: a screen reader hears a few events over the ring, none of the hidden volume bar",
                          len(fade) < 60 and not [e for e in fade if e[1] == "Volume"], "fewer than 60", len(fade))
            dunst_context_menu()  # Sleep, picked in dunst's menu
            snoozed = poll(lambda: [c for c in notify_calls(desktop.watched()) if "Snoozed until" in c], 10, 0.2)
            results.check("gnome: Sleep from the notification turns it into the snooze", bool(snoozed),
                          "a Notify with 'Snoozed until'", notify_calls(desktop.watched()))
            until = re.search(r"Snoozed until \d\d:\d\d:\d\d", snoozed[-1] if snoozed else "")
            results.check("gnome: a screen reader hears when it rings again", until and poll(
                lambda: announced(desktop, until.group(0)), 5), until, desktop.atspi_events()[-5:])
            if snoozed:
                results.check("gnome: the snooze offers OFF and no Sleep",
                              'string "OFF"' in snoozed[-1] and 'string "Sleep"' not in snoozed[-1], "OFF only",
                              snoozed[-1])
            results.equal("gnome: Sleep from the notification snoozes (the alarm stays armed)", True,
                          app.enabled("Command2"))
            run(["dunstctl", "close-all"])
            time.sleep(1.5)
            results.equal("gnome: a notification closed by the user changes nothing (still armed)", "Alarm Set",
                          app.text("Text5"))
            results.equal("gnome: nor ends the snooze (Sleep still offered)", True, app.enabled("Command3"))
            # Another program is clicked during the snooze; the re-ring finds the focus on Sleep where it was.
            run(["xdotool", "mousemove", "--window", other[0], "20", "10", "click", "1"])
            heard_before = len(desktop.atspi_events())
            results.check("gnome: the re-ring is announced too, though the focus stands on Sleep", poll(
                lambda: announced(desktop, f"Alarm {text}", heard_before), 75, 0.5), f"a notification 'Alarm {text}'",
                desktop.atspi_events()[heard_before:][-8:])
            time.sleep(1.2)  # Space and Enter reach OFF a second after the window came in front
            key("shift+Tab", "space")  # from Sleep to OFF and press it, by keyboard as a blind user goes
            results.equal("gnome: OFF by keyboard disarms", "Not Set", app.wait_text("Text5", "Not Set", 10))
            results.check("gnome: a screen reader hears that it is off", poll(lambda: announced(desktop, "Not Set"), 5),
                          "Not Set", desktop.atspi_events()[-5:])


def announced(desktop, text, since=0):
    """The events of a notification-role element saying `text`, as a screen reader hears an announcement."""
    return [e for e in desktop.atspi_events()[since:] if e[1] == text and e[2] == "notification"]


def keyboard_reaches_the_menu(results, app):
    """Alt with the menu's mnemonic opens it; F10 opens it too, and the arrow keys and Enter reach About on the bar."""
    menu = tray_menu(app)
    # Once more if need be: now and then the window manager drops the first synthesised Alt key.
    opened = any(key("alt+m") or poll(lambda: showing(menu), 3) for _ in range(2))
    results.equal("gnome: Alt+M opens the menu", True, opened)
    key("Escape", "Escape")
    poll(lambda: not showing(menu), 5)
    key("F10")
    results.equal("gnome: F10 opens the menu", True, bool(poll(lambda: showing(menu), 5)))
    key("Right", "Return")  # from Menu to About on the bar, picked
    results.check("gnome: the arrow keys and Enter reach About", poll(lambda: app.top_levels("About"), 10),
                  "an About window", [c.name for c in app.top_levels()])
    key("Escape")


def boxes_read_whole(results, app):
    """Tab selects all of the alarm box, which reads whole: one run of one style (runs of no length made Orca drop the
    last character), and its last word is answered (the question once froze the program)."""
    text = far_alarm_text()
    app.control("Text2").queryEditableText().setTextContents(text)
    app.control("Text1").queryComponent().grabFocus()
    key("Tab")  # from the clock into the alarm box, which selects it all
    box = app.control("Text2").queryText()
    poll(lambda: box.getNSelections() == 1, 5)
    start, end = box.getSelection(0) if box.getNSelections() else (0, 0)
    results.equal("gnome: the alarm box reads whole: selected, in one run, and its last word",
                  (text, (0, 8), ("", 8, 8)), (box.getText(start, end), tuple(box.getAttributes(box.caretOffset)[1:]),
                                               tuple(box.getTextAtOffset(8, _pyatspi().TEXT_BOUNDARY_WORD_START))))


def main():
    binary = binary_from_args()
    require_tools("Xvfb", "trayer", "dbus-daemon", "dunst", "dunstctl", "dbus-monitor", "xdotool", "xwininfo", "convert",
                  "sox")
    # pyatspi keeps the first accessibility bus it reads: each desktop is a run of its own.
    if sys.argv[2:] == ["gnome"]:
        require_tools("mutter")
        results = Results("gnome_x11")
        results.case(gnome_x11_rings, binary)
        results.finish()
    results = Results("xembed")
    results.case(xembed_desktop_rings, binary)
    results.finish()


if __name__ == "__main__":
    main()
