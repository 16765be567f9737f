"""Drives the real Kestrune binary from outside and reads it back, as a user and assistive technology do.

Shared by the end-to-end scripts. Each script gets the binary's path as its first argument, starts it from a
private temporary folder (a copy of the binary, so settings.txt lands beside it), clicks and types with xdotool,
reads controls over AT-SPI by their accessible names, records the null sink's monitor with parecord and measures
with sox. Every process started here is stopped by its PID.
"""

import array
import ctypes
import math
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

SKIP = 77
SAMPLE_RATE = 44100


def log(message):
    print(message, flush=True)


def run(args, timeout=30, check=True, **kwargs):
    """Runs a short helper command and returns its standard output."""
    done = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout, text=True,
                          **kwargs)
    if check and done.returncode != 0:
        raise RuntimeError(f"{' '.join(args)} failed ({done.returncode}): {done.stderr.strip()}")
    return done.stdout


def poll(what, timeout, interval=0.1):
    """Calls what() until it returns something true, or returns None after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = what()
        except Exception:  # the thing looked for may be half-built; look again
            value = None
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(interval)


# ---------------------------------------------------------------------------------------------- set-up and results

def binary_from_args():
    if len(sys.argv) < 2 or not os.path.isfile(sys.argv[1]):
        log(f"usage: {sys.argv[0]} /path/to/kestrune")
        sys.exit(2)
    return os.path.abspath(sys.argv[1])


def require_services(sound=False):
    """Skips (exit 77) when the X server, the accessibility bus or, if asked, the sound server is absent."""
    if not os.environ.get("DISPLAY"):
        log("SKIP: no DISPLAY")
        sys.exit(SKIP)
    if subprocess.run(["xdpyinfo"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0:
        log(f"SKIP: no X server answers on {os.environ['DISPLAY']}")
        sys.exit(SKIP)
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        log("SKIP: no D-Bus session bus, so no accessibility bus")
        sys.exit(SKIP)
    if sound:
        done = subprocess.run(["pactl", "list", "short", "sinks"], stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True)
        if done.returncode != 0 or "test_sink" not in done.stdout:
            log("SKIP: no sound server with the null sink test_sink")
            sys.exit(SKIP)


def artifacts_folder():
    folder = os.environ.get("KESTRUNE_ARTIFACTS")
    if folder:
        os.makedirs(folder, exist_ok=True)
    return folder


class Results:
    """Counts checks, prints each with what was expected and what was seen, and ends the script."""

    def __init__(self, name):
        self.name = name
        self.passed = 0
        self.failed = 0
        self.started = time.monotonic()

    def check(self, what, ok, expected, seen):
        if ok:
            self.passed += 1
            log(f"PASS {what}: {seen}")
        else:
            self.failed += 1
            log(f"FAIL {what}\n     expected: {expected}\n     seen:     {seen}")
        return ok

    def equal(self, what, expected, seen):
        return self.check(what, expected == seen, repr(expected), repr(seen))

    def case(self, function, *args):
        """Runs one scenario; an exception in it counts as one failure and the next scenario still runs."""
        log(f"--- {function.__name__}")
        try:
            function(self, *args)
        except Exception as error:
            self.failed += 1
            log(f"FAIL {function.__name__} stopped: {error}")
            traceback.print_exc(file=sys.stdout)

    def cases(self, *cases):
        """Runs (function, *args) scenarios in order, each timed; KESTRUNE_E2E_ONLY=name,name runs only those."""
        only = os.environ.get("KESTRUNE_E2E_ONLY")
        for function, *args in cases:
            if only and function.__name__ not in only.split(","):
                continue
            started = time.monotonic()
            self.case(function, *args)
            log(f"({function.__name__} took {time.monotonic() - started:.0f} s)")

    def finish(self):
        seconds = time.monotonic() - self.started
        log(f"{self.name}: {self.passed} passed, {self.failed} failed ({seconds:.0f} s)")
        sys.exit(1 if self.failed or not self.passed else 0)


# ---------------------------------------------------------------------------------------------- X11

class _XClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _XClientMessage), ("pad", ctypes.c_long * 24)]


def send_close_request(window_id):
    """Asks a window to close the way a window manager's close box does: a WM_DELETE_WINDOW client message."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(_XEvent)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        raise RuntimeError("cannot open the X display")
    try:
        event = _XEvent()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = window_id
        event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", False)
        event.xclient.format = 32
        event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", False)
        event.xclient.data[1] = 0  # CurrentTime
        if not x11.XSendEvent(display, window_id, False, 0, ctypes.byref(event)):
            raise RuntimeError("XSendEvent failed")
        x11.XFlush(display)
    finally:
        x11.XCloseDisplay(display)


