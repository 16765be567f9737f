"""One program, one alarm, and time that jumps, on the real binary: a second start shows the running one and ends
without touching any settings; scripts reach the alarm through the command line and the session bus; a lock left by a killed run does not stop the next start; a process stopped across
its alarm second while its clock moves on (libfaketime) says "Missed" when the gap is longer than the catch-up
window, and rings as soon as it runs again when the gap is shorter; an alarm repeating on weekdays keeps quiet at
the weekend, rings on Monday, and is set again after a crash and a start at login."""

import datetime
import math
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kestrune import (Kestrune, FakeClock, Recorder, settings_line, Results, arm_alarm, binary_from_args,  # noqa: E402
                      environment, far_alarm_text, make_tone, poll, read_bytes, require_services, rms_db, run,
                      system_tray_available, wait_until)

def second_start_shows_the_first(results, binary, tone):
    first_settings = settings_line(tone, far_alarm_text())
    second_settings = settings_line("/elsewhere/other.mp3", "06:00:00")
    with Kestrune(binary, settings=first_settings) as first:
        if system_tray_available():
            first.click("Command5")  # Tray: hidden to the notification area
            hidden = poll(lambda: not first.windows("^Kestrune$"), 10)
            results.check("Tray hides the first program's window", hidden, "no visible main window", hidden)
        second = Kestrune(binary, settings=second_settings)
        try:
            started = time.monotonic()
            second.start_process()
            code = second.wait_exit(15)
            took = time.monotonic() - started
            results.check("a second start ends by itself, with status 0", code == 0, "exit code 0 within 15 s",
                          f"{'still running' if code is None else f'exit code {code}'} after {took:.1f} s; output:\n"
                          f"{second.output()}")
            shown = poll(lambda: first.windows("^Kestrune$"), 10)
            results.check("the running program's window is on screen again", bool(shown), "a visible main window",
                          shown)
            results.equal("the second start left its own settings alone", second_settings,
                          read_bytes(second.settings_path))
            results.equal("the second start left the running one's settings alone", first_settings,
                          read_bytes(first.settings_path))
            results.check("only the first program runs", first.process.poll() is None, "running",
                          first.process.poll())
        finally:
            second.stop()


BUS = ["gdbus", "call", "--session", "--dest", "org.kestrune.Kestrune", "--object-path", "/org/kestrune/Kestrune"]


def status_of(app):
    """--status as a dictionary of its lines, with the exit code."""
    done = app.command("--status")
    return done.returncode, dict(line.split(": ", 1) for line in done.stdout.splitlines() if ": " in line)


