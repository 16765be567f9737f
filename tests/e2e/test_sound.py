"""The alarm sound as the sound server and the ear get it: the stream's name and role in the mixer, a muted output
unmuted for the ring and put back after OFF, also when the stream is routed to a second output, a sound server
restarted while armed and one that comes back during the ring, a one-second file repeated without gaps for the whole
fade, a name that is not UTF-8, a FIFO as the sound path, and no descriptor or file left behind per ring."""

import os
import re
import shutil
import signal
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kestrune.desktops import sound_server  # noqa: E402
from kestrune import (FIRST_RUN_TAIL, Kestrune, PrivateSoundServer, settings_line, Recorder, Results, arm_alarm, band_levels, binary_from_args,  # noqa: E402
                          block_levels,
                          environment, far_alarm_text, median_line, log, loudest, make_tone, poll, profile, read_bytes,
                          read_wav_mono, require_services, run, sound_onset, wait_until)

HEARD_DB = -60.0
RINGS = 4  # rings in a row that must leave no descriptor behind


def ring(app, lead=6):
    """Arms lead seconds ahead and waits until the ring has enabled Sleep; returns the alarm second."""
    alarm = arm_alarm(app, lead=lead)
    wait_until(alarm, app)
    if not poll(lambda: app.enabled("Command3"), 6, 0.05):
        raise RuntimeError("Sleep did not become available within 6 s of the alarm second")
    return alarm


def off(app):
    app.click("Command2")
    if app.wait_text("Text5", "Not Set") != "Not Set":
        raise RuntimeError("OFF did not disarm")


def sink_inputs(server=None):
    """The sound server's playback streams, each as a dict of its properties."""
    args = ["pactl"] + (["-s", server] if server else []) + ["list", "sink-inputs"]
    streams = []
    for block in run(args).split("Sink Input #")[1:]:
        streams.append(dict(re.findall(r'^\s+([\w.]+) = "(.*)"$', block, re.M)))
    return streams


def sink_state(sink="test_sink"):
    """(muted, volume in percent of each channel) of a sink, as pactl shows it."""
    mute = run(["pactl", "get-sink-mute", sink]).strip()
    volume = run(["pactl", "get-sink-volume", sink])
    return mute.endswith("yes"), [int(v) for v in re.findall(r"(\d+)%", volume.splitlines()[0])]


# ---------------------------------------------------------------------------------------------- scenarios

def stream_named(results, binary, tone):
    """The alarm's stream carries the program's name and icon and the alarm role, as a mixer shows them."""
    with Kestrune(binary, settings=settings_line(tone, far_alarm_text())) as app:
        ring(app)
        players = {str(pid) for pid in app.sound_pids()}
        mine = [s for s in sink_inputs() if s.get("application.process.id") in players]
        alarm = [s for s in mine if s.get("media.role") == "alarm"]
        results.check("the ringing alarm has a stream with the role alarm", len(alarm) == 1,
                      "one stream with media.role alarm", mine)
        if alarm:
            seen = {k: alarm[0].get(k) for k in ("application.name", "application.icon_name", "media.role",
                                                 "media.name")}
            results.equal("the stream's name, icon, role and title",
                          {"application.name": "Kestrune", "application.icon_name": "kestrune",
                           "media.role": "alarm", "media.name": "Alarm"}, seen)
        off(app)