def window_geometry(window_id):
    """Position and size of a window as the X server has it."""
    info = run(["xwininfo", "-id", str(window_id)])

    def field(label):
        return int(re.search(rf"{label}:\s+(-?\d+)", info).group(1))

    return {"x": field("Absolute upper-left X"), "y": field("Absolute upper-left Y"),
            "width": field("Width"), "height": field("Height")}


def screenshot(path):
    run(["import", "-window", "root", path], timeout=60)
    return path


def pixel(png, x, y):
    """The RGB triple of one pixel of a screenshot."""
    out = run(["convert", png, "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"])
    match = re.search(r"\((\d+),(\d+),(\d+)", out.splitlines()[-1])
    return tuple(int(v) for v in match.groups())


def click_at(x, y):
    # xdotool's --sync waits 15 s for a motion that never comes when the pointer is already there.
    here = re.match(r"x:(-?\d+) y:(-?\d+)", run(["xdotool", "getmouselocation"]))
    if not here or (int(here.group(1)), int(here.group(2))) != (x, y):
        run(["xdotool", "mousemove", "--sync", str(x), str(y)])
    run(["xdotool", "click", "1"])


def key(*keys):
    run(["xdotool", "key", "--clearmodifiers", *keys])


def type_text(text):
    run(["xdotool", "type", "--delay", "40", text], timeout=60)


# ---------------------------------------------------------------------------------------------- AT-SPI

def _pyatspi():
    import pyatspi  # Debian's python3-pyatspi; imported late so a missing module shows as a clear failure
    return pyatspi


def accessible_text(accessible):
    return accessible.queryText().getText(0, -1)


def extents(accessible):
    pyatspi = _pyatspi()
    box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


# How assistive technology names each control the tests use: buttons by their captions, boxes and bars by
# their labels. Keyed by window title and the control's name in the program.
ACCESSIBLE = {
    "Kestrune": {
        "Text1": ("Time", "text"), "Text2": ("Alarm", "text"), "Text5": ("Alarm status", "text"),
        "Command1": ("ON", "push button"), "Command2": ("OFF", "push button"), "Command3": ("Sleep", "push button"),
        "Command4": ("Select Alarm Sound", "push button"), "Command5": ("Tray", "push button"),
        "Command6": ("Exit", "push button"), "Command7": ("Options", "push button"),
    },
    "Options": {
        "Text2": ("Sleep minutes", "text"), "HScroll1": ("Sleep Timer / Min", "scroll bar"),
        "Command1": ("Exit", "push button"), "Command2": ("Clock Forecolor", "push button"),
        "Command3": ("Clock Backcolor", "push button"),
    },
    "About": {
        "Text5": ("Title", "text"), "Text4": ("Designer's web site", "link"), "Text2": ("Author", "text"),
        "Text6": ("E-mail", "link"), "Text3": ("Web site", "link"),
    },
}


def accessible_name(window, control):
    """The accessible name and role of a control, by the window's title and the control's name."""
    return ACCESSIBLE.get(window, {}).get(control, (control, None))


def find_named(root, name, role=None):
    """The first accessible below root with this accessible name (and role name, if given), depth first."""
    stack = [root]
    while stack:
        node = stack.pop()
        if node is None:
            continue
        if node is not root and node.name == name and (role is None or node.getRoleName() == role):
            return node
        stack.extend(reversed([node.getChildAtIndex(i) for i in range(node.childCount)]))
    return None


def all_text(root):
    """Every name and text below root, to find a message's words wherever the toolkit put them."""
    texts = []
    stack = [root]
    while stack:
        node = stack.pop()
        if node is None:
            continue
        texts.append(node.name or "")
        try:
            texts.append(accessible_text(node))
        except Exception:
            pass
        stack.extend(node.getChildAtIndex(i) for i in range(node.childCount))
    return [t for t in texts if t]