def scripts_reach_the_alarm(results, binary, tone):
    """--set with none running starts one in the background, armed; then the command line and gdbus against it:
    what a button would refuse is refused in its words and changes nothing, and each change is announced. All of it
    through a runtime folder whose path is too long for a socket's address; a time is read alike by every way in; a
    stopped copy holds no call past its limit."""
    alarm = far_alarm_text()
    runtime = os.path.join(tempfile.mkdtemp(prefix="kestrune-run-"), "r" * 120)
    os.mkdir(runtime, 0o700)
    app = Kestrune(binary, settings=settings_line(tone, "06:00:00"), env={"XDG_RUNTIME_DIR": runtime})
    pid = None
    try:
        started = app.command("--set", alarm + "\n")
        results.check("--set with none running returns, armed", started.returncode == 0, "exit code 0, no output",
                      f"exit code {started.returncode}: {started.stdout}{started.stderr}")
        pid = int(re.search(r"uint32 (\d+)", run([*BUS[:4], "org.freedesktop.DBus", "--object-path",
                                                   "/org/freedesktop/DBus", "--method",
                                                   "org.freedesktop.DBus.GetConnectionUnixProcessID",
                                                   "org.kestrune.Kestrune"]))[1])
        code, status = status_of(app)
        ring = datetime.datetime.combine(datetime.date.today(), datetime.time.fromisoformat(alarm))
        ring += datetime.timedelta(days=1) if ring <= datetime.datetime.now() else datetime.timedelta()
        results.equal("--status reads the armed alarm", (0, alarm, "yes", "no", "-", ring.strftime("%Y-%m-%d %H:%M:%S"),
                                                         tone), (code, *(status.get(k) for k in (
                          "Alarm time", "Armed", "Ringing", "Snoozed until", "Next ring", "Sound"))))
        results.equal("the bus reads the next ring", f"(<int64 {int(ring.timestamp())}>,)",
                      run([*BUS, "--method", "org.freedesktop.DBus.Properties.Get", "org.kestrune.Kestrune.Alarm",
                           "NextRing"]).strip())
        monitor = subprocess.Popen(["gdbus", "monitor", "--session", "--dest", "org.kestrune.Kestrune"],
                                   stdout=subprocess.PIPE, text=True)
        time.sleep(1)
        off = app.command("--off")
        refused = app.command("--set", "7:30")
        cut = app.command("--set", alarm + " " * 40000 + "X")
        unknown = app.command("--sett", "07:30:00")
        results.equal("--off, then --set with a time that cannot ring: done, refused on standard error; an option "
                      "not understood: status 2", (0, 1, "Please Enter The Alarm Time As HH:MM:SS\n", 1, 2),
                      (off.returncode, refused.returncode, refused.stderr, cut.returncode, unknown.returncode))
        bus = subprocess.run([*BUS, "--method", "org.kestrune.Kestrune.Alarm.Set", alarm + "X"], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, text=True, timeout=30)
        results.check("the bus refuses the same time in the same words", "org.kestrune.Kestrune.Error.Refused: "
                      "Please Enter The Alarm Time As HH:MM:SS" in bus.stderr, "the error Refused", bus.stderr)
        for method, args, words in (("SetRepeat", ["fortnightly"], "Repeat takes once, daily, weekdays, weekends"),
                                    ("Skip", [], "The alarm is not set")):
            bus = subprocess.run([*BUS, "--method", "org.kestrune.Kestrune.Alarm." + method, *args],
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, timeout=30)
            results.check(f"the bus refuses {method} in the buttons' words",
                          "org.kestrune.Kestrune.Error.Refused: " + words in bus.stderr, "the error Refused", bus.stderr)
        sleep = app.command("--sleep")
        results.equal("--sleep while nothing rings", (1, "The alarm is not ringing\n"), (sleep.returncode, sleep.stderr))
        code, status = status_of(app)
        results.equal("the refusals changed nothing", (0, alarm, "no", "-"),
                      (code, status.get("Alarm time"), status.get("Armed"), status.get("Next ring")))
        results.equal("nor the settings", settings_line(tone, alarm), read_bytes(app.settings_path))
        time.sleep(1)
        monitor.terminate()
        announced = monitor.communicate(timeout=10)[0]
        results.check("OFF is announced", "PropertiesChanged ('org.kestrune.Kestrune.Alarm', {'Armed': <false>"
                      in announced and "'NextRing': <int64 0>" in announced, "Armed false, NextRing 0", announced)
        armed = app.command("--set", "\t" + alarm + " " * 100000)
        os.kill(pid, signal.SIGSTOP)
        calls = [subprocess.Popen([app.exe, "--status"], env=app._environment(), stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL) for _ in range(20)]
        codes = {call.wait(timeout=30) for call in calls}
        os.kill(pid, signal.SIGCONT)
        results.equal("a tab before, 100 000 blanks after: armed; 20 --status against the stopped copy: unanswered, in "
                      "time; it runs from /", (0, {1}, "/"), (armed.returncode, codes, os.readlink(f"/proc/{pid}/cwd")))
        os.kill(pid, signal.SIGTERM)
        poll(lambda: not os.path.exists(f"/proc/{pid}"), 15)
        pid = None
        gone = app.command("--status")
        results.equal("--status with none running", (3, "", "Kestrune is not running.\n"),
                      (gone.returncode, gone.stdout, gone.stderr))
    finally:
        if pid:
            os.kill(pid, signal.SIGKILL)
        app.stop()
        subprocess.run(["rm", "-rf", os.path.dirname(runtime)])


def killed_run_does_not_stop_the_next(results, binary, tone):
    with Kestrune(binary, settings=settings_line(tone, far_alarm_text())) as doomed:
        doomed.process.send_signal(signal.SIGKILL)
        doomed.process.wait(10)
    with Kestrune(binary, settings=settings_line(tone, far_alarm_text())) as again:
        results.check("a start after a killed run shows its window", again.process.poll() is None, "running",
                      again.output())


def stopped_across_the_alarm(results, binary, tone, gap):
    """Stops the process a few seconds before its alarm, moves its clock `gap` seconds on, and lets it run again."""
    clock = FakeClock()
    try:
        with environment(**clock.env()):
            app = Kestrune(binary, settings=settings_line(tone, far_alarm_text())).start()
        try:
            alarm = arm_alarm(app, lead=8)
            time.sleep(max(0.0, alarm - 4 - time.time()))
            app.process.send_signal(signal.SIGSTOP)
            clock.set(gap)
            time.sleep(0.5)
            resumed = time.time()
            app.process.send_signal(signal.SIGCONT)
            if gap > 600:
                status = app.wait_text("Text5", "Missed", timeout=10)
                results.equal(f"stopped {gap // 60} min across the alarm: the status says", "Missed", status)
                results.check(f"stopped {gap // 60} min: no ring", not app.enabled("Command3"), "Sleep unavailable",
                              "Sleep available" if app.enabled("Command3") else "Sleep unavailable")
                results.check(f"stopped {gap // 60} min: still armed", app.enabled("Command2"), "OFF available",
                              app.enabled("Command2"))
            else:
                rung = poll(lambda: app.enabled("Command3") and time.time(), 10, 0.05)
                delay = None if rung is None else rung - resumed
                results.check(f"stopped {gap // 60} min across the alarm: it rings when it runs again",
                              delay is not None and delay <= 2.5, "Sleep available within 2.5 s of SIGCONT",
                              "never (10 s)" if delay is None else f"{delay:.2f} s after SIGCONT")
                results.equal(f"stopped {gap // 60} min: the status", "Alarm Set", app.text("Text5"))
        finally:
            app.stop()
    finally:
        clock.close()


