"""A native Wayland desktop without a tray: a headless weston, the program on Qt's Wayland platform, a session bus of
its own with dunst as the notification server (dunst draws on a private X server; weston offers it no layer shell).
"Tray" minimises there, and one ring must still bring the window on screen, as weston's own screenshot shows, with
its notification's OFF, picked in dunst's menu, silencing and disarming."""

import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kestrune.desktops import (Desktop, require_tools, ring_and_off_from_notification, settings_with_sound,  # noqa: E402
                               shared_sound_env)
from kestrune import Kestrune, Results, accessible_name, binary_from_args, find_named, log, skip_all  # noqa: E402


class WaylandKestrune(Kestrune):
    """The program on the Wayland display: found over AT-SPI alone, since no X tool sees its windows."""

    def _find_main_window(self):
        if self.process.poll() is not None:
            return None
        self._app = None
        return "wayland" if self.application() is not None else None  # True would read as "ended"

    def windows(self, name_regex):
        return []


def wayland_desktop(results, binary):
    with Desktop() as desktop:
        desktop.start_x()  # dunst's only
        desktop.start_bus()
        desktop.start_dunst("OFF")
        desktop.start_weston()
        # The client's side of the protocol on its log: the app id it gives its window.
        env = dict(shared_sound_env(), QT_QPA_PLATFORM="wayland", WAYLAND_DISPLAY=os.environ["WAYLAND_DISPLAY"],
                   XDG_RUNTIME_DIR=desktop.runtime, WAYLAND_DEBUG="client")
        env.pop("DISPLAY", None)
        app = WaylandKestrune(binary, settings=settings_with_sound(desktop.folder), env=env)
        with app:
            status = find_named(app.window("Kestrune"), *accessible_name("Kestrune", "Text5"))
            results.check("its main window is on the accessibility bus", status is not None, "the status box",
                          status)
            app_ids = set(re.findall(r'set_app_id\("([^"]*)"\)', app.output()))
            results.equal("its app id is the desktop entry's name", {"org.kestrune.Kestrune"}, app_ids)
            ring_and_off_from_notification(results, desktop, app, desktop.weston_screenshot, "wayland")


def main():
    binary = binary_from_args()
    require_tools("weston", "weston-screenshooter", "Xvfb", "dbus-daemon", "dunst", "dunstctl", "dbus-monitor", "convert",
                  "sox")
    if not os.path.exists("/usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqwayland-generic.so") and \
            not any(os.path.exists(os.path.join(d, "platforms", "libqwayland-generic.so"))
                    for d in os.environ.get("QT_PLUGIN_PATH", "").split(os.pathsep) if d):
        skip_all("Qt's Wayland platform (qt6-wayland) is not installed")
    results = Results("wayland")
    results.case(wayland_desktop, binary)
    results.finish()


if __name__ == "__main__":
    main()
