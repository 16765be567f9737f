"""The alarm as a user lives it, heard from outside: a sound chosen through the real file dialog, an alarm time
typed a few seconds ahead, ON, and then what the sound server plays, recorded from the null sink's monitor and
measured with sox. The fade must start about 30 dB below the file's own level and rise about 1 dB a second; OFF
silences at once; Sleep silences within a second and the alarm comes back after the one-minute snooze with a fresh
fade; an unplayable file still gives a rising tone; ON without a sound says so in a message box. A user away from an
unlocked screen: the ring is a media player (playerctl) only from the ring until OFF, whose pause is Sleep, whose play
while snoozed changes nothing and whose stop during the snooze is OFF; it resets the X screen saver, tells a stand-in
freedesktop screen saver of activity and asks a stand-in KDE power manager to wake the screen;
with a headset as the default output it is heard on the computer's speaker too. Then, the armed
alarm and the computer's power: the wake timer as root, as another user given CAP_WAKE_ALARM as
a systemd 254 login gives it, and without the capability; logind's inhibitors and its PrepareForSleep through
python3-dbusmock's logind on a private system bus, the notification server and the desktop portal as stand-ins."""

import contextlib
import datetime
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time
import zoneinfo

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kestrune import (FakeClock, Kestrune, NullSinks, arm_alarm, screen_saver_active, ring_seen, wait_until, settings_line, Recorder, Results, all_text, binary_from_args,  # noqa: E402
                          block_levels, find_named, median_line, key, log, loudest, make_tone, poll, press,
                          profile, read_wav_mono, require_services, rms_db, sound_onset, type_text,
                          capability_sets, child_pids, click_at, extents, stop_process, far_alarm_text, regular_account,
                          run, wake_timers, window_geometry)
from kestrune.desktops import Desktop, dbus_call  # noqa: E402

FADE_DEPTH_DB = 30.0      # -3000 hundredths of a decibel
SILENT_DB = -70.0         # a null sink gives digital silence; anything below this is no alarm
SNOOZE_SECONDS = 12       # the snooze's minute (the length without settings) as it passes here: the program's
                          # clock is moved on for the rest of it
ALARM_LEAD = 6            # seconds between typing the alarm time and the alarm


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
    """Arms a few seconds ahead (see arm_alarm); returns the alarm second as a wall-clock moment."""
    alarm = arm_alarm(app, lead)
    results.equal("after ON the alarm box holds the typed time and the status box reads",
                  (time.strftime("%H:%M:%S", time.localtime(alarm)), "Alarm Set"), (app.text("Text2"), app.text("Text5")))
    return alarm


def sleep_offered(results, app, alarm, what):
    """The ring makes Sleep available; seen from outside, that is the ring's moment."""
    return ring_seen(results, app, alarm, what, within=2.0, timeout=5) is not None


def press_and_time(app, name):
    """Clicks a button and returns the wall-clock moment just after the click was sent."""
    app.click(name)
    return time.time()


def analyse(path):
    levels = block_levels(read_wav_mono(path))
    log(f"recording {path}: {len(levels) / 100:.1f} s")
    return levels


def fade_fit(results, what, path, start, offsets, end, window=0.5, measure="RMS lev dB"):
    """Levels (sox, windows of `window` seconds) at start + each offset that ends before `end`, and the median line
    through them: slope, level at `start`, the distance from the line of all levels but the farthest (a busy
    machine's one late stretch). None when too little was heard."""
    measured = [(t, rms_db(path, start + t, window, measure)) for t in offsets if start + t + window <= end]
    if len(measured) < 4 or any(level == float("-inf") for _, level in measured):
        results.check(f"{what}: enough sound to measure the fade", False, "4 or more levels of a sound",
                      measured)
        return None
    slope, at_start = median_line(measured)
    worst = sorted(abs(level - (at_start + slope * t)) for t, level in measured)[-2]
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
    results.check("the level rises about 1 dB a second", 0.7 <= slope <= 1.3, "0.7 to 1.3 dB/s",
                  f"{slope:.2f} dB/s from {measured}")
    results.check("the fade starts about 30 dB below the file's level", abs(at_start - (tone_level - FADE_DEPTH_DB))
                  <= 4, f"{tone_level - FADE_DEPTH_DB:.1f} +- 4 dBFS", f"{at_start:.1f} dBFS at the onset")
    results.check("the rise is steady", worst <= 2.0, "no more than one level 2 dB off the line", f"{worst:.2f} dB")
    playing = loudest(levels, off_at - 0.6, off_at - 0.1)
    results.check("the alarm was still sounding when OFF was pressed", playing is not None and playing > SILENT_DB,
                  "a sound", f"{playing} dBFS")
    after = loudest(levels, off_at + 0.2, off_at + 1.5)
    results.check("OFF silences within 0.2 s", after is not None and after < SILENT_DB, f"below {SILENT_DB} dBFS",
                  f"{after} dBFS (loudest 10 ms from 0.2 s to 1.5 s after OFF)")


