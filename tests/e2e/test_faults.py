"""The real binary when things go wrong around it: no sound server at all, the sound server killed in the middle of a
ring, a sound program that keeps failing, the chosen sound file deleted before the ring, a settings file marked read-only, SIGKILL in the middle of the
save at shutdown, and SIGTERM while the alarm rings. Whatever happens the program must not crash or hang, must still
ring as best it can, must say on standard error what it could not do, and must never leave settings.txt half
written."""

import contextlib
import os
import random
import shutil
import signal
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kestrune import (FakeClock, Kestrune, exit_text, ring_seen, PrivateSoundServer, settings_line, Recorder, Results, all_text, arm_alarm, band_levels,  # noqa: E402
                          binary_from_args, block_levels, find_named, press,
                          environment, far_alarm_text, log, loudest, make_tone, poll, profile, read_bytes, read_wav_mono,
                          require_services, sound_onset, system_tray_available, wait_until, plant_failing_sound_host)
from kestrune.desktops import Desktop  # noqa: E402

SILENT_DB = -70.0    # a null sink gives digital silence; anything below this is no alarm
HEARD_DB = -60.0     # the quietest start of a fade is about -40 dBFS
KILL_RUNS = 20       # shutdowns cut short by SIGKILL


def still_responsive(results, app, what, seconds=5.0):
    """For a few seconds the process lives and its clock box keeps changing; then OFF still disarms."""
    first = app.text("Text1")
    readings = {first}
    deadline = time.time() + seconds
    while time.time() < deadline:
        if app.process.poll() is not None:
            break
        time.sleep(0.5)
        try:
            readings.add(app.text("Text1"))
        except Exception:  # the program may have just died; the check below says so
            break
    alive = app.process.poll() is None
    results.check(f"{what}: the process still runs {seconds:.0f} s later", alive, "running",
                  "running" if alive else f"{exit_text(app.process.returncode)}; program output:\n{app.output()}")
    if not alive:
        return False
    results.check(f"{what}: the clock box keeps changing", len(readings) >= seconds - 2,
                  f"at least {seconds - 2:.0f} different times in {seconds:.0f} s", sorted(readings))
    app.click("Command2")
    results.equal(f"{what}: OFF still disarms", "Not Set", app.wait_text("Text5", "Not Set"))
    return True


# ---------------------------------------------------------------------------------------------- the faults

@contextlib.contextmanager
def ringing_on(results, server, app, wav_name, label):
    """Starts app on the private sound server with a recording of it, arms the alarm and waits until the ring has
    played for 3 s. Yields (recorder, alarm second, recording path); the recording stops on leaving."""
    path = os.path.join(app.folder, wav_name)
    with environment(PULSE_SERVER=server.server):
        app.start()
        rec = Recorder(path).start()
    try:
        alarm = arm_alarm(app)
        rung = ring_seen(results, app, alarm, label)
        wait_until(max(alarm, rung or alarm) + 3, app)
        yield rec, alarm, path
    finally:
        rec.stop()


def no_sound_server(results, binary, tone):
    """The program cannot reach any sound server: the ring still brings the window back and offers Sleep."""
    missing = os.path.join(tempfile.gettempdir(), f"kestrune-no-such-server-{os.getpid()}", "pulse.sock")
    tray = poll(system_tray_available, 20, 0.2)
    if not results.check("no sound server: a tray host is there, so Tray hides the window", tray,
                         "an owner of _NET_SYSTEM_TRAY_S0", "owned" if tray else "none in 20 s"):
        return
    app = Kestrune(binary, settings=settings_line(tone, far_alarm_text()))
    try:
        with environment(PULSE_SERVER=f"unix:{missing}"):
            app.start()
        alarm = arm_alarm(app, lead=8)
        app.click("Command5")
        hidden = poll(lambda: not app.windows("^Kestrune$"), 5, 0.1)
        results.check("no sound server: Tray hides the main window", bool(hidden), "no visible Kestrune window",
                      app.windows("^Kestrune$"))
        ring_seen(results, app, alarm, "no sound server")
        shown = poll(lambda: app.windows("^Kestrune$"), 5, 0.1)
        results.check("no sound server: the ring shows the main window again", bool(shown),
                      "a visible Kestrune window", shown)
        still_responsive(results, app, "no sound server")
        log("program output so far:\n  " + app.output().strip().replace("\n", "\n  "))
    finally:
        app.stop()