def repeats_on_the_chosen_days(results, binary, tone):
    """Weekdays at one time of day, the days passed by moving the program's clock (libfaketime, in UTC): silent at
    the sink on Saturday and Sunday, heard on Monday, answered with --off and still set for Tuesday, Tuesday skipped
    over the bus, and set again with its skip after kill -9 and a start at login; settings.txt stays the same bytes
    throughout."""
    sinks = subprocess.run(["pactl", "list", "short", "sinks"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                           text=True).stdout
    if "test_sink" not in sinks:
        results.skip("a repeating alarm through a weekend", "no sound server with the null sink test_sink")
        return
    clock = FakeClock()
    folder = tempfile.mkdtemp(prefix="kestrune-repeat-")
    first = math.floor(time.time()) + 60  # the alarm's time of day, on Saturday in the program's clock
    day = datetime.datetime.fromtimestamp(first, datetime.timezone.utc)
    to_saturday = (5 - day.weekday()) % 7
    clock.set(to_saturday * 86400)
    alarm = day.strftime("%H:%M:%S")
    settings = settings_line(tone, alarm)
    app = Kestrune(binary, settings=settings, env={**clock.env(), "TZ": "UTC"})
    next_ring = lambda days: (day + datetime.timedelta(days=to_saturday + days)).strftime("%Y-%m-%d ") + alarm
    try:
        with Recorder(os.path.join(folder, "rec.wav")) as rec:
            app.start()
            done = app.command("--set", alarm, "--repeat", "weekdays")
            code, status = status_of(app)
            results.equal("--set --repeat weekdays on Saturday: set for Monday", (0, 0, "yes", "weekdays", next_ring(2)),
                          (done.returncode, code, status.get("Armed"), status.get("Repeat"), status.get("Next ring")))
            rang = {}
            for days, name in enumerate(("Saturday", "Sunday", "Monday")):
                at = math.floor(time.time()) + 8
                clock.set((to_saturday + days) * 86400 + first - at)
                wait_until(at + 4, app)
                rang[name] = (rec.seconds(at), app.enabled("Command3"))
            off = app.command("--off")
            code, status = status_of(app)
        levels = {name: rms_db(rec.path, start + 0.5, 3) for name, (start, _) in rang.items()}
        results.check("silent at the sink on Saturday and Sunday, heard on Monday",
                      levels["Saturday"] < -80 and levels["Sunday"] < -80 and levels["Monday"] > -55,
                      "below -80 dB, below -80 dB, above -55 dB", levels)
        results.equal("Sleep offered on Monday only", {"Saturday": False, "Sunday": False, "Monday": True},
                      {name: offered for name, (_, offered) in rang.items()})
        results.equal("--off at Monday's ring: silenced, still set, next ring Tuesday",
                      (0, "no", "yes", next_ring(3), "-"), (off.returncode, status.get("Ringing"), status.get("Armed"),
                                                             status.get("Next ring"), status.get("Skipped")))
        results.equal("settings.txt unchanged by the days", settings, read_bytes(app.settings_path))
        # Tuesday skipped over the bus, and kept beside the settings before the crash.
        run([*BUS, "--method", "org.kestrune.Kestrune.Alarm.Skip"])
        poll(lambda: b"skip=" + next_ring(3)[:10].encode() in read_bytes(os.path.join(app.folder, "repeat.txt")), 10)
        app.restart_after_kill("--tray")
        poll(lambda: status_of(app)[1].get("Armed") == "yes", 30, 0.5)
        code, status = status_of(app)
        results.equal("after kill -9 and --tray: set again, Tuesday skipped, for Wednesday",
                      (0, "yes", "no", "weekdays", next_ring(4), next_ring(3)),
                      (code, *(status.get(k) for k in ("Armed", "Ringing", "Repeat", "Next ring", "Skipped"))))
        results.equal("settings.txt unchanged after the restart", settings, read_bytes(app.settings_path))
    finally:
        app.stop()
        clock.close()
        subprocess.run(["rm", "-rf", folder])


def main():
    binary = binary_from_args()
    require_services()
    results = Results("e2e_one_alarm")
    folder = tempfile.mkdtemp(prefix="kestrune-one-")
    tone = os.path.join(folder, "tone.mp3")
    make_tone(tone, seconds=5)
    results.cases((second_start_shows_the_first, binary, tone), (scripts_reach_the_alarm, binary, tone),
                  (killed_run_does_not_stop_the_next, binary, tone), (stopped_across_the_alarm, binary, tone, 660),
                  (stopped_across_the_alarm, binary, tone, 300), (repeats_on_the_chosen_days, binary, tone))
    subprocess.run(["rm", "-rf", folder])
    results.finish()


if __name__ == "__main__":
    main()
