"""The program itself: a run of it from a folder of its own, arming, faults, and what /proc shows of it."""

import ctypes
import math
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

from .base import *  # noqa: F401,F403
from .x11 import *  # noqa: F401,F403
from .atspi import *  # noqa: F401,F403
from .audio import *  # noqa: F401,F403
from .atspi import _pyatspi  # noqa: F401


FAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
PROGRAM_FILES = ("kestrune-sound-host", "kestrune-wake")  # the sound process and the wake program
FIRST_RUN_TAIL = "1,-2147483640,12648447\r\n"  # snooze minutes and colours as a first run saves them


def settings_line(sound="", alarm="", tail=FIRST_RUN_TAIL):
    """The settings file's one line, as the program writes it."""
    return f'"{sound}","{alarm}",{tail}'.encode()


def copy_program(binary, folder):
    """Copies the program and, where they were built beside it, its sound program and wake program; returns the
    copy's path."""
    exe = os.path.join(folder, "kestrune")
    shutil.copy2(binary, exe)
    for name in PROGRAM_FILES:
        built = os.path.join(os.path.dirname(binary), name)
        if os.path.exists(built):
            shutil.copy2(built, os.path.join(folder, name))
    return exe


def child_pids(pid):
    """The processes the given one started that still run."""
    children = []
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/children") as f:
                children += [int(c) for c in f.read().split()]
        except OSError:
            pass
    return children