def muted_output(results, binary, tone):
    """A muted output at 20 % is unmuted and raised to 40 % for the ring, and exactly as before during the snooze and
    after OFF, also when the sound process crashed mid-ring."""
    run(["pactl", "set-sink-volume", "test_sink", "20%"])
    run(["pactl", "set-sink-mute", "test_sink", "1"])
    try:
        before = sink_state()
        results.equal("muted output: set up muted at 20 %", (True, [20, 20]), before)
        with Kestrune(binary, settings=settings_line(tone, far_alarm_text())) as app:
            ring(app)
            during = poll(lambda: (lambda s: s if not s[0] else None)(sink_state()), 3, 0.05) or sink_state()
            results.check("muted output: unmuted and at 40 % during the ring",
                          not during[0] and min(during[1]) >= 40 and max(during[1]) <= 41,
                          "(False, [40, 40])", during)
            # The sound process crashes mid-ring: the next one takes over what is owed to the user.
            crashed = app.sound_pids()
            for pid in crashed:
                os.kill(pid, signal.SIGKILL)
            poll(lambda: set(app.sound_pids()) - set(crashed), 5, 0.1)
            time.sleep(1)
            # Sleep's silence gives the user's values back too, not only OFF.
            app.click("Command3")
            snoozed = poll(lambda: (lambda s: s if s == before else None)(sink_state()), 3, 0.05) or sink_state()
            results.equal("muted output: muted at 20 % again during the snooze", before, snoozed)
            off(app)
            after = poll(lambda: (lambda s: s if s == before else None)(sink_state()), 3, 0.05) or sink_state()
            results.equal("muted output: muted at 20 % again after OFF", before, after)
    finally:
        run(["pactl", "set-sink-mute", "test_sink", "0"])
        run(["pactl", "set-sink-volume", "test_sink", "100%"])


def routed_output(results, binary, tone):
    """The stream goes to a second output, muted at 20 %: that one is unmuted and raised for the ring and put back
    after OFF, and the default output is left alone."""
    module = run(["pactl", "load-module", "module-null-sink", "sink_name=second_sink", "rate=44100",
                  "channels=2"]).strip()
    try:
        run(["pactl", "set-sink-volume", "second_sink", "20%"])
        run(["pactl", "set-sink-mute", "second_sink", "1"])
        default = sink_state()
        with Kestrune(binary, settings=settings_line(tone, far_alarm_text()), env={"PULSE_SINK": "second_sink"}) as app:
            ring(app)
            during = poll(lambda: (lambda s: s if not s[0] else None)(sink_state("second_sink")), 3, 0.05)
            results.check("routed output: the second output is unmuted and at 40 % during the ring",
                          during is not None and min(during[1]) >= 40, "(False, [40, 40])",
                          during or sink_state("second_sink"))
            results.equal("routed output: the default output is left as it was", default, sink_state())
            off(app)
            after = poll(lambda: (lambda s: s if s == (True, [20, 20]) else None)(sink_state("second_sink")), 3,
                         0.05)
            results.equal("routed output: muted at 20 % again after OFF", (True, [20, 20]),
                          after or sink_state("second_sink"))
    finally:
        run(["pactl", "unload-module", module], check=False)


def not_utf8_name(results, binary, folder, tone):
    """A sound path whose bytes are not UTF-8, as another program wrote it into settings.txt, rings that file."""
    sound = os.path.join(os.fsencode(folder), b"alarm-\xe9.mp3")
    shutil.copy(tone, sound)
    line = b'"' + sound + b'","' + far_alarm_text().encode() + b'",' + FIRST_RUN_TAIL.encode()
    app = Kestrune(binary, settings=line)
    path = os.path.join(app.folder, "latin1.wav")
    try:
        app.start()
        with Recorder(path) as rec:
            alarm = ring(app)
            wait_until(alarm + 4, app)
        off(app)
        levels = band_levels(path, 400, 480)
        at = rec.seconds(alarm)
        log(f"not UTF-8: the file's band from 1 s before the alarm: {profile(levels, at - 1, at + 4)}")
        onset = sound_onset(levels, at - 0.5, sustain=2.0)
        results.check("not UTF-8: the file itself (440 Hz) is heard from the alarm second",
                      onset is not None and onset - at <= 1.5, "an onset within 1.5 s",
                      "none" if onset is None else f"{onset - at:+.2f} s")
    finally:
        app.stop()
        os.remove(sound)


def on_private_server(binary, tone):
    """A program started on a sound server of its own, in a folder whose socket path a second server can take."""
    folder = tempfile.mkdtemp(prefix="kestrune-pulse-")
    os.chmod(folder, 0o700)
    server = PrivateSoundServer(folder)
    app = Kestrune(binary, settings=settings_line(tone, far_alarm_text()))
    try:
        with environment(PULSE_SERVER=server.server):
            app.start()
    except Exception:
        app.stop()
        server.stop()
        raise
    return folder, server, app


