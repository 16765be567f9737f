#!/usr/bin/python3
"""Measuring tools for scripts/bench.sh.

  measure.py record PREFIX SECONDS         records the null sink's monitor: PREFIX.raw (s16le, mono,
                                           44100 Hz) and PREFIX.times; PREFIX.ready once data flows
  measure.py onset PREFIX ALARM            ms from ALARM (epoch seconds) to the test tone's onset (its
                                           band at BAND_DBFS) and to the first audible sample (any
                                           sound at AUDIBLE_DBFS: the desktop's bell, when it comes first)
  measure.py fade PREFIX ALARM             the rise's slope in dB/s, when it stops (s after ALARM),
                                           the final level and the level of the first half second
  measure.py gap PREFIX ALARM FROM TO      the longest silent run (2 ms blocks under AUDIBLE_DBFS) in
                                           ms, between FROM and TO seconds after the tone's onset
  measure.py priming FILE GAIN_DB DBFS     ms of silence the decoded FILE starts with, heard at GAIN_DB
  measure.py idle SECONDS NAME=PID...      CPU, wake-ups and memory of each process over SECONDS
  measure.py table RESULTS                 the summary table from the "key value" lines in RESULTS

Timing of a recording: every read from parec is stamped with time.time(). A sample's time is the
recording's start plus its index over the rate; the start is estimated from the least-delayed read
near that sample, since a read can only come after its samples reached the monitor. The null sink
hands its monitor blocks of the smallest latency asked of it, rendered that much ahead: 2 ms
fragments keep that error to a few milliseconds (10 ms ones read about 4 ms early).

Finding the test tone: the desktop's bell rings at the same moment, loud and broad, so the tone is
found in its own band: two resonators at 440 Hz (Q 20) pass the tone's fade start (-36 dBFS peak)
whole and the bell at most at -58 dBFS. BAND_DBFS sits between the two. The resonators take a
while to swing up: that delay is measured on a clean sine of the tone's starting level and taken off.
"""
import array
import glob
import math
import os
import signal
import statistics
import subprocess
import sys
import time

RATE = 44100
FULL_SCALE = 32768.0
AUDIBLE_DBFS = -60.0  # well below the tone's -36 dBFS peak at the fade's start, above digital silence
BAND_DBFS = -48.0  # the tone's band: 12 dB under the tone's start, 10 dB over the bell
TONE_HZ = 440.0
TONE_PEAK = 0.5  # sox ... synth sine 440 vol 0.5
START_DB = -30.0  # where the alarm's fade starts
BAND_Q = 20.0
BAND_STAGES = 2


# ---- recording --------------------------------------------------------------------------------

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


def fit(points):
    n = len(points)
    mx = sum(x for x, _ in points) / n
    my = sum(y for _, y in points) / n
    sxx = sum((x - mx) ** 2 for x, _ in points)
    sxy = sum((x - mx) * (y - my) for x, y in points)
    slope = sxy / sxx
    return slope, my - slope * mx


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
    slope, intercept = fit(rising)
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


# ---- processes --------------------------------------------------------------------------------