class Kestrune:
    """One run of the program from its own temporary folder."""

    def __init__(self, binary, settings=None, path_prefix=None, env=None, command_prefix=(), args=()):
        self.folder = tempfile.mkdtemp(prefix="kestrune-e2e-")
        self.exe = copy_program(binary, self.folder)
        self.settings_path = os.path.join(self.folder, "settings.txt")
        if settings is not None:
            with open(self.settings_path, "wb") as f:
                f.write(settings)
        self.path_prefix = path_prefix
        self.extra_env = env or {}
        self.command_prefix = list(command_prefix)  # setpriv and the like, which exec the program in their place
        self.args = list(args)
        self.process = None
        self.log_path = os.path.join(self.folder, "kestrune.log")
        self.main_window = None
        self._app = None

    def start(self):
        self._app = None  # a new process is a new application to assistive technology
        self.start_process()
        # Stop waiting as soon as the program has ended: its log says why.
        found = poll(lambda: True if self.process.poll() is not None else self._find_main_window(), 60, 0.2)
        self.main_window = found if found is not True else None
        if not self.main_window:
            ended = "" if self.process.poll() is None else f" (it ended with {self.process.returncode})"
            raise RuntimeError(f"no visible window named Kestrune within 60 s{ended}; program log:\n{self.output()}")
        if not poll(self.application, 60, 0.3):
            raise RuntimeError("the program did not appear on the accessibility bus within 60 s")
        return self

    def _environment(self):
        env = dict(os.environ)
        env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        env.pop("QT_QPA_PLATFORM", None)
        env.setdefault("LANG", "C.UTF-8")
        if os.environ.get("HOME_FOR_TESTS"):
            env["HOME"] = os.environ["HOME_FOR_TESTS"]
        if self.path_prefix:
            env["PATH"] = self.path_prefix + os.pathsep + env.get("PATH", "")
        env.update(self.extra_env)
        return env

    def start_process(self):
        """Starts the program and returns at once."""
        self._log = open(self.log_path, "wb")
        self.process = subprocess.Popen([*self.command_prefix, self.exe, *self.args], cwd=self.folder,
                                        env=self._environment(), stdout=self._log, stderr=subprocess.STDOUT)

    def restart_after_kill(self, *args):
        """Kills the program with SIGKILL, as a crash or a power cut ends it, and starts it again in the same
        folder with the given command line; returns at once."""
        self.process.send_signal(signal.SIGKILL)
        self.process.wait(10)
        self._log.close()
        self.args = list(args)
        self.start_process()

    def command(self, *args, timeout=60):
        """Runs this copy of the program with a command line, as a script does, and waits for it: the completed
        process, its output as text. A command that keeps the script waiting raises."""
        return subprocess.run([self.exe, *args], cwd=self.folder, env=self._environment(), stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True, timeout=timeout)

    def _find_main_window(self):
        ids = self.windows("^Kestrune$")
        return ids[0] if ids else None

    def windows(self, name_regex):
        """Visible windows of this process whose title matches, oldest first."""
        if self.process.poll() is not None:
            raise RuntimeError(f"the program ended with code {self.process.returncode}:\n{self.output()}")
        done = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(self.process.pid),
                               "--name", name_regex], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        return sorted(int(w) for w in done.stdout.split())

    def application(self):
        if self._app is not None:
            return self._app
        desktop = _pyatspi().Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.get_process_id() == self.process.pid:
                # The main window's controls must be there too, not only the application object.
                if find_named(app, *accessible_name("Kestrune", "Text1")) is not None:
                    self._app = app
                    return app
        return None

    def top_levels(self, name=None):
        """The program's top-level accessibles (windows, dialogs), newest last."""
        app = self.application()
        children = [app.getChildAtIndex(i) for i in range(app.childCount)]
        return [c for c in children if c is not None and (name is None or c.name == name)]

    def window(self, name):
        """The top-level accessible with this title; 'Kestrune' is the main window (the first one)."""
        found = self.top_levels(name)
        if not found:
            raise RuntimeError(f"no window named {name!r}; windows: {[c.name for c in self.top_levels()]}")
        return found[0]

    def control(self, name, window="Kestrune", role=None):
        label, known_role = accessible_name(window, name)
        found = find_named(self.window(window), label, role or known_role)
        if found is None:
            raise RuntimeError(f"no control {name!r} in window {window!r}")
        return found

    def text(self, name, window="Kestrune"):
        return accessible_text(self.control(name, window))

    def wait_text(self, name, expected, timeout=10, window="Kestrune"):
        """Polls a control's text until it equals expected; returns what it read last."""
        seen = [None]

        def matches():
            seen[0] = self.text(name, window)
            return seen[0] == expected

        poll(matches, timeout, 0.1)
        return seen[0]

    def enabled(self, name, window="Kestrune"):
        return self.control(name, window).getState().contains(_pyatspi().STATE_ENABLED)

    def click(self, name, window="Kestrune", role=None):
        """A real click in the middle of a control. Without a window manager a click lands on whatever window is
        on top at that spot, so it is refused when another of the program's windows covers the control."""
        target = self.control(name, window, role)
        x, y, w, h = extents(target)
        cx, cy = x + w // 2, y + h // 2
        top = self.topmost_window_at(cx, cy)
        top_name = run(["xdotool", "getwindowname", str(top)]).strip() if top else None
        if top_name != window:
            raise RuntimeError(f"{name} of {window!r} at {cx},{cy} is covered by the window {top_name!r}")
        press(target)

    def topmost_window_at(self, x, y):
        """The program's uppermost visible window at a screen point (top-level windows are the root's children,
        which xwininfo lists from the top down)."""
        mine = set(self.windows(""))
        stack = [int(m, 16) for m in re.findall(r"^\s+(0x[0-9a-f]+)", run(["xwininfo", "-root", "-children"]), re.M)]
        for window_id in stack:
            if window_id not in mine:
                continue
            g = window_geometry(window_id)
            if g["width"] > 1 and g["x"] <= x < g["x"] + g["width"] and g["y"] <= y < g["y"] + g["height"]:
                return window_id
        return None

    def type_into(self, name, text, window="Kestrune"):
        """Clicks into a box, selects what it holds and types over it."""
        self.click(name, window)
        key("ctrl+a")
        type_text(text)

    def close_main_window(self):
        send_close_request(self.main_window)

    def wait_exit(self, timeout=30):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def sound_pids(self):
        """The program's sound processes running now (none until the first arming, none a few seconds after OFF)."""
        return child_pids(self.process.pid) if self.process.poll() is None else []

    def output(self):
        try:
            with open(self.log_path, "rb") as f:
                return f.read().decode(errors="replace")
        except OSError:
            return ""

    def stop(self):
        """Ends the program by its PID if it still runs, and removes its folder."""
        stop_process(self.process)
        if getattr(self, "_log", None):
            self._log.close()
        out = self.output().strip()
        if out:
            log("program output:\n  " + out.replace("\n", "\n  "))
        if os.environ.get("KESTRUNE_E2E_KEEP"):
            log(f"kept {self.folder}")
        else:
            shutil.rmtree(self.folder, ignore_errors=True)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
        return False