def planted_sound_program(results, binary, tone):
    """A sound program beside the copy that others can write to (so anyone could have put it there) is never run, the
    log says which file was refused and why, and the ring still comes. The folders' side of the rule is a logic test."""
    app = Kestrune(binary, settings=settings_line(tone, far_alarm_text()))
    try:
        marker = os.path.join(app.folder, "planted-ran")
        planted = os.path.join(app.folder, "kestrune-sound-host")
        os.remove(planted)
        with open(planted, "w") as f:
            f.write(f"#!/bin/sh\ntouch '{marker}'\nexec cat >/dev/null\n")
        os.chmod(planted, 0o777)
        app.start()
        alarm = arm_alarm(app, lead=6)
        ring_seen(results, app, alarm, "planted sound program")
        results.check("planted sound program: never run", not os.path.exists(marker), "no marker", "it ran")
        said = [line for line in app.output().splitlines() if "no sound program can be used" in line]
        results.check("planted sound program: refused, saying where and why",
                      any(f"others can write to {planted}" in line for line in said), "a line naming the file and why",
                      said)
    finally:
        app.stop()


def sound_server_killed(results, binary, tone):
    """The sound server dies while the alarm plays into it: the program goes on."""
    with PrivateSoundServer() as server:
        app = Kestrune(binary, settings=settings_line(tone, far_alarm_text()))
        try:
            with ringing_on(results, server, app, "killed.wav", "server killed") as (rec, alarm, path):
                killed = time.time()
                server.kill()
                log(f"private sound server killed {killed - alarm:.2f} s after the alarm second")
            levels = block_levels(read_wav_mono(path))
            at = rec.seconds(alarm)
            log(f"private sink from 1 s before the alarm: {profile(levels, at - 1, rec.seconds(killed))}")
            onset = sound_onset(levels, at - 1, sustain=1.5)
            results.check("server killed: the alarm played into the private server before it died",
                          onset is not None and onset - at <= 2.0, "a sound from the alarm second on",
                          "none" if onset is None else f"onset {onset - at:+.2f} s")
            still_responsive(results, app, "server killed")
        finally:
            app.stop()


# Rows of the sound program's faults: what each sound process started does in turn (see FAILING_SOUND_HOST).
LADDER_ROWS = (
    ("dies on the chosen file", ["file"]),
    ("three deaths then Sleep", ["start", "start", "start", "real"]),
    ("no usable sound program", ["exit"]),
)


def never_silent(results, binary, tone):
    """Whatever the sound program does, the ring is heard within 3 s, Sleep silences it within 2 s, and the re-ring
    at the end of the snooze's minute (the program's clock moved on) is heard again within 3 s: through the built-in
    tone in a new process, or the desktop's alarm sound that the program plays itself, under a notification server
    that plays nothing (as GNOME's locked screen)."""
    with Desktop() as desk:
        desk.start_mock("notify", "org.freedesktop.Notifications", ["-t", "notification_daemon"])
        for label, modes in LADDER_ROWS:
            clock = FakeClock()
            app = Kestrune(binary, settings=settings_line(tone, far_alarm_text()), env=clock.env())
            try:
                plant_failing_sound_host(app, modes, tone)
                path = os.path.join(app.folder, "ladder.wav")
                app.start()
                with Recorder(path) as rec:
                    alarm = arm_alarm(app, lead=8)
                    ring_seen(results, app, alarm, label)
                    wait_until(alarm + 4, app)
                    app.click("Command3")
                    slept = time.time()
                    due = clock.skip_snooze(app, slept)
                    wait_until(due + 5, app)
                    app.click("Command2")
                levels = block_levels(read_wav_mono(path))
                at, sleep, again_at = rec.seconds(alarm), rec.seconds(slept), rec.seconds(due)
                log(f"{label}: loudest per 0.5 s from the alarm: {profile(levels, at - 1, at + 5)} ... "
                    f"from the re-ring: {profile(levels, again_at - 1, again_at + 5)}")
                heard = loudest(levels, at, at + 3)
                results.check(f"{label}: heard within 3 s of the alarm second", heard is not None and heard > HEARD_DB,
                              f"above {HEARD_DB} dBFS", f"{heard} dBFS")
                quiet = loudest(levels, sleep + 2, again_at - 1.5)
                results.check(f"{label}: Sleep silences it within 2 s", quiet is not None and quiet < SILENT_DB,
                              f"below {SILENT_DB} dBFS", f"{quiet} dBFS")
                again = loudest(levels, again_at, again_at + 4)
                results.check(f"{label}: heard again at the re-ring", again is not None and again > HEARD_DB,
                              f"above {HEARD_DB} dBFS within 3 s of it", f"{again} dBFS")
            finally:
                app.stop()
                clock.close()


