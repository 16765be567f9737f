"""The table of figures from the results file, with the previous figures beside this run's."""

import math
import statistics
import sys


def read_results(path):
    results = {}
    with open(path) as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 2:
                results.setdefault(parts[0], []).extend(parts[1:])
    return results


# The previous README's figures, printed beside this run's (2026-12-07, before the sound module and
# the start ahead of the second; the wake-ups armed, shown and hidden: 2026-12-08, before a hidden
# clock slept between the moments that matter).
BEFORE = {
    "onset_quiet": "32 ms", "onset_busy": "31 ms", "gap": "44 ms", "fade_slope": "1.001 dB/s",
    "fade_end": "30.02 s", "cpu": "0.050 %", "rss_disarmed": "35.0 MB", "rss_armed": "44.0 MB",
    "rss_off": "46 MB", "start": "52.4 ms", "wakeups_disarmed": "3.65 /s", "onset_pw_quiet": "42 ms",
    "wakeups_hidden": "1.25 /s", "wakeups_armed": "4.85 /s",
}


def table(path):
    r = read_results(path)
    missing = []
    parts = r.get("parts", ["all"])[0]

    def ran(part):
        return parts == "all" or part in parts.split(",")

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
    if ran("rings"):
        ring_rows(rows, r, median, one, count, fmt, ratio, rfmt, met)
    if ran("idle"):
        idle_rows(rows, r, one, fmt, ratio, rfmt, met)
    if ran("startup"):
        start, start_bare = median("start_kestrune"), median("start_bare")
        x = ratio(start, start_bare)
        rows.append(("Start-up to first painted window, median of %d" % count("start_kestrune"),
                     "≤ 1.2 × bare window", fmt(start, "ms", 1), "bare: " + fmt(start_bare, "ms", 1),
                     rfmt(x), met(None if math.isnan(x) else x <= 1.2), "start"))
    print_table(rows)
    notes(r)
    if missing:
        print("\nNot measured: " + ", ".join(sorted(set(missing))), file=sys.stderr)
        return 1
    return 0


def ring_rows(rows, r, median, one, count, fmt, ratio, rfmt, met):
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


def idle_rows(rows, r, one, fmt, ratio, rfmt, met):
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
    idle_row("Idle armed, window shown: wake-ups (all threads)", "≤ bare window", "wakeups_armed", "wakeups_bare",
             "bare", "/s", 2, 1.0)
    hidden, bare = one("wakeups_hidden"), one("wakeups_bare")
    rows.append(("Idle armed, hidden in the notification area: wake-ups (all threads)", "≤ 0.2 /s",
                 fmt(hidden, "/s", 2), "bare: " + fmt(bare, "/s", 2), rfmt(ratio(hidden, bare)),
                 met(None if math.isnan(hidden) else hidden <= 0.2), "wakeups_hidden"))
    idle_row("Idle disarmed: resident memory", "≤ 1.05 × bare window", "rss_disarmed", "rss_bare", "bare", "MB", 1,
             1.05)
    idle_row("Idle armed: resident memory, sound process included", "≤ 1.15 × bare + player", "rss_armed",
             "rss_player", "bare + prerolled pipeline", "MB", 1, 1.15)
    off, disarmed = one("rss_off"), one("rss_disarmed")
    if not math.isnan(off):
        rows.append(("A few seconds after OFF: resident memory", "≤ disarmed + 2 MB", fmt(off, "MB", 1),
                     "Kestrune disarmed: " + fmt(disarmed, "MB", 1), "%+.1f MB" % (off - disarmed),
                     met(None if math.isnan(disarmed) else off - disarmed <= 2.0), "rss_off"))


def print_table(rows):
    rows = [row[:6] + (BEFORE.get(row[6] if len(row) > 6 else "", "—"),) for row in rows]

    header = ("Figure", "Goal", "Kestrune", "Baseline (same run)", "Ratio", "Goal met", "Before")
    widths = [max(len(row[i]) for row in rows + [header]) for i in range(len(header))]

    def line(cells):
        return "| " + " | ".join(c.ljust(w) for c, w in zip(cells, widths)) + " |"

    print(line(header))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for row in rows:
        print(line(row))


def notes(r):
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
    for name in ("disarmed", "armed", "hidden", "bare", "player", "off"):
        if "cpu_" + name in r:
            note("Idle %s: CPU %s %% (scheduler: %s %%), %s wake-ups/s, %s MB resident (%s MB proportional), "
                 "%s threads in %s process(es)." % (
                     {"disarmed": "Kestrune disarmed", "armed": "Kestrune armed", "bare": "bare window",
                      "hidden": "Kestrune armed and hidden in the notification area",
                      "player": "bare + prerolled pipeline", "off": "Kestrune after OFF"}[name],
                     r["cpu_" + name][0], r.get("schedcpu_" + name, ["?"])[0], r["wakeups_" + name][0],
                     r["rss_" + name][0], r.get("pss_" + name, ["?"])[0], r.get("threads_" + name, ["?"])[0],
                     r.get("processes_" + name, ["1"])[0]))
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
