"""Recording the null sink's monitor with every read stamped, and finding in it the tone's onset, the fade and the gaps."""

import array
import math
import os
import signal
import subprocess
import sys
import time

# The end-to-end tests' audio helpers: one least-squares fit for both.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from kestrune.audio import fit_line  # noqa: E402


RATE = 44100
FULL_SCALE = 32768.0
AUDIBLE_DBFS = -60.0  # well below the tone's -36 dBFS peak at the fade's start, above digital silence
BAND_DBFS = -48.0  # the tone's band: 12 dB under the tone's start, 10 dB over the bell
TONE_HZ = 440.0
TONE_PEAK = 0.5  # sox ... synth sine 440 vol 0.5
START_DB = -30.0  # where the alarm's fade starts
BAND_Q = 20.0
BAND_STAGES = 2


def record(prefix, seconds):
    parec = subprocess.Popen(
        ["parec", "--device=test_sink.monitor", "--format=s16le", "--rate=%d" % RATE, "--channels=1",
         "--latency-msec=2", "--raw"],
        stdout=subprocess.PIPE, bufsize=0)
    # Ended from outside (a void run): take parec along.
    signal.signal(signal.SIGTERM, lambda *_: (parec.terminate(), sys.exit(1)))
    fd = parec.stdout.fileno()
    total = 0
    stamps = []
    end = None
    with open(prefix + ".raw", "wb") as raw:
        while True:
            chunk = os.read(fd, 8192)
            now = time.time()
            if not chunk:
                break
            raw.write(chunk)
            total += len(chunk)
            stamps.append((now, total))
            if end is None:
                end = now + seconds
                open(prefix + ".ready", "w").close()
            if now >= end:
                break
    parec.terminate()
    parec.wait()
    with open(prefix + ".times", "w") as out:
        for t, n in stamps:
            out.write("%.6f %d\n" % (t, n))
    return 0 if stamps else 1