def press(accessible):
    """A real mouse click in the middle of the control."""
    x, y, w, h = extents(accessible)
    if w <= 0 or h <= 0:
        raise RuntimeError(f"{accessible.name} is not on screen (extents {x},{y},{w},{h})")
    click_at(x + w // 2, y + h // 2)


# ---------------------------------------------------------------------------------------------- the program

SOUND_MODULE = "kestrune-sound.so"


def copy_program(binary, folder):
    """Copies the program and, where it was built beside it, its sound module; returns the copy's path."""
    exe = os.path.join(folder, "kestrune")
    shutil.copy2(binary, exe)
    module = os.path.join(os.path.dirname(binary), SOUND_MODULE)
    if os.path.exists(module):
        shutil.copy2(module, os.path.join(folder, SOUND_MODULE))
    return exe


class Kestrune:
    """One run of the program from its own temporary folder."""

    def __init__(self, binary, settings=None, path_prefix=None, env=None, command_prefix=()):
        self.folder = tempfile.mkdtemp(prefix="kestrune-e2e-")
        self.exe = copy_program(binary, self.folder)
        self.settings_path = os.path.join(self.folder, "settings.txt")
        if settings is not None:
            with open(self.settings_path, "wb") as f:
                f.write(settings)
        self.path_prefix = path_prefix
        self.extra_env = env or {}
        self.command_prefix = list(command_prefix)  # setpriv and the like, which exec the program in their place
        self.process = None
        self.log_path = os.path.join(self.folder, "kestrune.log")
        self.main_window = None
        self._app = None

    def start(self):
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

    def start_process(self):
        """Starts the program and returns at once."""
        env = dict(os.environ)
        env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        env.pop("QT_QPA_PLATFORM", None)
        env.setdefault("LANG", "C.UTF-8")
        if os.environ.get("HOME_FOR_TESTS"):
            env["HOME"] = os.environ["HOME_FOR_TESTS"]
        if self.path_prefix:
            env["PATH"] = self.path_prefix + os.pathsep + env.get("PATH", "")
        env.update(self.extra_env)
        self._log = open(self.log_path, "wb")
        self.process = subprocess.Popen([*self.command_prefix, self.exe], cwd=self.folder, env=env, stdout=self._log,
                                        stderr=subprocess.STDOUT)

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

    def output(self):
        try:
            with open(self.log_path, "rb") as f:
                return f.read().decode(errors="replace")
        except OSError:
            return ""

    def stop(self):
        """Ends the program by its PID if it still runs, and removes its folder."""
        if self.process is not None and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(10)
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


# ---------------------------------------------------------------------------------------------- sound

class Recorder:
    """Records the null sink's monitor. start_wall is the wall-clock moment of the first recorded sample."""

    def __init__(self, path):
        self.path = path
        self.process = None
        self.start_wall = None

    def start(self):
        launched = time.time()
        self.process = subprocess.Popen(["parecord", "--device=test_sink.monitor", "--file-format=wav",
                                         "--rate=44100", "--channels=2", "--format=s16le", "--latency-msec=20",
                                         self.path], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # The recorder takes a while to connect, so its first sample is later than its launch. Every look at the
        # growing file bounds that moment from above (what is on disk was captured before the look); the
        # tightest bound is within a fragment (20 ms) of the truth.
        bounds = []
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline and len(bounds) < 40:
            captured = self._captured_seconds()
            if captured:
                bounds.append(time.time() - captured)
            time.sleep(0.005)
        if not bounds:
            self.stop()
            raise RuntimeError("parecord wrote no samples within 15 s")
        self.start_wall = max(launched, min(bounds))
        return self

    def _captured_seconds(self):
        try:
            with open(self.path, "rb") as f:
                head = f.read(4096)
            size = os.path.getsize(self.path)
        except OSError:
            return None
        at = head.find(b"data")
        if at < 0 or size <= at + 8:
            return None
        return (size - at - 8) / (SAMPLE_RATE * 4)

    def stop(self):
        if self.process is not None and self.process.poll() is None:
            self.process.send_signal(signal.SIGINT)  # lets it finish the WAV header
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(10)
        self.process = None

    def seconds(self, wall):
        """Where a wall-clock moment lies in the recording, in seconds from its start."""
        return wall - self.start_wall

    def now(self):
        return self.seconds(time.time())

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
        return False


def read_wav_mono(path):
    """The recording's samples, the two channels averaged. Reads up to the end of the file whatever the header
    says, since a recorder that was stopped hard may not have finished it."""
    with open(path, "rb") as f:
        data = f.read()
    at = data.find(b"data")
    if at < 0:
        raise RuntimeError(f"{path} has no data chunk")
    raw = data[at + 8:]
    raw = raw[:len(raw) // 4 * 4]
    samples = array.array("h")
    samples.frombytes(raw)
    if sys.byteorder != "little":
        samples.byteswap()
    return [(samples[i] + samples[i + 1]) / 2 for i in range(0, len(samples), 2)]


def block_levels(samples, block_seconds=0.01):
    """RMS level in dBFS of consecutive blocks; digital silence is -inf."""
    n = int(SAMPLE_RATE * block_seconds)
    levels = []
    for start in range(0, len(samples) - n + 1, n):
        chunk = samples[start:start + n]
        power = sum(s * s for s in chunk) / n
        levels.append(10 * math.log10(power / (32768.0 ** 2)) if power > 0 else float("-inf"))
    return levels


def sound_onset(levels, after, threshold_db=-60.0, sustain=2.0, fraction=0.9, block_seconds=0.01):
    """Start, in seconds, of the first sound at or after `after` that goes on: of the blocks in the `sustain`
    seconds from there, at least `fraction` are above the threshold. So a short system sound before the alarm's own
    does not count as its start; a low fraction lets a beeping sound count."""
    first = max(0, int(after / block_seconds))
    run = int(sustain / block_seconds)
    for i in range(first, len(levels) - run):
        if levels[i] < threshold_db:
            continue
        loud = sum(1 for level in levels[i:i + run] if level >= threshold_db)
        if loud >= fraction * run:
            return i * block_seconds
    return None


def loudest(levels, start, end, block_seconds=0.01):
    """The loudest block between two moments of the recording, in dBFS."""
    window = levels[max(0, int(start / block_seconds)):int(end / block_seconds)]
    return max(window) if window else None


def profile(levels, start, end, step=0.5, block_seconds=0.01):
    """A line of the loudest level per step between two moments, to show what was heard around a failure."""
    parts = []
    t = max(0.0, start)
    while t < end:
        level = loudest(levels, t, t + step, block_seconds)
        if level is None:
            break
        parts.append(f"{t:.1f}:{'-' if level == float('-inf') else round(level)}")
        t += step
    return " ".join(parts)


def band_levels(path, low, high, block_seconds=0.01):
    """Like block_levels, of the recording passed through a band filter: tells the chosen file's 440 Hz tone from
    the built-in tone's 880 and 1320 Hz beeps."""
    filtered = path[:-4] + f"-{low}-{high}.wav"
    run(["sox", path, filtered, "sinc", f"{low}-{high}"], timeout=120)
    return block_levels(read_wav_mono(filtered), block_seconds)


def rms_db(path, start, length=0.5, measure="RMS lev dB"):
    """A level in dBFS of a stretch of the recording, as sox measures it: RMS, or with measure="Pk lev dB" the
    peak."""
    done = subprocess.run(["sox", path, "-n", "trim", f"{start:.3f}", f"{length:.3f}", "stats"],
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, timeout=60)
    match = re.search(rf"^{measure}\s+(\S+)", done.stderr, re.M)
    if not match:
        raise RuntimeError(f"sox stats gave no {measure}: {done.stderr.strip()}")
    return float(match.group(1))


def fit_line(points):
    """Least-squares slope and intercept of (x, y) points."""
    n = len(points)
    mx = sum(x for x, _ in points) / n
    my = sum(y for _, y in points) / n
    sxx = sum((x - mx) ** 2 for x, _ in points)
    slope = sum((x - mx) * (y - my) for x, y in points) / sxx
    return slope, my - slope * mx


def make_tone(path, seconds=60):
    """A 440 Hz sine at half scale: -9.5 dBFS RMS."""
    run(["sox", "-n", "-r", "44100", "-c", "2", path, "synth", str(seconds), "sine", "440", "vol", "0.5"],
        timeout=120)
    return path


# ---------------------------------------------------------------------------------------------- alarms and faults

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
