"""Private desktops for the end-to-end tests that need servers of their own: a session bus with its accessibility
bus, an X server, a StatusNotifierItem host, a notification server (dunst), a headless Wayland compositor (weston),
GNOME's window manager (mutter) and a PipeWire sound server.
Nothing here touches the shared services of scripts/services.sh: a watcher or a notification server on the shared
bus would change what every other test sees. Every process is started here and stopped by its PID.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from .app import Kestrune, settings_line, wait_until
from .audio import server_answers
from .base import log, poll, run, skip_all, stop_process

# The buses' setup: no service folders, so only what a test starts answers on them.
BUS_CONFIG = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "session-bus.conf")


def dbus_call(bus, service, path, interface, method, signature="", args=()):
    """A method call through dbus-python (Debian's python3-dbus, which python3-dbusmock brings) on the system or
    session bus that the environment names now."""
    import dbus
    address = os.environ["DBUS_SYSTEM_BUS_ADDRESS" if bus == "system" else "DBUS_SESSION_BUS_ADDRESS"]
    connection = dbus.bus.BusConnection(address)
    try:
        return connection.call_blocking(service, path, interface, method, signature, args, timeout=10)
    finally:
        connection.close()


def require_tools(*tools):
    """Skips the run, saying which, unless every one of these tools is on PATH."""
    for tool in tools:
        if shutil.which(tool) is None:
            skip_all(f"{tool} is not installed")


class Desktop:
    """One private desktop. Its processes are listed in start order and stopped in reverse. While it is open, the
    environment names its bus and its display, for the program and the tools alike."""

    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="kestrune-desktop-")
        self.runtime = os.path.join(self.folder, "runtime")
        os.makedirs(self.runtime, mode=0o700)
        self.processes = []
        self.saved = {name: os.environ.get(name) for name in
                      ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR",
                       "QT_QPA_PLATFORM", "DBUS_SYSTEM_BUS_ADDRESS")}

    def spawn(self, name, args, **kwargs):
        log_file = open(os.path.join(self.folder, f"{name}.log"), "wb")
        process = subprocess.Popen(args, stdout=log_file, stderr=subprocess.STDOUT, **kwargs)
        log_file.close()
        self.processes.append((name, process))
        return process

    def log_of(self, name):
        try:
            with open(os.path.join(self.folder, f"{name}.log"), "rb") as f:
                return f.read().decode(errors="replace")
        except OSError:
            return ""

    # ------------------------------------------------------------------------------------------------ servers

    def start_dbus(self, name, config=BUS_CONFIG):
        """A dbus-daemon with this setup; returns its address."""
        read_end, write_end = os.pipe()
        bus = subprocess.Popen(["dbus-daemon", f"--config-file={config}", "--nofork", "--nopidfile",
                                f"--print-address={write_end}"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as announced:
            address = announced.readline().strip()
        if not address:
            bus.kill()
            raise RuntimeError(f"dbus-daemon ({name}) did not start")
        self.processes.append((name, bus))
        return address

    def start_bus(self):
        """A session bus of its own, then the accessibility bus on it (AT-SPI finds applications through it)."""
        address = self.start_dbus("dbus")
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
        os.environ["XDG_RUNTIME_DIR"] = self.runtime
        self.spawn("atspi", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        if not poll(lambda: self.has_name("org.a11y.Bus"), 10):
            raise RuntimeError("the accessibility bus did not start")

    def start_x(self):
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten",
                                 "tcp", "-noreset"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as announced:
            number = announced.readline().strip()
        if not number.isdigit():
            xvfb.kill()
            raise RuntimeError("Xvfb did not start")
        self.processes.append(("xvfb", xvfb))
        os.environ["DISPLAY"] = f":{number}"
        if not poll(lambda: subprocess.run(["xdpyinfo"], stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL).returncode == 0, 10):
            raise RuntimeError(f"Xvfb :{number} does not answer")

    def start_sni_host(self):
        """status-notifier-watcher and a real host drawing the items at the top of the screen."""
        self.spawn("watcher", ["status-notifier-watcher"])
        if not poll(lambda: self.has_name("org.kde.StatusNotifierWatcher"), 15):
            raise RuntimeError(f"no StatusNotifierWatcher on the bus:\n{self.log_of('watcher')}")
        self.spawn("sni-host", ["gtk-sni-tray-standalone", "--top"])
        if not poll(lambda: "true" in self.watcher_property("IsStatusNotifierHostRegistered"), 15):
            raise RuntimeError(f"the SNI host did not register:\n{self.log_of('sni-host')}")

    def start_dunst(self, pick):
        """dunst on this desktop's X display. Its context menu runs a 'dmenu' of ours: it writes down the offered
        lines to menu-offered.txt and answers with the first line that contains `pick`."""
        self.offered_path = os.path.join(self.folder, "menu-offered.txt")
        self.pick_path = os.path.join(self.folder, "pick.txt")
        self.pick(pick)
        chooser = os.path.join(self.folder, "choose")
        with open(chooser, "w") as f:
            f.write(f'#!/bin/sh\ntee "{self.offered_path}" | grep -m 1 -F -- "$(cat "{self.pick_path}")"\n')
        os.chmod(chooser, 0o755)
        config = os.path.join(self.folder, "dunstrc")
        with open(config, "w") as f:
            f.write("[global]\n"
                    f"    dmenu = {chooser}\n"
                    "    show_indicators = yes\n"
                    "[urgency_critical]\n"
                    "    timeout = 0\n")
        self.spawn("dunst", ["dunst", "-config", config])
        if not poll(lambda: self.has_name("org.freedesktop.Notifications"), 15):
            raise RuntimeError(f"dunst did not take the notification service:\n{self.log_of('dunst')}")

    def pick(self, action):
        """What dunst's menu picks the next time it is opened."""
        with open(self.pick_path, "w") as f:
            f.write(action)

    def start_mutter_x11(self):
        """GNOME's window manager on this desktop's X server."""
        # Off the accessibility bus: a window manager that answers it late stalls every reader that walks it.
        self.spawn("mutter", ["mutter", "--x11", "--replace", "--sm-disable"], env=dict(os.environ, NO_AT_BRIDGE="1"))
        if not poll(lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in run(["xprop", "-root"], check=False), 20):
            raise RuntimeError(f"mutter did not take the X server:\n{self.log_of('mutter')}")

    def x11_with(self, start_host, dunst_action, binary):
        """An X server and a session bus, what start_host() brings (a panel, a window manager), dunst answering
        with `dunst_action`, and the program (not started yet) with a short tone as its sound."""
        self.start_x()
        self.start_bus()
        start_host()
        self.start_dunst(dunst_action)
        return Kestrune(binary, settings=settings_with_sound(self.folder), env=shared_sound_env())

    def start_pipewire(self):
        """pipewire, wireplumber and pipewire-pulse in this desktop's runtime folder, with the null sink test_sink;
        PULSE_SERVER names it to pactl, parecord and the program."""
        env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime)
        env.pop("PULSE_SERVER", None)
        self.spawn("pipewire", ["pipewire"], env=env)
        wireplumber = self.spawn("wireplumber", ["wireplumber"], env=env)
        self.spawn("pipewire-pulse", ["pipewire-pulse"], env=env)
        server = "unix:" + os.path.join(self.runtime, "pulse", "native")
        if not server_answers(server):
            raise RuntimeError("pipewire-pulse does not answer:\n" + self.log_of("pipewire") +
                               self.log_of("pipewire-pulse"))
        run(["pactl", "-s", server, "load-module", "module-null-sink", "sink_name=test_sink", "rate=44100",
             "channels=2"])

        def made_default():
            run(["pactl", "-s", server, "set-default-sink", "test_sink"])
            return "Default Sink: test_sink" in run(["pactl", "-s", server, "info"])

        if not poll(made_default, 10, interval=0.3):
            # WirePlumber, which keeps the default sink, ends at start where the machine has no logind's
            # folders in /run (a chroot or a container): nothing here can stand in for it.
            if wireplumber.poll() is not None:
                lines = self.log_of("wireplumber").strip().splitlines()
                skip_all(f"WirePlumber ended at its start: {lines[-2] if len(lines) > 1 else lines}")
            raise RuntimeError("pipewire-pulse takes no default sink:\n" + self.log_of("wireplumber"))
        self.saved.setdefault("PULSE_SERVER", os.environ.get("PULSE_SERVER"))
        os.environ["PULSE_SERVER"] = server
        return server

    def listen_atspi(self, pid):
        """Records every AT-SPI event of one process, as a screen reader hears them, into atspi-events.log (read
        with atspi_events())."""
        process = self.spawn("atspi-events", ["/usr/bin/python3", "-m", "kestrune.desktops", "atspi-events", str(pid)],
                             cwd=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
        time.sleep(2.0)  # registered with the registry before anything is expected
        return process

    def atspi_events(self):
        return [line.split("\t") for line in self.log_of("atspi-events").splitlines() if line.count("\t") == 3]

    def start_weston(self):
        """A headless Wayland compositor; screenshots need its --debug protocol."""
        socket = "kestrune-wayland"
        self.spawn("weston", ["weston", "--backend=headless-backend.so", f"--socket={socket}", "--width=1024",
                              "--height=768", "--use-pixman", "--debug", "--idle-time=0"],
                   env=dict(os.environ, XDG_RUNTIME_DIR=self.runtime))
        if not poll(lambda: os.path.exists(os.path.join(self.runtime, socket)), 20):
            raise RuntimeError(f"weston did not open its socket:\n{self.log_of('weston')}")
        os.environ["WAYLAND_DISPLAY"] = socket
        os.environ["QT_QPA_PLATFORM"] = "wayland"

    def weston_screenshot(self, path):
        """The compositor's whole output, through weston-screenshooter (it writes wayland-screenshot-*.png into
        its working folder)."""
        shots = os.path.join(self.folder, "shots")
        os.makedirs(shots, exist_ok=True)
        for old in os.listdir(shots):
            os.remove(os.path.join(shots, old))
        run(["weston-screenshooter"], cwd=shots, timeout=30)
        made = [f for f in os.listdir(shots) if f.endswith(".png")]
        if not made:
            raise RuntimeError("weston-screenshooter wrote no picture")
        shutil.move(os.path.join(shots, made[0]), path)
        return path

    def start_logind(self):
        """logind cannot run without systemd as process 1: python3-dbusmock's logind on a private system bus."""
        config = os.path.join(self.folder, "system.conf")
        with open(BUS_CONFIG) as f:
            text = re.sub(r"<type>session</type>", "<type>system</type>", f.read())
        with open(config, "w") as f:
            f.write(text)
        os.environ["DBUS_SYSTEM_BUS_ADDRESS"] = self.start_dbus("system-bus", config)
        self.spawn("logind", ["/usr/bin/python3", "-m", "dbusmock", "--system", "--template", "logind"])
        if not poll(lambda: self.has_name("org.freedesktop.login1", "--system"), 15):
            raise RuntimeError(f"the logind stand-in did not start:\n{self.log_of('logind')}")

    def start_mock(self, name, bus_name, args):
        """python3-dbusmock on the session bus the environment names; log_of(NAME-calls) reads the calls it got."""
        self.spawn(name, ["/usr/bin/python3", "-m", "dbusmock", "--session", "-l",
                          os.path.join(self.folder, f"{name}-calls.log"), *args])
        if not poll(lambda: self.has_name(bus_name), 15):
            raise RuntimeError(f"the stand-in {name} did not start:\n{self.log_of(name)}")

    # ------------------------------------------------------------------------------------------------ the bus

    def has_name(self, name, bus="--session"):
        done = subprocess.run(["dbus-send", bus, "--print-reply", "--dest=org.freedesktop.DBus", "/",
                               "org.freedesktop.DBus.NameHasOwner", f"string:{name}"], stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True, timeout=10)
        return "boolean true" in done.stdout

    def watcher_property(self, name):
        done = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.kde.StatusNotifierWatcher",
                               "/StatusNotifierWatcher", "org.freedesktop.DBus.Properties.Get",
                               "string:org.kde.StatusNotifierWatcher", f"string:{name}"], stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True, timeout=10)
        return done.stdout

    def monitor(self, match):
        """dbus-monitor on this bus, writing to a log that watched() reads."""
        return self.spawn("monitor", ["dbus-monitor", "--session", match])

    def watched(self):
        return self.log_of("monitor")

    # ------------------------------------------------------------------------------------------------ closing

    def close(self):
        for _, process in reversed(self.processes):
            stop_process(process)
        self.processes = []
        for name, value in self.saved.items():
            if value is None:
                os.environ.pop(name, None)
            else:
                os.environ[name] = value
        if os.environ.get("KESTRUNE_E2E_KEEP"):
            log(f"kept {self.folder}")
        else:
            shutil.rmtree(self.folder, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False


def sound_server(variant):
    """For a sound script's variant argument: "pipewire" opens a desktop holding only a private PipeWire (pipewire,
    wireplumber, pipewire-pulse) with its null sink test_sink, named by PULSE_SERVER while it is open; anything else
    opens nothing. Use as `with sound_server(sys.argv[2:]):`."""
    class _Nothing:
        def __enter__(self):
            return None

        def __exit__(self, *exc):
            return False
    if variant != ["pipewire"]:
        return _Nothing()
    require_tools("pipewire", "wireplumber", "pipewire-pulse", "pactl")
    desktop = Desktop()
    try:
        desktop.start_pipewire()
    except Exception:
        desktop.close()
        raise
    return desktop


# ---------------------------------------------------------------------------------------------------- notifications

NOTIFY_CALL = re.compile(r"^method call .*member=Notify$", re.M)
CLOSE_CALL = re.compile(r"^method call .*member=CloseNotification$", re.M)


def notify_calls(monitor_text):
    """Each Notify call seen by dbus-monitor as the text of its arguments."""
    calls, current = [], None
    for line in monitor_text.splitlines():
        if line.startswith(("method call", "method return", "signal", "error")):
            if current is not None:
                calls.append("\n".join(current))
            current = [line] if NOTIFY_CALL.match(line) else None
        elif current is not None:
            current.append(line)
    if current is not None:
        calls.append("\n".join(current))
    return calls


def close_calls(monitor_text):
    return CLOSE_CALL.findall(monitor_text)


def dunst_count(kind="displayed"):
    done = subprocess.run(["dunstctl", "count", kind], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          text=True, timeout=10)
    return int(done.stdout.strip() or -1) if done.returncode == 0 else -1


def dunst_context_menu():
    """dunst's own context menu over the shown notifications; its 'dmenu' (see start_dunst) picks the action."""
    run(["dunstctl", "context"], timeout=30)


# ---------------------------------------------------------------------------------------------------- the ring



def settings_with_sound(folder):
    """A settings line naming a short tone, so that ON arms without the file dialog."""
    tone = os.path.join(folder, "tone.mp3")
    run(["sox", "-n", "-r", "44100", "-c", "2", tone, "synth", "40", "sine", "440", "vol", "0.5"], timeout=120)
    return settings_line(tone)


def shared_sound_env():
    """The shared sound server of scripts/services.sh, if it runs: the private runtime folder hides it otherwise."""
    folder = os.environ.get("KESTRUNE_SERVICES_DIR")
    socket = os.path.join(folder, "runtime", "pulse", "native") if folder else ""
    return {"PULSE_SERVER": f"unix:{socket}"} if socket and os.path.exists(socket) else {}


def do_action(accessible):
    """The control's own accessible action (a button's press), as a screen reader gives it: no pointer needed."""
    accessible.queryAction().doAction(0)


def arm_by_accessibility(app, lead=8):
    """The alarm time typed into the alarm box and ON pressed, both through AT-SPI, so it works on any display
    server; returns the alarm second as a wall-clock moment."""
    import math
    alarm = math.floor(time.time()) + lead
    text = time.strftime("%H:%M:%S", time.localtime(alarm))
    box = app.control("Text2")
    box.queryEditableText().setTextContents(text)
    if app.wait_text("Text2", text, 5) != text:
        raise RuntimeError(f"the alarm box holds {app.text('Text2')!r} after setting {text!r}")
    do_action(app.control("Command1"))
    if app.wait_text("Text5", "Alarm Set") != "Alarm Set":
        raise RuntimeError(f"ON did not arm: the status box reads {app.text('Text5')!r}")
    if time.time() > alarm - 1:
        raise RuntimeError("arming took until the alarm second")
    return alarm


def yellow_pixels(png):
    """How many pixels of a screenshot have the clock boxes' light yellow: the main window is on screen when its
    two boxes are."""
    out = run(["convert", png, "-fill", "black", "+opaque", "#FFFFC0", "-fill", "white", "-opaque", "#FFFFC0",
               "-colorspace", "gray", "-format", "%[fx:round(mean*w*h)]", "info:"])
    return int(float(out.strip()))


def ring_and_off_from_notification(results, desktop, app, shot, label):
    """Tray, then one ring: the window comes on screen (screenshot `shot` taken with shot(path)), a notification
    with Sleep and OFF is shown by dunst, and OFF picked in dunst's own menu silences and disarms."""
    from .base import artifacts_folder
    folder = artifacts_folder() or desktop.folder
    desktop.monitor("interface='org.freedesktop.Notifications'")
    alarm = arm_by_accessibility(app)
    do_action(app.control("Command5"))  # Tray
    time.sleep(1.0)
    hidden = shot(os.path.join(folder, f"{label}-tray.png"))
    results.equal(f"{label}: after Tray the main window is off screen", 0, yellow_pixels(hidden))

    wait_until(alarm, app)
    rung = poll(lambda: app.enabled("Command3"), 8, 0.1)
    results.check(f"{label}: the alarm rings (Sleep becomes available)", bool(rung), "Sleep enabled",
                  f"Sleep enabled={rung}")
    time.sleep(1.0)
    ringing = shot(os.path.join(folder, f"{label}-ring.png"))
    shown = poll(lambda: yellow_pixels(ringing) > 1000 or yellow_pixels(shot(ringing)) > 1000, 6, 0.2)
    results.check(f"{label}: at the ring the main window is on screen", shown, "its clock boxes' yellow pixels",
                  f"{yellow_pixels(ringing)} light-yellow pixels in {ringing}")

    calls = poll(lambda: notify_calls(desktop.watched()), 10, 0.2) or []
    results.equal(f"{label}: one notification is sent at the ring", 1, len(calls))
    sent = calls[0] if calls else ""
    text = time.strftime("%H:%M:%S", time.localtime(alarm))
    for what, needle in (("summary", 'string "Kestrune"'), ("body", f'string "Alarm {text}"'),
                         ("icon", 'string "kestrune"'), ("Sleep action", 'string "sleep"\n      string "Sleep"'),
                         ("OFF action", 'string "off"\n      string "OFF"'), ("urgency critical", "byte 2"),
                         ("category", 'string "x-kestrune.alarm"')):
        results.check(f"{label}: the notification carries its {what}", needle in sent, needle,
                      needle if needle in sent else sent)
    results.check(f"{label}: dunst shows it", poll(lambda: dunst_count() >= 1, 10, 0.2), ">= 1 displayed",
                  dunst_count())

    dunst_context_menu()  # returns at once; dunst runs its menu program on its own

    def offered_now():
        return open(desktop.offered_path).read() if os.path.exists(desktop.offered_path) else ""

    offered = poll(lambda: "OFF" in offered_now() and offered_now(), 10, 0.2) or offered_now()
    results.check(f"{label}: dunst's menu offers both actions", "Sleep" in offered and "OFF" in offered,
                  "Sleep and OFF", offered)
    results.equal(f"{label}: OFF from the notification disarms (status box)", "Not Set",
                  app.wait_text("Text5", "Not Set", 10))
    results.equal(f"{label}: OFF is no longer available", False, app.enabled("Command2"))
    results.equal(f"{label}: Sleep is no longer available", False, app.enabled("Command3"))
    results.check(f"{label}: the notification is gone", poll(lambda: dunst_count() == 0, 10, 0.2), "0 displayed",
                  dunst_count())


def _record_atspi_events(pid):
    """Run in a process of its own (see Desktop.listen_atspi): one line per event, type, name, role, detail."""
    import pyatspi

    def heard(event):
        try:
            if event.source.get_process_id() != pid:
                return
            data = event.source.description if "description" in event.type else event.detail1
            name = event.source.name.replace("\n", " ")  # one event a line
            print(f"{event.type}\t{name}\t{event.source.getRoleName()}\t{data}", flush=True)
        except Exception:
            pass
    pyatspi.Registry.registerEventListener(heard, "object", "window", "focus")
    pyatspi.Registry.start()


if __name__ == "__main__" and len(sys.argv) == 3 and sys.argv[1] == "atspi-events":
    _record_atspi_events(int(sys.argv[2]))