def with_own_copy(binary, tone, env=None):
    """A program whose settings name a copy of the tone in its own folder, so the test may do as it likes with it."""
    app = Kestrune(binary, env=env)
    sound = os.path.join(app.folder, "chosen.mp3")
    shutil.copy(tone, sound)
    with open(app.settings_path, "wb") as f:
        f.write(settings_line(sound, far_alarm_text()))
    return app, sound


def file_deleted(results, binary, tone):
    """The chosen MP3 is gone by the time the alarm rings: the built-in tone plays instead, and stderr says why."""
    app, sound = with_own_copy(binary, tone)
    path = os.path.join(app.folder, "deleted.wav")
    try:
        app.start()
        with Recorder(path) as rec:
            alarm = arm_alarm(app)
            os.remove(sound)
            ring_seen(results, app, alarm, "file deleted")
            wait_until(alarm + 6, app)
            app.click("Command2")
            app.wait_text("Text5", "Not Set")
        levels = block_levels(read_wav_mono(path))
        at = rec.seconds(alarm)
        log(f"file deleted: alarm second at {at:.2f} s; loudest per 0.5 s: {profile(levels, 0, at + 6)}")
        before = loudest(levels, 0, at - 0.3)
        results.check("file deleted: silence before the alarm", before is not None and before < SILENT_DB,
                      f"below {SILENT_DB} dBFS", f"{before} dBFS")
        # The built-in tone may beep: it counts from where a fifth of the next 3 s is heard, which the system's
        # short alert alone never is.
        onset = sound_onset(levels, at - 0.5, threshold_db=HEARD_DB, sustain=3.0, fraction=0.2)
        results.check("file deleted: the built-in tone starts within 1.5 s of the alarm second",
                      onset is not None and -0.2 <= onset - at <= 1.5, "0 to 1.5 s after the alarm second",
                      "no lasting sound" if onset is None else f"{onset - at:+.2f} s")
        going = loudest(levels, at + 2, at + 5)
        results.check("file deleted: the tone goes on after the system's short alert", going is not None and
                      going > HEARD_DB, f"above {HEARD_DB} dBFS from 2 s to 5 s after the alarm second",
                      f"{going} dBFS")
        said = [line for line in app.output().splitlines() if "cannot play" in line]
        results.check("file deleted: standard error says the file cannot be played",
                      any(sound in line for line in said), f"a line with 'cannot play' and {sound}",
                      said or app.output())
    finally:
        app.stop()