def server_restarted(results, binary, tone):
    """The sound server dies and comes back while the alarm waits armed: the alarm is still heard at its time. Then
    the sound process is killed mid-ring: a new one takes over within a moment; then it is stopped (SIGSTOP) and
    replaced within a few seconds."""
    folder, server, app = on_private_server(binary, tone)
    try:
        alarm = arm_alarm(app, lead=14)
        time.sleep(1)
        server.stop(hard=True)
        log(f"server killed {alarm - time.time():.1f} s before the alarm second")
        time.sleep(2)
        server = PrivateSoundServer(folder)
        path = os.path.join(folder, "restarted.wav")
        with environment(PULSE_SERVER=server.server):
            rec = Recorder(path).start()
        try:
            wait_until(alarm + 4, app)
            killed = time.time()
            for pid in app.sound_pids():
                os.kill(pid, signal.SIGKILL)
            wait_until(killed + 4, app)
            stopped = time.time()
            for pid in app.sound_pids():
                os.kill(pid, signal.SIGSTOP)
            wait_until(stopped + 6, app)
        finally:
            rec.stop()
        levels = block_levels(read_wav_mono(path))
        at = rec.seconds(alarm)
        log(f"restarted server from 1 s before the alarm: {profile(levels, at - 1, at + 8)}")
        onset = sound_onset(levels, at - 1, sustain=1.5)
        results.check("server restarted while armed: the alarm is heard at its time",
                      onset is not None and -0.1 <= onset - at <= 1.5, "a sound from the alarm second on",
                      "none" if onset is None else f"onset {onset - at:+.2f} s")
        # The file that might have ended its process gives way to the built-in tone, which beeps: what counts is
        # when a sound comes back, and that it is still there at the end.
        for what, fault, within, end in (("killed mid-ring: heard again within 1.5 s", killed, 1.5, 4),
                                         ("stopped mid-ring: replaced, heard again within 3 s", stopped, 3, 6)):
            k = rec.seconds(fault)
            back = sound_onset(levels, k + 0.3, sustain=0.3, fraction=0.5)
            results.check(f"sound process {what}", back is not None and back - k <= within and
                          (loudest(levels, k + end - 1, k + end) or -999) > HEARD_DB,
                          f"a sound within {within} s, and at the end",
                          f"{'none' if back is None else f'{back - k:+.2f} s'}; {profile(levels, k - 0.5, k + end)}")
        off(app)
    finally:
        app.stop()
        server.stop()
        shutil.rmtree(folder, ignore_errors=True)


def server_back_mid_ring(results, binary, tone):
    """The sound server dies before the alarm and comes back during the ring: from then on the chosen file is
    heard, not the built-in tone."""
    folder, server, app = on_private_server(binary, tone)
    try:
        alarm = arm_alarm(app, lead=10)
        server.stop(hard=True)
        ring(app)
        wait_until(alarm + 3, app)
        server = PrivateSoundServer(folder)
        path = os.path.join(folder, "back.wav")
        with environment(PULSE_SERVER=server.server):
            rec = Recorder(path).start()
        back = time.time()
        try:
            wait_until(back + 10, app)
        finally:
            rec.stop()
        levels = band_levels(path, 400, 480)
        at = rec.seconds(back)
        log(f"server back mid-ring, the file's band: {profile(levels, at - 1, at + 10)}")
        onset = sound_onset(levels, max(0.0, at - 1), sustain=3.0)
        results.check("server back mid-ring: the chosen file (440 Hz) is heard again within 5 s",
                      onset is not None and onset - at <= 5.0, "an onset within 5 s of the server's return",
                      "none" if onset is None else f"{onset - at:+.2f} s")
        off(app)
    finally:
        app.stop()
        server.stop()
        shutil.rmtree(folder, ignore_errors=True)