def sample_process(pid):
    """CPU ticks (all threads, also ended ones), context switches and on-CPU ns of the live threads,
    resident memory in KiB and the thread count."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = int(fields[11]) + int(fields[12])  # utime, stime
    switches = 0
    on_cpu_ns = 0
    threads = 0
    for task in glob.glob("/proc/%d/task/*" % pid):
        try:
            with open(task + "/status") as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        switches += int(line.split()[1])
            with open(task + "/schedstat") as f:
                on_cpu_ns += int(f.read().split()[0])
            threads += 1
        except (FileNotFoundError, ProcessLookupError):
            pass  # the thread ended meanwhile
    rss_kib = 0
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                rss_kib = int(line.split()[1])
    return ticks, switches, on_cpu_ns, rss_kib, threads


def idle(seconds, named):
    hz = os.sysconf("SC_CLK_TCK")
    processes = [(name, int(pid)) for name, pid in (item.split("=", 1) for item in named)]
    before = {name: sample_process(pid) for name, pid in processes}
    began = time.monotonic()
    time.sleep(seconds)
    after = {name: sample_process(pid) for name, pid in processes}
    elapsed = time.monotonic() - began
    for name, _ in processes:
        b, a = before[name], after[name]
        cpu = (a[0] - b[0]) / hz / elapsed * 100.0
        wakeups = (a[1] - b[1]) / elapsed
        precise_cpu = (a[2] - b[2]) / 1e9 / elapsed * 100.0
        # name, CPU % of a core, wake-ups per second, resident MB, threads, CPU % from the scheduler
        print("%s %.3f %.2f %.1f %d %.3f" % (name, cpu, wakeups, a[3] / 1024.0, a[4], precise_cpu))
    return 0


# ---- summary ----------------------------------------------------------------------------------

def read_results(path):
    results = {}
    with open(path) as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 2:
                results.setdefault(parts[0], []).extend(parts[1:])
    return results


# The previous README's figures, printed beside this run's (2026-12-07, before the sound module and
# the start ahead of the second).
BEFORE = {
    "onset_quiet": "32 ms", "onset_busy": "31 ms", "gap": "44 ms", "fade_slope": "1.001 dB/s",
    "fade_end": "30.02 s", "cpu": "0.050 %", "rss_disarmed": "35.0 MB", "rss_armed": "44.0 MB",
    "rss_off": "46 MB", "start": "52.4 ms", "wakeups_disarmed": "3.65 /s", "onset_pw_quiet": "42 ms",
}


def table(path):
    r = read_results(path)
    missing = []

    def numbers(key):
        values = [float(v) for v in r.get(key, [])]
        if all(math.isnan(v) for v in values):
            missing.append(key)
        return values

    def one(key):
        values = numbers(key)
        return values[-1] if values else math.nan

    numbers("priming")

    def median(key):
        values = numbers(key)
        # A sound that never came within the recording counts as later than any that did.
        values = [math.inf if math.isnan(v) else v for v in values]
        return statistics.median(values) if values else math.nan

    def count(key):
        return len(r.get(key, []))

    def fmt(value, unit, digits=0):
        if math.isnan(value):
            return "not measured"
        if math.isinf(value):
            return "no sound"
        return ("%." + str(digits) + "f %s") % (value, unit)

    def ratio(a, b):
        if math.isnan(a) or math.isnan(b) or b <= 0:
            return math.nan
        return a / b

    def rfmt(x):
        return "—" if math.isnan(x) else ("∞" if math.isinf(x) else "%.2f" % x)

    def met(ok):
        return "—" if ok is None else ("yes" if ok else "**no**")

    rows = []
    quiet, base = median("onset_quiet"), median("onset_base")
    rows.append(("Alarm sound's onset (its band), quiet, median of %d" % count("onset_quiet"), "≤ 5 ms",
                 fmt(quiet, "ms"), "bare prerolled pipeline played at the second: " + fmt(base, "ms"),
                 rfmt(ratio(quiet, base)), met(None if math.isnan(quiet) else quiet <= 5), "onset_quiet"))
    if count("onset_pw_quiet"):
        pw, pw_base = median("onset_pw_quiet"), median("onset_pw_base")
        rows.append(("The same on PipeWire, median of %d" % count("onset_pw_quiet"), "≤ 5 ms", fmt(pw, "ms"),
                     "bare pipeline on PipeWire: " + fmt(pw_base, "ms"), rfmt(ratio(pw, pw_base)),
                     met(None if math.isnan(pw) else pw <= 5), "onset_pw_quiet"))
    busy, base_busy = median("onset_busy"), median("onset_base_busy")
    cold = "" if "not_cold" in r else " and a cold page cache"
    rows.append(("Alarm sound's onset, both cores busy%s, median of %d" % (cold, count("onset_busy")), "≤ 20 ms",
                 fmt(busy, "ms"), "the same, busy%s: %s" % (cold, fmt(base_busy, "ms")),
                 rfmt(ratio(busy, base_busy)), met(None if math.isnan(busy) or cold == "" else busy <= 20),
                 "onset_busy"))
    for key, label in (("first_quiet", "quiet"), ("first_busy", "busy")):
        first = median(key)
        rows.append(("First audible sample (the desktop's bell), %s, median of %d" % (label, count(key)), "—",
                     fmt(first, "ms"), "—", "—", "—"))
    gap = one("gap")
    rows.append(("Longest gap between repeats of a 1 s MP3, over 10 s", "< 50 ms", fmt(gap, "ms"), "—", "—",
                 met(None if math.isnan(gap) else gap < 50), "gap"))
    slope = one("fade_slope")
    rows.append(("Fade slope", "1.00 ± 0.05 dB/s", fmt(slope, "dB/s", 3), "—", "—",
                 met(None if math.isnan(slope) else abs(slope - 1.0) <= 0.05), "fade_slope"))
    length = one("fade_end")
    rows.append(("Fade length (alarm second to the end of the rise)", "29.97 s ± 1 %", fmt(length, "s", 2), "—",
                 "—", met(None if math.isnan(length) else abs(length - 29.97) <= 0.2997), "fade_end"))

    def idle_row(label, goal, key, base_key, base_label, unit, digits, limit):
        value, baseline = one(key), one(base_key)
        x = ratio(value, baseline)
        rows.append((label, goal, fmt(value, unit, digits), base_label + ": " + fmt(baseline, unit, digits),
                     rfmt(x), met(None if math.isnan(x) else x <= limit), key))

    # CPU ticks are 10 ms: over a minute an idle window spends only a few. The scheduler's own count
    # (live threads only) stands beside it, and decides when the ticks cannot.
    cpu, cpu_bare = one("cpu_disarmed"), one("cpu_bare")
    sched, sched_bare = one("schedcpu_disarmed"), one("schedcpu_bare")
    x, xs = ratio(cpu, cpu_bare), ratio(sched, sched_bare)
    decided = x if not math.isnan(x) else xs
    rows.append(("Idle disarmed: CPU over %s s (scheduler's count)" % r.get("idle_seconds", ["?"])[0],
                 "≤ bare window (as before)", "%s (%s)" % (fmt(cpu, "%", 3), fmt(sched, "%", 3)),
                 "bare: %s (%s)" % (fmt(cpu_bare, "%", 3), fmt(sched_bare, "%", 3)),
                 "%s (%s)" % (rfmt(x), rfmt(xs)), met(None if math.isnan(decided) else decided <= 1.0), "cpu"))
    idle_row("Idle disarmed: wake-ups (context switches, all threads)", "≤ bare window",
             "wakeups_disarmed", "wakeups_bare", "bare", "/s", 2, 1.0)
    idle_row("Idle disarmed: resident memory", "≤ 1.05 × bare window", "rss_disarmed", "rss_bare", "bare", "MB", 1,
             1.05)
    idle_row("Idle armed: resident memory", "≤ 1.15 × bare + player", "rss_armed", "rss_player",
             "bare + prerolled pipeline", "MB", 1, 1.15)
    off, disarmed = one("rss_off"), one("rss_disarmed")
    if not math.isnan(off):
        rows.append(("A few seconds after OFF: resident memory", "≤ disarmed + 2 MB", fmt(off, "MB", 1),
                     "Kestrune disarmed: " + fmt(disarmed, "MB", 1), "%+.1f MB" % (off - disarmed),
                     met(None if math.isnan(disarmed) else off - disarmed <= 2.0), "rss_off"))
    start, start_bare = median("start_kestrune"), median("start_bare")
    x = ratio(start, start_bare)
    rows.append(("Start-up to first painted window, median of %d" % count("start_kestrune"),
                 "≤ 1.2 × bare window", fmt(start, "ms", 1), "bare: " + fmt(start_bare, "ms", 1),
                 rfmt(x), met(None if math.isnan(x) else x <= 1.2), "start"))
    rows = [row[:6] + (BEFORE.get(row[6], "—"),) for row in rows]

    header = ("Figure", "Goal", "Kestrune", "Baseline (same run)", "Ratio", "Goal met", "Before")
    widths = [max(len(row[i]) for row in rows + [header]) for i in range(len(header))]

    def line(cells):
        return "| " + " | ".join(c.ljust(w) for c, w in zip(cells, widths)) + " |"

    print(line(header))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for row in rows:
        print(line(row))

    notes = []

    def note(text):
        notes.append(text)

    if "priming" in r:
        note("The test tone's MP3 starts with %s ms of encoder delay (decoded with sox, at the -30 dB start "
             "gain); the onsets above include whatever of it the player does not skip." % r["priming"][0])
    if "lead" in r:
        leads = [float(v) for v in r["lead"]]
        note("Alarms were armed %.1f–%.1f s before their second (median %.1f s)."
             % (min(leads), max(leads), statistics.median(leads)))
    for key, label in (("onset_quiet", "alarm sound, quiet"), ("onset_busy", "alarm sound, busy"),
                       ("onset_pw_quiet", "alarm sound, PipeWire"), ("onset_pw_base", "bare pipeline, PipeWire"),
                       ("onset_base", "bare pipeline, quiet"), ("onset_base_busy", "bare pipeline, busy"),
                       ("first_quiet", "first audible sample, quiet"), ("first_busy", "first audible sample, busy")):
        if key in r:
            note("Onsets, %s: %s ms." % (label, ", ".join(r[key])))
    if "fade_final" in r:
        note("Fade: first half second at %s dBFS (the bell included), final level %s dBFS (tone at -9.5 dBFS, "
             "fade from -30 dB); the rise's line starts %s s after the alarm second (the heard fade's lag behind "
             "the ring)." % (r.get("fade_first", ["?"])[0], r["fade_final"][0], r.get("fade_begin", ["?"])[0]))
    for name in ("disarmed", "armed", "bare", "player", "off"):
        if "cpu_" + name in r:
            note("Idle %s: CPU %s %% (scheduler: %s %%), %s wake-ups/s, %s MB, %s threads." % (
                {"disarmed": "Kestrune disarmed", "armed": "Kestrune armed", "bare": "bare window",
                 "player": "bare + prerolled pipeline", "off": "Kestrune after OFF"}[name],
                r["cpu_" + name][0], r.get("schedcpu_" + name, ["?"])[0], r["wakeups_" + name][0],
                r["rss_" + name][0], r.get("threads_" + name, ["?"])[0]))
    for key, label in (("start_kestrune", "Kestrune"), ("start_bare", "bare")):
        if key in r:
            mapped = [float(v) for v in r.get(key + "_map", [])]
            note("Start-up, %s: %s ms%s." % (label, ", ".join(r[key]), "" if not mapped else
                                            "; window mapped after %.1f ms (median)" % statistics.median(mapped)))
    if "load" in r:
        note("Load average (1 min) as each part began: %s." % ", ".join(v.replace(":", " ") for v in r["load"]))
    print()
    for text in notes:
        print("- " + text)
    if missing:
        print("\nNot measured: " + ", ".join(sorted(set(missing))), file=sys.stderr)
        return 1
    return 0


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    command, args = argv[1], argv[2:]
    if command == "record":
        return record(args[0], float(args[1]))
    if command == "onset":
        return onset(args[0], float(args[1]))
    if command == "fade":
        return fade(args[0], float(args[1]))
    if command == "gap":
        return gap(args[0], float(args[1]), float(args[2]), float(args[3]))
    if command == "priming":
        return priming(args[0], float(args[1]), float(args[2]))
    if command == "idle":
        return idle(float(args[0]), args[1:])
    if command == "table":
        return table(args[0])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