def load(prefix):
    samples = array.array("h")
    with open(prefix + ".raw", "rb") as raw:
        data = raw.read()
    samples.frombytes(data[: len(data) - len(data) % 2])
    stamps = []
    with open(prefix + ".times") as times:
        for line in times:
            t, n = line.split()
            stamps.append((float(t), int(n) // 2))
    return samples, stamps


def start_near(stamps, index, span=2 * RATE):
    """Wall-clock time of sample 0, from the reads within span samples of index."""
    near = [t - n / RATE for t, n in stamps if abs(n - index) <= span]
    if not near:
        near = [t - n / RATE for t, n in stamps]
    return min(near)


def first_above(samples, dbfs):
    limit = FULL_SCALE * 10 ** (dbfs / 20.0)
    for i, s in enumerate(samples):
        if abs(s) >= limit:
            return i
    return None


def band(samples):
    """The samples through BAND_STAGES resonators at TONE_HZ of 0 dB peak gain (RBJ band-pass)."""
    w = 2 * math.pi * TONE_HZ / RATE
    alpha = math.sin(w) / (2 * BAND_Q)
    a0 = 1 + alpha
    b0, b2, a1, a2 = alpha / a0, -alpha / a0, -2 * math.cos(w) / a0, (1 - alpha) / a0
    x = samples
    for _ in range(BAND_STAGES):
        y = [0.0] * len(x)
        x1 = x2 = y1 = y2 = 0.0
        for i, v in enumerate(x):
            out = b0 * v + b2 * x2 - a1 * y1 - a2 * y2
            x2, x1, y2, y1 = x1, v, y1, out
            y[i] = out
        x = y
    return x


def band_delay():
    """Samples from a clean sine's start at the fade's starting level to its band reaching BAND_DBFS."""
    lead = RATE // 10
    amplitude = TONE_PEAK * 10 ** (START_DB / 20.0) * FULL_SCALE
    sine = [0.0] * lead + [amplitude * math.sin(2 * math.pi * TONE_HZ * i / RATE) for i in range(RATE // 5)]
    return first_above(band(sine), BAND_DBFS) - lead


def tone_onset(samples, stamps, alarm):
    """Index and ms after ALARM of the tone's start, or (None, nan)."""
    # From half a second before the alarm second: what came earlier cannot be the alarm.
    begin = max(0, int((alarm - 0.5 - start_near(stamps, 0)) * RATE))
    i = first_above(band(samples[begin:]), BAND_DBFS)
    if i is None:
        return None, math.nan
    i = max(0, begin + i - band_delay())
    return i, (start_near(stamps, i) + i / RATE - alarm) * 1000.0


def onset(prefix, alarm):
    samples, stamps = load(prefix)
    _, tone = tone_onset(samples, stamps, alarm)
    i = first_above(samples, AUDIBLE_DBFS)
    first = math.nan if i is None else (start_near(stamps, i) + i / RATE - alarm) * 1000.0
    print("%.1f %.1f" % (tone, first))
    return 0


def gap(prefix, alarm, begin_s, end_s):
    samples, stamps = load(prefix)
    i, _ = tone_onset(samples, stamps, alarm)
    if i is None:
        print("nan")
        return 1
    block = RATE // 500
    limit = FULL_SCALE * 10 ** (AUDIBLE_DBFS / 20.0)
    first, last = i + int(begin_s * RATE), min(len(samples), i + int(end_s * RATE))
    if last - first < RATE:
        print("nan")
        return 1
    longest = run = 0
    for b in range(first, last - block + 1, block):
        if max(abs(s) for s in samples[b:b + block]) < limit:
            run += 1
            longest = max(longest, run)
        else:
            run = 0
    print("%d" % (longest * 2))
    return 0


def level(samples, begin, count):
    part = samples[begin:begin + count]
    power = sum(s * s for s in part) / len(part)
    return 10 * math.log10(power / FULL_SCALE ** 2) if power > 0 else -200.0


def fade(prefix, alarm):
    samples, stamps = load(prefix)
    first, _ = tone_onset(samples, stamps, alarm)
    if first is None:
        print("nan nan nan nan nan")
        return 1
    start = start_near(stamps, first)
    window = RATE // 2
    levels = []  # (window centre in seconds after the alarm second's start, level in dBFS)
    i = first
    while i + window <= len(samples):
        levels.append((start + (i + window / 2) / RATE - alarm, level(samples, i, window)))
        i += window
    if len(levels) < 12:
        print("nan nan nan nan nan")
        return 1
    tail = sorted(db for _, db in levels[-4:])
    final = (tail[1] + tail[2]) / 2
    # The rise: past the first window, which holds the very start, and clear of the final level.
    rising = [(t, db) for t, db in levels[1:] if db < final - 0.5]
    if len(rising) < 4:
        print("nan nan %.2f nan nan" % final)
        return 1
    slope, intercept = fit_line(rising)
    # Where the rising line meets the final level: the fade's last step.
    stop = (final - intercept) / slope
    # Where the line is at the fade's starting gain, 29.97 dB under its end: how far the heard fade
    # lags the ring, through the player's and the sound server's buffers.
    begin = (final - 29.97 - intercept) / slope
    print("%.4f %.3f %.2f %.2f %.3f" % (slope, stop, final, levels[0][1], begin))
    return 0


def priming(path, gain_db, dbfs):
    decoded = subprocess.run(
        ["sox", path, "-t", "raw", "-e", "signed-integer", "-b", "16", "-c", "1", "-r", str(RATE), "-"],
        check=True, capture_output=True).stdout
    samples = array.array("h")
    samples.frombytes(decoded[: len(decoded) - len(decoded) % 2])
    i = first_above(samples, dbfs - gain_db)
    print("nan" if i is None else "%.1f" % (i * 1000.0 / RATE))
    return 0 if i is not None else 1