def short_file(folder, kind):
    """A one-second MP3, or a three-second one cut off in the middle of a frame as a broken download is."""
    path = os.path.join(folder, f"{kind}.mp3")
    seconds = "1" if kind == "one-second" else "3"
    run(["sox", "-n", "-r", "44100", "-c", "2", path, "synth", seconds, "sine", "440", "vol", "0.5"])
    if kind == "truncated":
        with open(path, "rb") as f:
            data = f.read()
        with open(path, "wb") as f:
            f.write(data[: len(data) * 3 // 5 + 7])
    return path


def short_file_repeats(results, binary, folder, kind="one-second"):
    """A one-second MP3 is heard for the whole fade, rising to the file's level, with repeats under 100 ms apart (the
    benchmark measures the 50 ms goal); a truncated one repeats as closely for the first dozen seconds, which show
    several of its repeats (the fade is the one-second file's to show)."""
    short = short_file(folder, kind)
    whole = kind == "one-second"
    app = Kestrune(binary, settings=settings_line(short, far_alarm_text()))
    path = os.path.join(app.folder, f"{kind}.wav")
    try:
        app.start()
        rec = Recorder(path).start()
        try:
            alarm = ring(app)
            wait_until(alarm + (40 if whole else 12), app)
        finally:
            rec.stop()
        samples = read_wav_mono(path)
        levels = block_levels(samples)
        at = rec.seconds(alarm)
        onset = sound_onset(levels, at - 0.5, sustain=2.0)
        log(f"{kind} file: {profile(levels, at - 1, at + 40, step=2.0)}")
        if not results.check(f"{kind} file: heard from the alarm second", onset is not None and onset - at <= 1.5,
                             "an onset within 1.5 s", "none" if onset is None else f"{onset - at:+.2f} s"):
            return
        heard_until = 38.5 if whole else 10.5
        if whole:
            late = loudest(levels, onset + 35, onset + heard_until)
            results.check(f"{kind} file: still heard 35 s on, near the file's level (-9.5 dBFS)",
                          late is not None and late > -12.5, "above -12.5 dBFS", f"{late} dBFS")
            rises = [(t, loudest(levels, onset + t, onset + t + 1)) for t in range(2, 28, 2)]
            slope, _ = median_line(rises)
            results.check(f"{kind} file: the level rises about 1 dB a second across the repeats",
                          0.85 <= slope <= 1.15, "0.85 to 1.15 dB/s", f"{slope:.2f} dB/s from {rises}")
        # Gaps: runs of 2 ms blocks without sound, from the onset to OFF.
        fine = block_levels(samples, 0.002)
        start, end = int(onset / 0.002), int((onset + heard_until) / 0.002)
        longest = run_length = 0
        for level in fine[start:end]:
            run_length = run_length + 1 if level < HEARD_DB else 0
            longest = max(longest, run_length)
        # The benchmark holds the 50 ms goal (44 ms measured); here a margin for a loaded machine, which still
        # catches a repeat that rebuilds or re-prerolls its pipeline (hundreds of ms).
        results.check(f"{kind} file: no gap of 100 ms or more between repeats", longest * 2 < 100,
                      "under 100 ms", f"longest gap {longest * 2} ms")
        off(app)
    finally:
        app.stop()


def fifo_path(results, binary, folder):
    """A FIFO as the sound path: the built-in tone is heard, the window answers, SIGTERM still saves."""
    fifo = os.path.join(folder, "pipe.mp3")
    os.mkfifo(fifo)
    app = Kestrune(binary, settings=settings_line(fifo, far_alarm_text()))
    path = os.path.join(app.folder, "fifo.wav")
    try:
        app.start()
        rec = Recorder(path).start()
        try:
            alarm = ring(app)
            clock = {app.text("Text1")}
            deadline = time.time() + 4
            while time.time() < deadline:
                time.sleep(0.5)
                clock.add(app.text("Text1"))
        finally:
            rec.stop()
        results.check("FIFO: the clock box keeps changing through the ring", len(clock) >= 3,
                      "at least 3 times in 4 s", sorted(clock))
        levels = block_levels(read_wav_mono(path))
        at = rec.seconds(alarm)
        log(f"FIFO: {profile(levels, at - 1, at + 5)}")
        # The desktop's bell is over by 0.3 s; what sounds from 1 s on is the player's.
        heard = loudest(levels, at + 1.0, at + 3.5)
        results.check("FIFO: the built-in tone is heard", heard is not None and heard > HEARD_DB,
                      f"above {HEARD_DB} dBFS from 1 s to 3.5 s after the alarm second", f"{heard} dBFS")
        alarm_text = app.text("Text2")
        app.process.send_signal(signal.SIGTERM)
        code = app.wait_exit(10)
        results.equal("FIFO: SIGTERM ends the program with status 0", 0, code)
        results.equal("FIFO: settings.txt holds the FIFO and the alarm time", settings_line(fifo, alarm_text),
                      read_bytes(app.settings_path))
    finally:
        app.stop()


def descriptors_per_ring(results, binary, tone):
    """Four rings leave the program as many open descriptors as one (one kept per ring shows as three more); after OFF
    the sound file is no longer held open (a USB stick with it can be ejected) and a few seconds later the sound process has ended, so the program
    is back to its weight before arming."""
    with Kestrune(binary, settings=settings_line(tone, far_alarm_text())) as app:
        fds = lambda pid=app.process.pid: os.listdir(f"/proc/{pid}/fd")  # noqa: E731

        def holding():
            return [n for pid in [app.process.pid, *app.sound_pids()] for n in fds(pid)
                    if os.path.realpath(f"/proc/{pid}/fd/{n}") == tone]

        resident = lambda: run(["ps", "-o", "rss=", "-p", str(app.process.pid)]).strip()  # noqa: E731
        log(f"resident before arming: {resident()} kB")
        ring(app, lead=4)
        results.check("the ringing file is open while it rings", bool(holding()), "a descriptor on it", holding())
        time.sleep(1)
        off(app)
        released = poll(lambda: not holding(), 5, 0.1)
        results.check("after OFF the sound file is let go within 5 s", bool(released), "no descriptor on it",
                      holding())
        ended = poll(lambda: not app.sound_pids(), 10, 0.1)
        results.check("the sound process ends within 10 s of OFF", bool(ended), "no sound process",
                      app.sound_pids())
        first = len(fds())
        log(f"resident after the first ring: {resident()} kB")
        for _ in range(RINGS - 1):
            ring(app, lead=4)
            time.sleep(1)
            off(app)
        poll(lambda: not app.sound_pids(), 10, 0.1)
        last = len(fds())
        log(f"resident after {RINGS} rings: {resident()} kB")
        results.equal(f"descriptors after {RINGS} rings equal those after the first ({first})", first, last)


def main():
    binary = binary_from_args()
    # With the argument "pipewire", the scenarios that need only a server run once on a private PipeWire.
    with sound_server(sys.argv[2:]) as pipewire:
        require_services(sound=True)
        results = Results("e2e_sound" + ("_pipewire" if pipewire else ""))
        folder = tempfile.mkdtemp(prefix="kestrune-sound-")
        try:
            tone = make_tone(os.path.join(folder, "tone.mp3"), 30)
            cases = [(stream_named, binary, tone), (muted_output, binary, tone), (routed_output, binary, tone),
                     (server_restarted, binary, tone), (server_back_mid_ring, binary, tone),
                     (not_utf8_name, binary, folder, tone),
                     (short_file_repeats, binary, folder), (short_file_repeats, binary, folder, "truncated"),
                     (fifo_path, binary, folder), (descriptors_per_ring, binary, tone)]
            if pipewire:
                cases = [c for c in cases if c[0] in (stream_named, muted_output, short_file_repeats)][:3]
            results.cases(*cases)
        finally:
            shutil.rmtree(folder, ignore_errors=True)
    results.finish()


if __name__ == "__main__":
    main()