def file_cut_short(results, binary, tone):
    """The chosen MP3 is cut to nothing after ON: the built-in tone within a second of the alarm second, and again
    within a second of the snooze's re-ring."""
    clock = FakeClock()
    app, sound = with_own_copy(binary, tone, env=clock.env())
    path = os.path.join(app.folder, "cut.wav")
    try:
        app.start()
        with Recorder(path) as rec:
            alarm = arm_alarm(app)
            open(sound, "wb").close()
            ring_seen(results, app, alarm, "file cut short")
            wait_until(alarm + 4, app)
            app.click("Command3")
            due = clock.skip_snooze(app, time.time())
            wait_until(due + 7, app)
            app.click("Command2")
            app.wait_text("Text5", "Not Set")
        # What was prepared at ON is 440 Hz; the built-in tone beeps at 880 and 1320 Hz.
        levels = band_levels(path, 800, 1400)
        for what, due in (("the ring", alarm), ("the re-ring", due)):
            at = rec.seconds(due)
            log(f"file cut short, {what}: {profile(levels, at - 1, at + 6)}")
            onset = sound_onset(levels, at - 0.5, threshold_db=HEARD_DB, sustain=3.0, fraction=0.2)
            late = 1.0 if what == "the ring" else 2.0  # the snooze ends at a tick in the second after its minute
            results.check(f"file cut short: the built-in tone starts within a second of {what}",
                          onset is not None and -0.2 <= onset - at <= late, f"0 to {late} s after",
                          "no lasting tone" if onset is None else f"{onset - at:+.2f} s")
            going = loudest(levels, at + late + 1, at + late + 4)
            results.check(f"file cut short: the tone goes on through {what}", going is not None and going > HEARD_DB,
                          f"above {HEARD_DB} dBFS", f"{going} dBFS")
    finally:
        app.stop()
        clock.close()


def read_only_settings(results, binary, tone):
    """A settings file the user made read-only is read, left as it is at Exit, and the reason is given."""
    old = settings_line(tone, "01:02:03", "7,255,65280\r\n")
    app = Kestrune(binary, settings=old)
    os.chmod(app.settings_path, 0o444)
    try:
        app.start()
        results.equal("read-only: the stored alarm time is shown", "01:02:03", app.text("Text2"))
        app.type_into("Text2", "21:43:05")
        results.equal("read-only: the alarm box takes a new time", "21:43:05", app.text("Text2"))
        app.click("Command6")
        # Ended by the user, a failed save is told in a box captioned Kestrune, which ends the program when answered.
        box = poll(lambda: next((top for top in app.top_levels("Kestrune")
                                 if find_named(top, "Time", "text") is None), None), 20, 0.2)
        said_in_box = " ".join(all_text(box)) if box is not None else ""
        results.check("read-only: Exit says in a box that the settings could not be saved, and why",
                      "could not be saved" in said_in_box and "read-only" in said_in_box,
                      "'could not be saved' and 'read-only'", said_in_box or "no box")
        if box is not None:
            press(find_named(box, "OK", "push button"))
        code = app.wait_exit(30)
        results.check("read-only: Exit ends the program cleanly", code == 0, "exit code 0", exit_text(code))
        results.equal("read-only: the file keeps its bytes", old, read_bytes(app.settings_path))
        said = [line for line in app.output().splitlines() if app.settings_path in line]
        results.check("read-only: standard error names the file and why it was not saved",
                      any("read-only" in line and "cannot save" in line for line in said),
                      f"a line with 'cannot save', {app.settings_path} and 'read-only'", said or app.output())
    finally:
        app.stop()


