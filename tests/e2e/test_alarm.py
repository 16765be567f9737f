"""The alarm as a user lives it, heard from outside: a sound chosen through the real file dialog, an alarm time
typed a few seconds ahead, ON, and then what the sound server plays, recorded from the null sink's monitor and
measured with sox. The fade must start about 30 dB below the file's own level and rise about 1 dB a second; OFF
silences at once; Sleep silences within a second and the alarm comes back after the one-minute snooze with a fresh
fade; an unplayable file still gives a rising tone; ON without a sound says so in a message box."""

import math
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kestrune_e2e import (Kestrune, Recorder, Results, all_text, binary_from_args,  # noqa: E402
                          block_levels, find_named, fit_line, key, log, loudest, make_tone, poll, press,
                          profile, read_wav_mono, require_services, rms_db, sound_onset, type_text)

FADE_DEPTH_DB = 30.0      # -3000 hundredths of a decibel
SILENT_DB = -70.0         # a null sink gives digital silence; anything below this is no alarm
SNOOZE_SECONDS = 60       # one minute, the snooze length without settings
ALARM_LEAD = 6            # seconds between typing the alarm time and the alarm


def wait_until(wall, app):
    """Sleeps until a wall-clock moment, checking now and then that the program still runs."""
    while time.time() < wall:
        if app.process.poll() is not None:
            raise RuntimeError(f"the program ended with code {app.process.returncode}")
        time.sleep(min(0.5, max(0.0, wall - time.time())))


def choose_sound(results, app, path):
    """Select Alarm Sound, then the real Qt file dialog: its file name box, the full path, Return."""
    app.click("Command4")
    dialog = poll(lambda: app.top_levels("Open")[-1], 20, 0.2)
    if dialog is None:
        raise RuntimeError(f"no file dialog named Open; windows: {[w.name for w in app.top_levels()]}")
    look_in = find_named(dialog, app.folder, "combo box")
    results.check("the file dialog opens in the program's folder", look_in is not None, app.folder,
                  [c.name for c in [dialog.getChildAtIndex(i) for i in range(dialog.childCount)]
                   if c is not None and c.getRoleName() == "combo box"])
    box = find_named(dialog, "File name:", "text")
    if box is None:
        raise RuntimeError("the file dialog has no file name box")
    press(box)
    key("ctrl+a")
    type_text(path)
    key("Return")
    if not poll(lambda: not app.top_levels("Open"), 20, 0.2):
        raise RuntimeError("the file dialog did not close after Return")


def arm(results, app, lead=ALARM_LEAD):
    """Types an alarm time a few seconds ahead and presses ON; returns the alarm second as a wall-clock moment.
    On a machine too slow to arm in time, disarms and tries once more with twice the lead."""
    for attempt in range(2):
        alarm = math.floor(time.time()) + lead
        text = time.strftime("%H:%M:%S", time.localtime(alarm))
        app.type_into("Text2", text)
        results.equal("the alarm box holds the typed time", text, app.text("Text2"))
        app.click("Command1")
        results.equal("after ON the status box reads", "Alarm Set", app.wait_text("Text5", "Alarm Set"))
        if time.time() <= alarm - 0.5:
            return alarm
        log(f"arming for {text} took until {time.strftime('%H:%M:%S')}; trying again with a longer lead")
        app.click("Command2")
        app.wait_text("Text5", "Not Set")
        lead *= 2
    raise RuntimeError("arming took too long twice: the alarm time had come before ON took effect")


def sleep_offered(results, app, alarm, what):
    """The ring makes Sleep available; seen from outside, that is the ring's moment."""
    wait_until(alarm, app)
    rung = poll(lambda: app.enabled("Command3") and time.time(), 5, 0.05)
    return results.check(f"{what}: Sleep becomes available at the alarm time",
                         rung is not None and rung - alarm <= 2.0, "within 2 s of the alarm second",
                         "never (5 s)" if rung is None else f"{rung - alarm:+.2f} s")


def press_and_time(app, name):
    """Clicks a button and returns the wall-clock moment just after the click was sent."""
    app.click(name)
    return time.time()


def analyse(path):
    levels = block_levels(read_wav_mono(path))
    log(f"recording {path}: {len(levels) / 100:.1f} s")
    return levels


def fade_fit(results, what, path, start, offsets, end, window=0.5, measure="RMS lev dB"):
    """Levels (sox, windows of `window` seconds) at start + each offset that ends before `end`, and the straight
    line through them: slope, level at `start`, worst distance from the line. None when too little was heard."""
    measured = [(t, rms_db(path, start + t, window, measure)) for t in offsets if start + t + window <= end]
    if len(measured) < 4 or any(level == float("-inf") for _, level in measured):
        results.check(f"{what}: enough sound to measure the fade", False, "4 or more levels of a sound",
                      measured)
        return None
    slope, at_start = fit_line(measured)
    worst = max(abs(level - (at_start + slope * t)) for t, level in measured)
    return slope, at_start, worst, [(t, round(level, 1)) for t, level in measured]


