"""Sound as heard at the null sink: recording, levels, onsets and fits, tones to play."""

import array
import math
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from .base import *  # noqa: F401,F403
from .x11 import *  # noqa: F401,F403
from .atspi import *  # noqa: F401,F403


class Recorder:
    """Records a null sink's monitor (test_sink's unless named). start_wall is the wall-clock moment of the first
    recorded sample."""

    def __init__(self, path, sink="test_sink"):
        self.path = path
        self.sink = sink
        self.process = None
        self.start_wall = None

    def start(self):
        launched = time.time()
        self.process = subprocess.Popen(["parecord", f"--device={self.sink}.monitor", "--file-format=wav",
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


def median_line(points):
    """Slope and intercept of (x, y) points as the median of the slopes between every two of them (Theil-Sen): a
    level or two that a loaded machine knocks off the line barely move it, while a fade of the wrong rate still
    shows."""
    slopes = sorted((y2 - y1) / (x2 - x1) for i, (x1, y1) in enumerate(points) for x2, y2 in points[i + 1:]
                    if x2 != x1)
    slope = slopes[len(slopes) // 2] if len(slopes) % 2 else (slopes[len(slopes) // 2 - 1] + slopes[len(slopes) // 2]) / 2
    offsets = sorted(y - slope * x for x, y in points)
    middle = len(offsets) // 2
    return slope, offsets[middle] if len(offsets) % 2 else (offsets[middle - 1] + offsets[middle]) / 2


def make_tone(path, seconds=60):
    """A 440 Hz sine at half scale: -9.5 dBFS RMS."""
    run(["sox", "-n", "-r", "44100", "-c", "2", path, "synth", str(seconds), "sine", "440", "vol", "0.5"],
        timeout=120)
    return path


def pactl(server, *args):
    """pactl on the given server; True when it succeeded."""
    return subprocess.run(["pactl", "-s", server, *args], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          timeout=10).returncode == 0


def server_answers(server, timeout=20):
    """Waits for a sound server (PulseAudio, or PipeWire's pulse server) to answer."""
    return bool(poll(lambda: pactl(server, "info"), timeout, 0.2))


class NullSinks:
    """Null sinks on the shared server that describe themselves as devices do ({name: "key=value key=value"}, e.g.
    a Bluetooth headset's device.form_factor and device.bus), the first made the default; test_sink is the default
    again, and the sinks gone, at the end."""

    def __init__(self, sinks):
        self.sinks = sinks
        self.modules = []

    def __enter__(self):
        for name, properties in self.sinks.items():
            self.modules.append(run(["pactl", "load-module", "module-null-sink", f"sink_name={name}",
                                     "rate=44100", "channels=2", f"sink_properties='{properties}'"]).strip())
        run(["pactl", "set-default-sink", next(iter(self.sinks))])
        return self

    def __exit__(self, *exc):
        run(["pactl", "set-default-sink", "test_sink"], check=False)
        for module in self.modules:
            run(["pactl", "unload-module", module], check=False)
        return False


class PrivateSoundServer:
    """A PulseAudio of the caller's own, with its own runtime folder, home and socket and a null sink named test_sink,
    so that it can be killed without disturbing the shared one. Given a folder, its socket path outlives it, so that a
    second server can take its place; without one it makes a folder and removes it at close(). Stopped by its PID."""

    def __init__(self, folder=None):
        self.owned = folder is None
        self.folder = tempfile.mkdtemp(prefix="kestrune-pulse-") if self.owned else folder
        os.chmod(self.folder, 0o700)
        runtime = os.path.join(self.folder, "runtime")
        home = os.path.join(self.folder, "home")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        os.makedirs(home, exist_ok=True)
        self.socket = os.path.join(self.folder, "pulse.sock")
        self.server = f"unix:{self.socket}"
        env = dict(os.environ, XDG_RUNTIME_DIR=runtime, PULSE_RUNTIME_PATH=os.path.join(runtime, "pulse"),
                   PULSE_STATE_PATH=os.path.join(home, "state"), HOME=home)
        # Not on the session bus: the shared server holds the name there, and a second one would give up.
        env.pop("PULSE_SERVER", None)
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        self.log_path = os.path.join(self.folder, "pulseaudio.log")
        self._log = open(self.log_path, "ab")
        self.process = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=false",
             "--log-target=stderr", f"--load=module-native-protocol-unix socket={self.socket} auth-anonymous=1",
             "--load=module-null-sink sink_name=test_sink rate=44100 channels=2"],
            env=env, stdout=self._log, stderr=subprocess.STDOUT)
        if not server_answers(self.server):
            said = self.said()
            self.close()
            raise RuntimeError(f"the private PulseAudio did not answer within 20 s; it said:\n{said}")
        pactl(self.server, "set-default-sink", "test_sink")

    def said(self):
        """The server's log, but for its warnings about running as root and about a missing cookie."""
        with open(self.log_path, "rb") as f:
            lines = f.read().decode(errors="replace").splitlines()
        return "\n".join(line for line in lines if "authkey.c" not in line and "not intended to be run as root"
                         not in line)

    def kill(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
        return self.process.wait(10)

    def stop(self, hard=False):
        stop_process(self.process, hard=hard)
        self._log.close()

    def close(self):
        self.stop()
        if self.owned:
            shutil.rmtree(self.folder, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False