class FakeClock:
    """A libfaketime offset file the program reads at every clock call; rewriting it moves the program's clock."""

    def __init__(self):
        fd, self.path = tempfile.mkstemp(prefix="kestrune-faketime-")
        os.close(fd)
        self.set(0)

    def set(self, seconds):
        with open(self.path + ".new", "w") as f:
            f.write(f"{seconds:+d}\n")
        os.replace(self.path + ".new", self.path)

    def env(self):
        return dict(LD_PRELOAD=FAKETIME, FAKETIME_TIMESTAMP_FILE=self.path, FAKETIME_NO_CACHE="1",
                    FAKETIME_DONT_FAKE_MONOTONIC="1")

    def close(self):
        os.unlink(self.path)


class environment:
    """Sets (or, with None, removes) environment variables for what is started inside the block, then puts the old
    values back: a program or a recorder started there keeps what it got."""

    def __init__(self, **changes):
        self.changes = changes
        self.saved = {}

    def __enter__(self):
        for name, value in self.changes.items():
            self.saved[name] = os.environ.get(name)
            if value is None:
                os.environ.pop(name, None)
            else:
                os.environ[name] = value
        return self

    def __exit__(self, *exc):
        for name, value in self.saved.items():
            if value is None:
                os.environ.pop(name, None)
            else:
                os.environ[name] = value
        return False


# A sound program that fails as it is told, in front of the real one, which it runs beside itself. Each process
# started takes the next of MODES (the last repeats): "file" dies when asked to prepare or start the chosen sound,
# "start" when asked to start any, "exit" ends at once, "real" only passes the messages on.
FAILING_SOUND_HOST = r'''#!/usr/bin/python3
import os, signal, struct, subprocess, sys
here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, "sound-host-starts"), "a") as f:
    f.write("x")
    started = f.tell()
mode = MODES[min(started, len(MODES)) - 1]
if mode == "exit":
    sys.exit(0)
child = subprocess.Popen([os.path.join(here, "real-sound-host")], stdin=subprocess.PIPE)
buffer = b""
while True:
    data = os.read(0, 65536)
    if not data:
        child.stdin.close()
        sys.exit(child.wait())
    buffer += data
    while len(buffer) >= 4 and len(buffer) >= 4 + struct.unpack(">I", buffer[:4])[0]:
        size = 4 + struct.unpack(">I", buffer[:4])[0]
        frame, buffer = buffer[:size], buffer[size:]
        kind, (length,) = frame[4], struct.unpack(">I", frame[9:13])
        path = "" if length == 0xFFFFFFFF else frame[13:13 + length].decode("utf-16-be", "replace")
        if kind in (1, 2, 4) and ((mode == "start" and kind != 1 and path) or (mode == "file" and path == CHOSEN)):
            child.kill()
            os.kill(os.getpid(), signal.SIGKILL)
        child.stdin.write(frame)
        child.stdin.flush()
'''


def plant_failing_sound_host(app, modes, chosen):
    """Puts FAILING_SOUND_HOST in the place of the copy's sound program, the real one beside it."""
    host = os.path.join(app.folder, "kestrune-sound-host")
    os.replace(host, os.path.join(app.folder, "real-sound-host"))
    with open(host, "w") as f:
        f.write(FAILING_SOUND_HOST.replace("MODES", repr(list(modes))).replace("CHOSEN", repr(chosen)))
    os.chmod(host, 0o755)