def check_ring(results, levels, rec, alarm, latest, what, sustain=2.0, fraction=0.9):
    """The first lasting sound must begin between the alarm second and `latest` seconds after it."""
    alarm_at = rec.seconds(alarm)
    log(f"{what}: alarm second at {alarm_at:.2f} s; loudest per 0.5 s: {profile(levels, 0, alarm_at + 6)}")
    before = loudest(levels, 0, alarm_at - 0.3)
    results.check(f"{what}: silence before the alarm time", before is not None and before < SILENT_DB,
                  f"below {SILENT_DB} dBFS", f"{before} dBFS")
    onset = sound_onset(levels, alarm_at - 3, sustain=sustain, fraction=fraction)
    if onset is None:
        results.check(f"{what}: a sound starts at the alarm time", False, "a lasting sound", "none recorded")
        return None
    late = onset - alarm_at
    results.check(f"{what}: the sound starts within about a second of the alarm second", -0.2 <= late <= latest,
                  f"0 to {latest} s after the alarm second", f"{late:+.2f} s")
    return onset


def message_without_sound(results, app):
    app.click("Command1")
    boxes = poll(lambda: app.windows("^Kestrune$")[1:], 20, 0.2)
    results.check("ON without a sound opens a second window captioned Kestrune", bool(boxes), "a message box",
                  f"windows {app.windows('^Kestrune$')}")
    alerts = poll(lambda: app.top_levels("Kestrune")[1:], 20, 0.2) or []
    words = all_text(alerts[0]) if alerts else []
    results.check("the message box says what to do", "Please Choose A Sound For The Alarm" in words,
                  "Please Choose A Sound For The Alarm", words)
    key("Return")
    gone = poll(lambda: not app.windows("^Kestrune$")[1:], 20, 0.2)
    results.check("Return closes the message box", bool(gone), "only the main window",
                  f"windows {app.windows('^Kestrune$')}")
    results.equal("the alarm stays unarmed", "Not Set", app.text("Text5"))


def ring_fade_off(results, app, tone, tone_level):
    choose_sound(results, app, tone)
    path = os.path.join(app.folder, "ring.wav")
    with Recorder(path) as rec:
        alarm = arm(results, app)
        sleep_offered(results, app, alarm, "ring")
        wait_until(alarm + 17, app)
        off = press_and_time(app, "Command2")
        results.equal("after OFF the status box reads", "Not Set", app.wait_text("Text5", "Not Set"))
        wait_until(off + 2, app)
    levels = analyse(path)
    onset = check_ring(results, levels, rec, alarm, 1.5, "ring")
    if onset is None:
        return
    off_at = rec.seconds(off)
    # From two seconds on: the system's short alert at the ring is over by then.
    fit = fade_fit(results, "ring", path, onset, range(2, 15), off_at - 0.1)
    if fit is None:
        return
    slope, at_start, worst, measured = fit
    results.check("the level rises about 1 dB a second", 0.8 <= slope <= 1.2, "0.8 to 1.2 dB/s",
                  f"{slope:.2f} dB/s from {measured}")
    results.check("the fade starts about 30 dB below the file's level", abs(at_start - (tone_level - FADE_DEPTH_DB))
                  <= 4, f"{tone_level - FADE_DEPTH_DB:.1f} +- 4 dBFS", f"{at_start:.1f} dBFS at the onset")
    results.check("the rise is steady", worst <= 2.0, "no level more than 2 dB off the line", f"{worst:.2f} dB")
    playing = loudest(levels, off_at - 0.6, off_at - 0.1)
    results.check("the alarm was still sounding when OFF was pressed", playing is not None and playing > SILENT_DB,
                  "a sound", f"{playing} dBFS")
    after = loudest(levels, off_at + 0.2, off_at + 1.5)
    results.check("OFF silences within 0.2 s", after is not None and after < SILENT_DB, f"below {SILENT_DB} dBFS",
                  f"{after} dBFS (loudest 10 ms from 0.2 s to 1.5 s after OFF)")