def from_menu(app, item):
    """Opens the menu bar's Menu with the mouse and clicks one of its items."""
    menu = find_named(find_named(app.window("Kestrune"), "", "menu bar"), "Menu", "menu item")
    press(menu)
    shown = poll(lambda: (lambda n: n if n is not None and extents(n)[2] > 0 else None)(find_named(menu, item)), 5)
    if shown is None:
        raise RuntimeError(f"the menu shows no {item}")
    press(shown)


def sink_muted():
    return run(["pactl", "get-sink-mute", "test_sink"]).strip().endswith("yes")


def try_sound(results, app, tone_level):
    """Try Alarm Sound plays the ring's fade, leaves a muted output muted (a ring would unmute it) and arms nothing;
    choosing it again silences it."""
    path = os.path.join(app.folder, "try.wav")
    run(["pactl", "set-sink-mute", "test_sink", "1"])
    try:
        with Recorder(path) as rec:
            from_menu(app, "Try Alarm Sound")
            started = time.time()
            wait_until(started + 3, app)
            results.equal("the try leaves the muted output muted", True, sink_muted())
            run(["pactl", "set-sink-mute", "test_sink", "0"])
            results.equal("the try arms nothing", ("Not Set", False), (app.text("Text5"), app.enabled("Command2")))
            wait_until(started + 12, app)
            from_menu(app, "Try Alarm Sound")
            stopped = time.time()
            wait_until(stopped + 2, app)
    finally:
        run(["pactl", "set-sink-mute", "test_sink", "0"])
    levels = analyse(path)
    # From where the recording shows the try's sound begin, not from the click: a loaded machine may start it late.
    start, end = rec.seconds(started), rec.seconds(stopped)
    start = sound_onset(levels, start - 0.5, sustain=2.0) or start
    fit = fade_fit(results, "try", path, start, range(2, 11), end - 0.1)
    if fit is not None:
        slope, at_start, _, measured = fit
        results.check("the try rises about 1 dB a second from about 30 dB below the file's level",
                      0.7 <= slope <= 1.3 and abs(at_start - (tone_level - FADE_DEPTH_DB)) <= 4,
                      f"0.7 to 1.3 dB/s from {tone_level - FADE_DEPTH_DB:.1f} +- 4 dBFS",
                      f"{slope:.2f} dB/s from {at_start:.1f} dBFS, {measured}")
    after = loudest(levels, end + 0.5, end + 1.5)
    results.check("a second click silences the try", after is not None and after < SILENT_DB,
                  f"below {SILENT_DB} dBFS", f"{after} dBFS")