def far_alarm_text():
    """An alarm time half a day away, so that nothing can ring while a test runs."""
    return time.strftime("%H:%M:%S", time.localtime(time.time() + 12 * 3600))


def read_bytes(path):
    """A file's bytes, or the reason it cannot be read as text in angle brackets."""
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError as error:
        return f"<{error.strerror}>"


def wait_until(wall, app):
    """Sleeps until a wall-clock moment, raising as soon as the program is seen to have ended."""
    while time.time() < wall:
        if app.process.poll() is not None:
            raise RuntimeError(f"the program ended with code {app.process.returncode}:\n{app.output()}")
        time.sleep(min(0.2, max(0.0, wall - time.time())))


def ring_seen(results, app, alarm, what, within=2.5, timeout=6):
    """The ring enables Sleep: the moment it does, seen from outside and checked to be near the alarm second, or
    None."""
    wait_until(alarm, app)
    rung = poll(lambda: app.enabled("Command3") and time.time(), timeout, 0.05)
    results.check(f"{what}: Sleep becomes available at the alarm time", rung is not None and rung - alarm <= within,
                  f"within {within} s of the alarm second",
                  f"never ({timeout} s)" if rung is None else f"{rung - alarm:+.2f} s")
    return rung


def exit_text(code):
    """How a process stands, for a check's report: still running or its exit code."""
    return "still running" if code is None else f"exit code {code}"


def arm_alarm(app, lead=6, attempts=2):
    """Types an alarm time `lead` seconds ahead into the alarm box and presses ON (a sound must be chosen already);
    returns the alarm second as a wall-clock moment. When arming took so long on a slow machine that the alarm
    second is too near, disarms and tries again with twice the lead."""
    for _ in range(attempts):
        alarm = math.floor(time.time()) + lead
        text = time.strftime("%H:%M:%S", time.localtime(alarm))
        app.type_into("Text2", text)
        if app.text("Text2") != text:
            raise RuntimeError(f"the alarm box holds {app.text('Text2')!r} after typing {text!r}")
        app.click("Command1")
        if app.wait_text("Text5", "Alarm Set") != "Alarm Set":
            raise RuntimeError(f"ON did not arm: the status box reads {app.text('Text5')!r}")
        if time.time() <= alarm - 0.5:
            return alarm
        log(f"arming for {text} took until {time.strftime('%H:%M:%S')}; trying again with a longer lead")
        app.click("Command2")
        app.wait_text("Text5", "Not Set")
        lead *= 2
    raise RuntimeError("arming took too long: the alarm time had come before ON took effect")


def wake_timers(pid):
    """The absolute expiries (wall-clock seconds) of the process's timerfds on CLOCK_REALTIME_ALARM (clockid 8)."""
    found = []
    folder = f"/proc/{pid}/fdinfo"
    for fd in os.listdir(folder):
        try:
            with open(os.path.join(folder, fd)) as f:
                info = f.read()
        except OSError:
            continue  # closed meanwhile
        if re.search(r"^clockid:\s*8$", info, re.M):
            sec, nsec = re.search(r"^it_value:\s*\((\d+),\s*(\d+)\)", info, re.M).groups()
            found.append(time.time() + int(sec) + int(nsec) / 1e9)  # it_value is the time left
    return found


def capability_sets(pid):
    """CapInh, CapPrm, CapEff, CapBnd and CapAmb of a process, as the hexadecimal masks /proc shows."""
    with open(f"/proc/{pid}/status") as f:
        return dict(re.findall(r"^(Cap\w+):\s*([0-9a-f]+)$", f.read(), re.M))


def system_tray_available():
    """Whether a tray host owns the notification-area selection of screen 0, as the program asks before "Tray"
    hides its window."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XGetSelectionOwner.restype = ctypes.c_ulong
    x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        raise RuntimeError("cannot open the X display")
    try:
        return x11.XGetSelectionOwner(display, x11.XInternAtom(display, b"_NET_SYSTEM_TRAY_S0", False)) != 0
    finally:
        x11.XCloseDisplay(display)