def snooze(results, app, tone_level):
    path = os.path.join(app.folder, "snooze.wav")
    with Recorder(path) as rec:
        alarm = arm(results, app)
        if not sleep_offered(results, app, alarm, "second alarm"):
            app.click("Command2")
            return  # no ring, nothing to snooze
        wait_until(alarm + 4, app)
        sleep = press_and_time(app, "Command3")
        wait_until(sleep + SNOOZE_SECONDS + 9, app)
        off = press_and_time(app, "Command2")
        app.wait_text("Text5", "Not Set")
        wait_until(off + 1, app)
    levels = analyse(path)
    onset = check_ring(results, levels, rec, alarm, 1.5, "second alarm")
    if onset is None:
        return
    sleep_at = rec.seconds(sleep)
    playing = loudest(levels, sleep_at - 0.6, sleep_at - 0.1)
    results.check("the alarm was sounding when Sleep was pressed", playing is not None and playing > SILENT_DB,
                  "a sound", f"{playing} dBFS")
    quiet = loudest(levels, sleep_at + 1.3, sleep_at + SNOOZE_SECONDS - 2)
    results.check("Sleep silences within about a second, for the whole snooze", quiet is not None and
                  quiet < SILENT_DB, f"below {SILENT_DB} dBFS", f"loudest {quiet} dBFS from 1.3 s to 58 s")
    back = sound_onset(levels, sleep_at + 1.3)
    if back is None:
        results.check("the alarm comes back after the snooze", False, "a sound about 60 s after Sleep", "none")
        return
    results.check("the alarm comes back one minute after Sleep", SNOOZE_SECONDS - 1 <= back - sleep_at <=
                  SNOOZE_SECONDS + 2, f"{SNOOZE_SECONDS - 1} to {SNOOZE_SECONDS + 2} s", f"{back - sleep_at:.2f} s")
    fit = fade_fit(results, "after the snooze", path, back, [0.25 + i for i in range(8)], rec.seconds(off) - 0.1)
    if fit is None:
        return
    slope, at_start, worst, measured = fit
    results.check("the second ring fades in afresh from about 30 dB below the file's level",
                  abs(at_start - (tone_level - FADE_DEPTH_DB)) <= 4, f"{tone_level - FADE_DEPTH_DB:.1f} +- 4 dBFS",
                  f"{at_start:.1f} dBFS at its onset, levels {measured}")
    results.check("and rises about 1 dB a second", 0.7 <= slope <= 1.3, "0.7 to 1.3 dB/s", f"{slope:.2f} dB/s")


def unplayable_file(results, app):
    broken = os.path.join(app.folder, "broken.mp3")
    with open(broken, "w") as f:
        f.write("This is a text file, not a sound.\n" * 20)
    choose_sound(results, app, broken)
    path = os.path.join(app.folder, "fallback.wav")
    with Recorder(path) as rec:
        alarm = arm(results, app)
        sleep_offered(results, app, alarm, "unplayable file")
        wait_until(alarm + 14, app)
        off = press_and_time(app, "Command2")
        app.wait_text("Text5", "Not Set")
    levels = analyse(path)
    # The built-in tone may beep: a sound counts from where a fifth of the next 3 s is heard, which the system's
    # short alert alone (0.14 s) never is.
    onset = check_ring(results, levels, rec, alarm, 2.5, "unplayable file", sustain=3.0, fraction=0.2)
    if onset is None:
        return
    # Peaks over 1.5 s, longer than a beep and its pauses, follow the fade whatever the rhythm of the tone.
    fit = fade_fit(results, "unplayable file", path, onset, range(2, 10), rec.seconds(off) - 0.1, 1.5, "Pk lev dB")
    if fit is None:
        return
    slope, at_start, worst, measured = fit
    results.check("the built-in tone rises about 1 dB a second", 0.7 <= slope <= 1.3, "0.7 to 1.3 dB/s",
                  f"{slope:.2f} dB/s from peaks {measured}")
    # Whatever the built-in tone's own level, a fade from 30 dB below it starts at least that far below full scale.
    results.check("and starts quiet", at_start <= -FADE_DEPTH_DB + 4, f"peaks at most {-FADE_DEPTH_DB + 4} dBFS",
                  f"{at_start:.1f} dBFS at the onset")


def main():
    binary = binary_from_args()
    require_services(sound=True)
    results = Results("e2e_alarm")
    app = Kestrune(binary)
    try:
        app.start()
        tone = make_tone(os.path.join(app.folder, "tone.mp3"))
        tone_level = rms_db(tone, 5)
        log(f"the generated tone plays at {tone_level:.1f} dBFS")
        results.case(message_without_sound, app)
        results.case(ring_fade_off, app, tone, tone_level)
        results.case(snooze, app, tone_level)
    except Exception as error:
        results.check("the program starts", False, "a running program", error)
    finally:
        app.stop()
    fresh = Kestrune(binary)
    try:
        fresh.start()
        results.case(unplayable_file, fresh)
    except Exception as error:
        results.check("the program starts again", False, "a running program", error)
    finally:
        fresh.stop()
    results.finish()


if __name__ == "__main__":
    main()