def killed_while_saving(results, binary):
    """SIGTERM starts the save that Exit does; SIGKILL a few milliseconds later cuts it wherever it is. The file
    must hold the old line or the new one, whole. The delay homes in on the moment of the save: after a run that
    left the old file the next delay is longer, after one that left the new file shorter, with some spread."""
    old = settings_line("", "01:01:01")
    new = settings_line("", "02:02:02")
    outcomes = {"old": 0, "new": 0}
    littered = 0
    shortest_new, longest_old = 0.010, 0.0
    for run in range(KILL_RUNS):
        app = Kestrune(binary, settings=old)
        try:
            app.start()
            app.type_into("Text2", "02:02:02")
            if app.text("Text2") != "02:02:02":
                raise RuntimeError(f"run {run + 1}: the alarm box holds {app.text('Text2')!r}")
            low, high = sorted((longest_old, shortest_new))
            delay = random.uniform(max(0.0, low - 0.0005), min(0.010, high + 0.0005))
            app.process.send_signal(signal.SIGTERM)
            until = time.perf_counter() + delay
            while time.perf_counter() < until:
                pass  # sleep() would round short delays up to its own granularity
            app.process.send_signal(signal.SIGKILL)
            app.wait_exit(30)
            seen = read_bytes(app.settings_path)
            kind = "old" if seen == old else "new" if seen == new else None
            # A kill between writing the new file beside the old one and renaming it leaves that file behind.
            leftovers = sorted(n for n in os.listdir(app.folder) if n.startswith("settings.txt") and n !=
                               "settings.txt")
            littered += bool(leftovers)
            if not results.check(f"SIGKILL in the save, run {run + 1}: the file is whole", kind is not None,
                                 f"{old!r} or {new!r}", f"{kind or seen!r}, SIGKILL {delay * 1000:.2f} ms after "
                                 f"SIGTERM" + (f", beside it {leftovers}" if leftovers else "")):
                continue
            outcomes[kind] += 1
            if kind == "old":
                longest_old = delay
            else:
                shortest_new = delay
        finally:
            app.stop()
    log(f"SIGKILL in the save: {outcomes['old']} runs left the old file, {outcomes['new']} the new one; "
        f"{littered} left a partly written file beside it")


def terminated_while_ringing(results, binary, tone):
    """SIGTERM in the middle of a ring ends the program as Exit does: status 0, the alarm time saved, silence. On a
    sound server of its own: once in a while PulseAudio aborts when a client playing into it goes away, and the
    shared one must outlive that."""
    with PrivateSoundServer() as server:
        app = Kestrune(binary, settings=settings_line(tone, far_alarm_text()))
        try:
            with ringing_on(results, server, app, "terminated.wav", "SIGTERM") as (rec, alarm, path):
                alarm_text = app.text("Text2")
                term = time.time()
                app.process.send_signal(signal.SIGTERM)
                code = app.wait_exit(10)
                ended = time.time()
                results.check("SIGTERM while ringing: the program ends with status 0 within 10 s", code == 0,
                              "exit code 0", f"{exit_text(code)} after {ended - term:.2f} s")
                time.sleep(2)
            levels = block_levels(read_wav_mono(path))
            log(f"SIGTERM: loudest per 0.5 s: {profile(levels, rec.seconds(alarm) - 1, rec.now())}")
            playing = loudest(levels, rec.seconds(term) - 1.0, rec.seconds(term) - 0.1)
            results.check("SIGTERM while ringing: the alarm was sounding", playing is not None and
                          playing > HEARD_DB, f"above {HEARD_DB} dBFS", f"{playing} dBFS")
            after = loudest(levels, rec.seconds(ended) + 0.3, rec.seconds(ended) + 1.8)
            recorded = len(levels) / 100 - rec.seconds(ended)  # seconds recorded after the end
            seen = f"{after} dBFS from 0.3 s to 1.8 s after the end"
            if recorded < 1.8:
                state = "still runs" if server.process.poll() is None else f"ended ({server.process.returncode})"
                seen = f"the recording stops {recorded:+.2f} s after the end; the sound server {state}:\n"
                seen += server.said()
            results.check("SIGTERM while ringing: the null sink goes silent", recorded >= 1.8 and after is not None
                          and after < SILENT_DB, f"below {SILENT_DB} dBFS", seen)
            results.equal("SIGTERM while ringing: settings.txt holds the alarm time",
                          settings_line(tone, alarm_text), read_bytes(app.settings_path))
        finally:
            app.stop()


def main():
    binary = binary_from_args()
    require_services(sound=True)
    results = Results("e2e_faults")
    folder = tempfile.mkdtemp(prefix="kestrune-faults-")
    try:
        tone = make_tone(os.path.join(folder, "tone.mp3"), 30)
        results.cases((no_sound_server, binary, tone), (planted_sound_program, binary, tone),
                      (sound_server_killed, binary, tone), (never_silent, binary, tone),
                      (file_deleted, binary, tone), (file_cut_short, binary, tone),
                      (read_only_settings, binary, tone),
                      (killed_while_saving, binary), (terminated_while_ringing, binary, tone))
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    results.finish()


if __name__ == "__main__":
    main()