def snooze(results, app, tone_level, clock):
    path = os.path.join(app.folder, "snooze.wav")
    with Recorder(path) as rec:
        alarm = arm(results, app)
        if not sleep_offered(results, app, alarm, "second alarm"):
            app.click("Command2")
            return  # no ring, nothing to snooze
        wait_until(alarm + 4, app)
        sleep = press_and_time(app, "Command3")
        wait_until(clock.skip_snooze(app, sleep, SNOOZE_SECONDS) + 9, app)
        off = press_and_time(app, "Command2")
        app.wait_text("Text5", "Not Set")
        clock.set(0)
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
                  quiet < SILENT_DB, f"below {SILENT_DB} dBFS",
                  f"loudest {quiet} dBFS from 1.3 s to {SNOOZE_SECONDS - 2} s")
    back = sound_onset(levels, sleep_at + 1.3)
    if back is None:
        results.check("the alarm comes back after the snooze", False, "a sound at the end of the snooze", "none")
        return
    # The snooze ends on a whole second of the clock, and the press is stamped when xdotool sends it: on a
    # loaded machine the two differ by a little more than the second itself.
    results.check("the alarm comes back one minute after Sleep", SNOOZE_SECONDS - 1.5 <= back - sleep_at <=
                  SNOOZE_SECONDS + 2, f"{SNOOZE_SECONDS - 1.5} to {SNOOZE_SECONDS + 2} s", f"{back - sleep_at:.2f} s")
    fit = fade_fit(results, "after the snooze", path, back, [0.25 + i for i in range(8)], rec.seconds(off) - 0.1)
    if fit is None:
        return
    slope, at_start, worst, measured = fit
    results.check("the second ring fades in afresh from about 30 dB below the file's level",
                  abs(at_start - (tone_level - FADE_DEPTH_DB)) <= 4, f"{tone_level - FADE_DEPTH_DB:.1f} +- 4 dBFS",
                  f"{at_start:.1f} dBFS at its onset, levels {measured}")
    results.check("and rises about 1 dB a second", 0.7 <= slope <= 1.3, "0.7 to 1.3 dB/s", f"{slope:.2f} dB/s")


def players():
    return run(["playerctl", "-l"], check=False).split()


def player(*command):
    return run(["playerctl", "-p", "kestrune", *command], check=False).strip()


def away_from_the_screen(results, app, desk, clock):
    """A bed-side ring: the default output a Bluetooth headset, the laptop's speaker another output, the screen
    saver on, the window out of reach; Sleep and OFF through the media player's pause and stop."""
    desk.start_mock("screensaver", "org.freedesktop.ScreenSaver",
                    ["org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"])
    dbus_call("session", "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.DBus.Mock",
              "AddMethod", "sssss", ("", "SimulateUserActivity", "", "", ""))
    kde = ("org.kde.Solid.PowerManagement", "/org/kde/Solid/PowerManagement", "org.kde.Solid.PowerManagement")
    desk.start_mock("powerdevil", kde[0], list(kde))
    dbus_call("session", kde[0], kde[1], "org.freedesktop.DBus.Mock", "AddMethod", "sssss", ("", "wakeup", "", "", ""))
    path = os.path.join(app.folder, "speaker.wav")
    with NullSinks({"headset": "device.form_factor=headset device.bus=bluetooth",
                    "speaker": "device.form_factor=internal device.bus=pci"}), Recorder(path, "speaker") as rec:
        alarm = arm(results, app)
        run(["xset", "s", "activate"])
        results.equal("armed, before the ring: no media player, the screen saver on", (False, True),
                      ("kestrune" in players(), screen_saver_active()))
        if not sleep_offered(results, app, alarm, "ring away from the screen"):
            app.click("Command2")
            return
        poll(lambda: not screen_saver_active(), 3)
        results.equal("at the ring: a media player that plays, the screen saver reset, the desktop told of activity, "
                      "KDE's power manager asked to wake the screen", (True, "Playing", False, True, True),
                      ("kestrune" in players(), player("status"), screen_saver_active(),
                       "SimulateUserActivity" in desk.log_of("screensaver-calls"),
                       "wakeup" in desk.log_of("powerdevil-calls")))
        wait_until(alarm + 4, app)
        player("pause")
        sleep = time.time()
        results.equal("playerctl pause is Sleep: the player pauses, the alarm stays set", ("Paused", "Alarm Set"),
                      (poll(lambda: player("status") == "Paused" and "Paused", 3), app.text("Text5")))
        clock.skip_snooze(app, sleep, SNOOZE_SECONDS)
        if not poll(lambda: player("status") == "Playing", 10, 0.5):
            results.check("the snooze rings again as the media player", False, "Playing", player("status"))
        re_ring = time.time()
        wait_until(re_ring + 2, app)
        player("pause")
        poll(lambda: player("status") == "Paused", 3)
        # Snoozed, it stays a player that can play (else GNOME hides it and playerctl refuses Stop); Play changes
        # nothing and is no error.
        play = subprocess.run(["playerctl", "-p", "kestrune", "play"], capture_output=True, text=True, timeout=10)
        results.equal("snoozed again: Play changes nothing, no error; the player names the program and the alarm",
                      (0, "", "Paused", "Kestrune", f"Alarm {time.strftime('%H:%M:%S', time.localtime(alarm))}"),
                      (play.returncode, play.stderr.strip(), player("status"), player("metadata", "xesam:artist"),
                       player("metadata", "xesam:title")))
        player("stop")
        results.equal("playerctl stop during the snooze is OFF, and the player is gone", ("Not Set", True),
                      (app.wait_text("Text5", "Not Set"), bool(poll(lambda: "kestrune" not in players(), 3))))
        clock.set(0)
        wait_until(time.time() + 1, app)
    levels = analyse(path)
    sleep_at = rec.seconds(sleep)
    heard = loudest(levels, rec.seconds(alarm) + 1, sleep_at - 0.2)
    results.check("the ring is heard on the computer's speaker beside the headset", heard is not None and
                  heard > SILENT_DB, f"above {SILENT_DB} dBFS", f"{heard} dBFS")
    quiet = loudest(levels, sleep_at + 1.3, rec.seconds(re_ring) - 1.5)
    results.check("and silent there through the snooze", quiet is not None and quiet < SILENT_DB,
                  f"below {SILENT_DB} dBFS", f"{quiet} dBFS")


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


WAKE_ALARM_ONLY = f"{1 << 35:016x}"  # CAP_WAKE_ALARM as /proc shows a capability set
LOGIND = ("org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager")


def next_alarm(text, zone=None):
    """The wall-clock moment the clock next shows an HH:MM:SS text, here or in the named zone."""
    now = datetime.datetime.now(zoneinfo.ZoneInfo(zone) if zone else None)
    moment = datetime.datetime.combine(now.date(), datetime.time.fromisoformat(text), now.tzinfo)
    return (moment if moment > now else moment + datetime.timedelta(days=1)).timestamp()


def kestrune_locks():
    """logind's inhibitors taken by the program, as (what, mode)."""
    listed = dbus_call("system", *LOGIND, "ListInhibitors")
    return sorted((str(what), str(mode)) for what, who, _, mode, *_ in listed if who == "Kestrune")


def woken_for(results, what, pid, alarm_text, zone=None):
    expected = next_alarm(alarm_text, zone) - 60
    right = lambda timers: len(timers) == 1 and abs(timers[0] - expected) < 3  # noqa: E731
    timers = poll(lambda: (lambda found: found if right(found) else None)(wake_timers(pid)), 10) or wake_timers(pid)
    results.check(f"{what}: one CLOCK_REALTIME_ALARM timer, absolute, a minute before the alarm",
                  right(timers), f"one expiring at {expected:.0f}", timers)


def woken_as_root(results, desk, binary, settings, alarm_text):
    """Also: the time zone file the program reads changes under it, and the wake timer follows."""
    zone_file = os.path.join(desk.folder, "localtime")
    shutil.copy("/etc/localtime", zone_file)
    with Kestrune(binary, settings=settings, env={"TZ": f":{zone_file}"}) as app:
        app.click("Command1")
        app.wait_text("Text5", "Alarm Set")
        woken_for(results, "as root, armed", app.process.pid, alarm_text)
        offset = time.localtime().tm_gmtoff
        zone = next(z for z in ("Asia/Tokyo", "America/New_York") if
                    datetime.datetime.now(zoneinfo.ZoneInfo(z)).utcoffset().total_seconds() != offset)
        shutil.copy(f"/usr/share/zoneinfo/{zone}", zone_file + ".new")
        os.replace(zone_file + ".new", zone_file)
        woken_for(results, f"the zone changed to {zone}", app.process.pid, alarm_text, zone)
        results.equal("only CAP_WAKE_ALARM stays permitted", WAKE_ALARM_ONLY, capability_sets(app.process.pid)["CapPrm"])
        results.equal("logind holds its sleep delay, no idle block", [("sleep", "delay")],
                      poll(kestrune_locks, 5))
        frame = window_geometry(app.main_window)
        buttons = {}
        for name in ("Command1", "Command2", "Command3", "Text2"):
            x, y, w, h = extents(app.control(name))
            buttons[name] = (x + w // 2 - frame["x"], y + h // 2 - frame["y"])
        app.click("Command2")
        app.wait_text("Text5", "Not Set")
        results.check("after OFF: no wake timer and no inhibitor", poll(lambda: not wake_timers(app.process.pid)
                      and not kestrune_locks(), 5), "none", (wake_timers(app.process.pid), kestrune_locks()))
        return buttons


def kept_awake_without_capability(results, desk, binary, settings, alarm_text):
    with Kestrune(binary, settings=settings, command_prefix=["setpriv", "--bounding-set", "-wake_alarm"]) as app:
        app.click("Command1")
        app.wait_text("Text5", "Alarm Set")
        locks = poll(lambda: len(kestrune_locks()) == 2 and kestrune_locks(), 5)
        results.equal("without the capability: no wake timer", [], wake_timers(app.process.pid))
        results.equal("and, with no portal or power manager, logind's idle block beside the sleep delay",
                      [("idle", "block"), ("sleep", "delay")], locks)
        dbus_call("system", *LOGIND[:2], "org.freedesktop.DBus.Mock", "EmitSignal", "sssav",
                  [LOGIND[2], "PrepareForSleep", "b", [True]])
        warning = f"Kestrune cannot wake this computer; the alarm at {alarm_text} rings only if it is awake"
        results.check("before sleeping, a notification says so", poll(lambda: warning in desk.log_of("notify-calls"), 5),
                      warning, desk.log_of("notify-calls"))
        results.check("then the sleep delay goes", poll(lambda: ("sleep", "delay") not in kestrune_locks(), 5),
                      "no sleep delay", kestrune_locks())
        dbus_call("system", *LOGIND[:2], "org.freedesktop.DBus.Mock", "EmitSignal", "sssav",
                  [LOGIND[2], "PrepareForSleep", "b", [False]])
        results.check("and comes back on resume", poll(lambda: ("sleep", "delay") in kestrune_locks(), 5),
                      "a sleep delay", kestrune_locks())
        # Where the desktop portal runs, its Suspend flag (4) takes the place of logind's idle block.
        desk.start_mock("portal", "org.freedesktop.portal.Desktop", ["org.freedesktop.portal.Desktop",
                        "/org/freedesktop/portal/desktop", "org.freedesktop.portal.Inhibit"])
        dbus_call("session", "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
                  "org.freedesktop.DBus.Mock", "AddMethod", "sssss", ["org.freedesktop.portal.Inhibit", "Inhibit",
                  "sua{sv}", "o", 'ret = dbus.ObjectPath("/org/freedesktop/portal/desktop/request/1/kestrune")'])
        app.click("Command2")
        app.wait_text("Text5", "Not Set")
        results.check("after OFF logind holds nothing for it", poll(lambda: not kestrune_locks(), 5), "nothing",
                      kestrune_locks())
        app.click("Command1")
        app.wait_text("Text5", "Alarm Set")
        inhibit = poll(lambda: re.search(r"Inhibit \S* 4 ", desk.log_of("portal-calls")), 5)
        results.check("armed again: the portal's Inhibit with flag 4, and no idle block", inhibit and poll(
            lambda: kestrune_locks() == [("sleep", "delay")], 5), "Inhibit ... 4", (desk.log_of("portal-calls"),
                                                                                   kestrune_locks()))


def wake_program(pid):
    """The wake program the given process started, or None."""
    for child in child_pids(pid):
        with contextlib.suppress(OSError), open(f"/proc/{child}/comm") as f:
            if f.read().strip() == "kestrune-wake":
                return child
    return None


def wake_program_talk(program, account, lines):
    """Runs the wake program as the account and says each line: its answer and the seconds to each of its wake
    timers after each line."""
    process = subprocess.Popen(["setpriv", f"--reuid={account[0]}", f"--regid={account[1]}", "--clear-groups",
                                program], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    said = []
    try:
        for line in lines:
            process.stdin.write(line + "\n")
            process.stdin.flush()
            answer = process.stdout.readline().strip() if select.select([process.stdout], [], [], 5)[0] else None
            said.append((answer, [round(t - time.time()) for t in wake_timers(process.pid)]))
    finally:
        process.stdin.close()
        process.wait(5)
    return said


def woken_through_wake_program(results, app, click, alarm_text, account):
    """A Debian 12 install: the program holds no capability, its wake program holds the timer with its file's."""
    program = os.path.join(app.folder, "kestrune-wake")
    ahead = int(time.time()) + 60
    refused = [wake_program_talk(program, (user, user), [f"7 {ahead}"]) for user in (65534, 999)]
    results.check("the wake program serves no system account: nobody and uid 999 are refused, with no timer",
                  all(said[0][0].startswith("7 refused cannot wake this computer: the account is") and not said[0][1]
                      for said in refused), "7 refused ...", refused)
    said = wake_program_talk(program, account, [f"7 {ahead}", f"8 {int(time.time())}"])
    results.check("a regular user's timer is set; a refused request names itself and leaves no timer ahead",
                  said[0][0] == f"7 set {ahead}" and [t for t in said[0][1] if t > 50] and said[1][0] ==
                  "8 refused the time is not in the future" and not [t for t in said[1][1] if t > 1],
                  "7 set, a timer; 8 refused, none", said)
    helper = poll(lambda: wake_program(app.process.pid), 10) or 0
    woken_for(results, f"as uid {account[0]} without capabilities, through the wake program", helper, alarm_text)
    with open(f"/proc/{helper}/status") as f:
        status = f.read()
    results.check("the program holds no capability; the wake program CAP_WAKE_ALARM alone, no new privileges",
                  capability_sets(app.process.pid)["CapPrm"] == "0" * 16 and f"CapPrm:\t{WAKE_ALARM_ONLY}" in status
                  and "CapInh:\t" + "0" * 16 in status and "NoNewPrivs:\t1" in status, "so", status)
    click("Command2")
    results.check("after OFF the wake program and its timer are gone", poll(
        lambda: not wake_program(app.process.pid), 5), "none", wake_program(app.process.pid))
    click("Command1")
    # A ring a few seconds ahead, answered with Sleep: the timer moves to the re-ring a minute later.
    near = time.time() + 6
    click("Text2")
    key("ctrl+a")
    type_text(time.strftime("%H:%M:%S", time.localtime(near)))
    time.sleep(max(0.0, near - time.time()) + 2)
    click("Command3")
    pressed = time.time()
    helper = poll(lambda: wake_program(app.process.pid), 5) or 0
    results.check("Sleep moves the wake program's timer to the re-ring", poll(
        lambda: [t for t in wake_timers(helper) if abs(t - pressed - 60) < 3], 5), f"one at {pressed + 60:.0f}",
        wake_timers(helper))
    stop_process(app.process)
    results.check("at the end of the program the wake program ends too", poll(
        lambda: not os.path.exists(f"/proc/{helper}"), 5), "gone", helper)


def woken_as_another_user(results, binary, settings, buttons, alarm_text, account=(65534, 65534),
                          through_wake_program=False):
    """setpriv as a systemd 254 login starts a session: CAP_WAKE_ALARM ambient; or, through_wake_program, as Debian 12
    starts one, with no capability, and the copy's wake program given the file capability (it serves only a regular
    account). That user cannot reach root's buses, so the buttons are clicked where the root run found them."""
    uid, gid = account
    home = tempfile.mkdtemp(prefix="kestrune-nobody-")
    for folder in (".config/kestrune", "runtime"):
        os.makedirs(os.path.join(home, folder), mode=0o700)
    with open(os.path.join(home, ".config/kestrune/settings.txt"), "wb") as f:
        f.write(settings)
    subprocess.run(["chown", "-R", f"{uid}:{gid}", home], check=True)
    nowhere = "unix:path=/nonexistent"
    ambient = [] if through_wake_program else ["--inh-caps=+wake_alarm", "--ambient-caps=+wake_alarm"]
    app = Kestrune(binary, env={"HOME": home, "XDG_CONFIG_HOME": os.path.join(home, ".config"),
                                "XDG_RUNTIME_DIR": os.path.join(home, "runtime"),
                                "DBUS_SESSION_BUS_ADDRESS": nowhere, "DBUS_SYSTEM_BUS_ADDRESS": nowhere},
                   command_prefix=["setpriv", f"--reuid={uid}", f"--regid={gid}", "--clear-groups"] + ambient)
    os.chmod(app.folder, 0o755)
    if through_wake_program:
        subprocess.run(["setcap", "cap_wake_alarm+ep", os.path.join(app.folder, "kestrune-wake")], check=True)
    try:
        app.start_process()
        # The tray icon's window bears the same name: the main window is the one taller than 100.
        window = poll(lambda: [w for w in app.windows("^Kestrune$") if window_geometry(w)["height"] > 100], 60, 0.2)
        if not window:
            raise RuntimeError(f"no window as uid {uid}:\n{app.output()}")
        frame = window_geometry(window[0])
        time.sleep(1)

        def click(name):
            click_at(frame["x"] + buttons[name][0], frame["y"] + buttons[name][1])
        click("Command1")
        if through_wake_program:
            return woken_through_wake_program(results, app, click, alarm_text, account)
        woken_for(results, "as uid 65534 with CAP_WAKE_ALARM ambient", app.process.pid, alarm_text)
        caps = capability_sets(app.process.pid)
        results.check("its ambient set is empty and only CAP_WAKE_ALARM stays permitted",
                      caps["CapAmb"] == "0" * 16 and caps["CapPrm"] == WAKE_ALARM_ONLY, f"CapAmb 0, CapPrm "
                      f"{WAKE_ALARM_ONLY}", caps)
    finally:
        app.stop()
        shutil.rmtree(home, ignore_errors=True)


def power(results, binary):
    if os.geteuid() != 0:
        results.skip("power", "a wake timer as root and setpriv to another user need root")
        return
    if subprocess.run(["/usr/bin/python3", "-c", "import dbusmock"], stderr=subprocess.DEVNULL).returncode != 0:
        results.skip("power", "python3-dbusmock is missing (scripts/deps.sh test installs it)")
        return
    # The shared X server and session bus: this process's AT-SPI stays on the bus it first found. The stand-ins
    # live only as long as this scenario; the system bus is a private one.
    with Desktop() as desk:
        desk.start_logind()
        desk.start_mock("notify", "org.freedesktop.Notifications", ["-t", "notification_daemon"])
        alarm_text = far_alarm_text()
        # Any sound path arms; nothing rings here.
        settings = settings_line(f"{desk.folder}/tone.mp3", alarm_text)
        buttons = woken_as_root(results, desk, binary, settings, alarm_text)
        kept_awake_without_capability(results, desk, binary, settings, alarm_text)
        woken_as_another_user(results, binary, settings, buttons, alarm_text)
        with regular_account() as account:
            woken_as_another_user(results, binary, settings, buttons, alarm_text, account, through_wake_program=True)


def main():
    binary = binary_from_args()
    require_services(sound=True)
    results = Results("e2e_alarm")
    clock = FakeClock()
    app = Kestrune(binary, env=clock.env())
    try:
        app.start()
        tone = make_tone(os.path.join(app.folder, "tone.mp3"))
        tone_level = rms_db(tone, 5)
        log(f"the generated tone plays at {tone_level:.1f} dBFS")
        results.case(message_without_sound, app)
        results.case(ring_fade_off, app, tone, tone_level)
        results.case(try_sound, app, tone_level)
        results.case(snooze, app, tone_level, clock)
        with Desktop() as desk:
            results.case(away_from_the_screen, app, desk, clock)
    except Exception as error:
        results.check("the program starts", False, "a running program", error)
    finally:
        app.stop()
        clock.close()
    fresh = Kestrune(binary)
    try:
        fresh.start()
        results.case(unplayable_file, fresh)
    except Exception as error:
        results.check("the program starts again", False, "a running program", error)
    finally:
        fresh.stop()
    results.case(power, binary)
    results.finish()


if __name__ == "__main__":
    main()
