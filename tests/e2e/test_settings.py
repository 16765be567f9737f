"""settings.txt beside the real binary, seen from outside: the first run writes exactly the first-run line when the
window's close box ends it; a crafted file comes back on screen at the next start (alarm time, colours, snooze
minutes, a sound that lets ON arm at once) without arming the alarm; Exit writes the same values back; SIGTERM saves
like Exit does; a kill a few seconds after typing loses nothing; with TZ naming a zone file, a change of the file
moves the clock and the alarm."""

import os
import shutil
import signal
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kestrune import (Kestrune, exit_text, settings_line, Results, binary_from_args, extents, far_alarm_text, pixel, poll,  # noqa: E402
                          read_bytes, require_services, run, screenshot)

FIRST_RUN_LINE = settings_line()
GREEN = (0, 255, 0)  # colour integer 65280
RED = (255, 0, 0)    # colour integer 255


def crafted_line(folder, alarm):
    return f'"{os.path.join(folder, "x.mp3")}","{alarm}",12,255,65280\r\n'.encode()


def colours_in(png, box):
    """How many pixels of a screenshot region are each exact colour."""
    x, y, w, h = box
    out = run(["convert", png, "-crop", f"{w}x{h}+{x}+{y}", "-depth", "8", "txt:-"])
    counts = {}
    for line in out.splitlines()[1:]:
        rgb = line.split("(", 1)[1].split(")", 1)[0].split(",")[:3]
        key = tuple(int(float(v)) for v in rgb)
        counts[key] = counts.get(key, 0) + 1
    return counts


def first_run(results, binary):
    app = Kestrune(binary)
    try:
        app.start()
        results.check("no settings file before the first start", not os.path.exists(app.settings_path),
                      "none", read_bytes(app.settings_path))
        results.equal("the status box after a first start", "Not Set", app.text("Text5"))
        results.equal("the alarm box after a first start", "", app.text("Text2"))
        app.close_main_window()
        code = app.wait_exit(30)
        results.check("the window's close box ends the program", code is not None, "the process ends", exit_text(code))
        results.equal("the first-run settings file, byte for byte", FIRST_RUN_LINE, read_bytes(app.settings_path))
    finally:
        app.stop()


def restored(results, binary):
    alarm = far_alarm_text()
    app = Kestrune(binary)
    line = crafted_line(app.folder, alarm)
    with open(app.settings_path, "wb") as f:
        f.write(line)
    try:
        app.start()
        results.equal("the alarm box shows the stored time", alarm, app.text("Text2"))
        results.equal("the status box: a stored time does not arm", "Not Set", app.text("Text5"))
        results.check("ON is available and OFF is not", app.enabled("Command1") and not app.enabled("Command2"),
                      "ON enabled, OFF disabled", f"ON {app.enabled('Command1')}, OFF {app.enabled('Command2')}")

        poll(lambda: app.text("Text1"), 10, 0.1)  # the clock is empty until its first tick
        time.sleep(0.5)
        shot = screenshot(os.path.join(app.folder, "restored.png"))
        for name in ("Text1", "Text2"):
            box = extents(app.control(name))
            results.equal(f"{name}'s background is the stored back colour 65280", GREEN,
                          pixel(shot, box[0] + 4, box[1] + box[3] // 2))
        for name in ("Text1", "Text2"):
            seen = colours_in(shot, extents(app.control(name)))
            results.check(f"{name}'s digits are in the stored fore colour 255", seen.get(RED, 0) >= 20,
                          f"20 or more pixels of {RED}",
                          f"{seen.get(RED, 0)}; most common {sorted(seen.items(), key=lambda kv: -kv[1])[:4]}")

        app.click("Command7")
        options = poll(lambda: app.window("Options"), 20, 0.2)
        results.check("Options opens", options is not None, "a window named Options",
                      [w.name for w in app.top_levels()])
        if options is not None:
            results.equal("the Options box shows the stored snooze minutes", "12", app.text("Text2", "Options"))
            app.click("Command1", "Options")  # its Exit hides it; it lies over the main window's buttons
            poll(lambda: not app.windows("^Options$"), 10, 0.2)

        # The stored sound lets ON arm without the dialog; OFF puts it back, so the saved values stay the same.
        app.click("Command1")
        results.equal("ON arms with the stored sound", "Alarm Set", app.wait_text("Text5", "Alarm Set"))
        results.check("and asks for no sound", len(app.windows("^Kestrune$")) == 1, "no message box",
                      f"windows {app.windows('^Kestrune$')}")
        app.click("Command2")
        app.wait_text("Text5", "Not Set")

        os.remove(app.settings_path)  # so that what is found afterwards was written by Exit
        app.click("Command6")
        code = app.wait_exit(30)
        results.check("Exit ends the program", code is not None, "the process ends", exit_text(code))
        results.equal("Exit writes the same values back", line, read_bytes(app.settings_path))
    finally:
        app.stop()


def killed_then_terminated(results, binary):
    """What was typed is on disk within about a second, so a crash loses nothing; started again, SIGTERM saves
    like Exit."""
    app = Kestrune(binary, settings=FIRST_RUN_LINE)
    try:
        app.start()
        alarm = far_alarm_text()
        app.type_into("Text2", alarm)
        saved = poll(lambda: b'"","' + alarm.encode() + b'",1,' in read_bytes(app.settings_path), 3, 0.1)
        app.process.kill()
        app.wait_exit(10)
        results.equal("killed: the typed alarm time was saved before the crash",
                      settings_line(alarm=alarm), read_bytes(app.settings_path))
        results.check("killed: saved within 3 s of typing", saved, "within 3 s",
                      "in time" if saved else "not in time")

        app.start()
        alarm = time.strftime("%H:%M:%S", time.localtime(time.time() + 13 * 3600))
        app.type_into("Text2", alarm)
        results.equal("the alarm box holds the typed time", alarm, app.text("Text2"))
        app.process.send_signal(signal.SIGTERM)
        code = app.wait_exit(30)
        results.check("SIGTERM ends the program", code is not None, "the process ends", exit_text(code))
        results.equal("SIGTERM saves like Exit", settings_line(alarm=alarm), read_bytes(app.settings_path))
    finally:
        app.stop()


def zone_followed(results, binary):
    """TZ naming a zone file: a change of that file moves the clock and the alarm within seconds."""
    app = Kestrune(binary)
    zone = os.path.join(app.folder, "zone")
    shutil.copyfile("/usr/share/zoneinfo/UTC", zone)
    with open(app.settings_path, "wb") as f:
        f.write(crafted_line(app.folder, ""))
    app.extra_env["TZ"] = ":" + zone
    try:
        app.start()

        def shows(offset):
            text = app.text("Text1")
            want = [time.strftime("%H:%M:%S", time.gmtime(time.time() + offset + d)) for d in (-2, -1, 0, 1)]
            return text in want

        results.check("zone: the clock first shows UTC", poll(lambda: shows(0), 5, 0.2), "UTC", app.text("Text1"))
        fresh = zone + ".new"
        shutil.copyfile("/usr/share/zoneinfo/Asia/Kolkata", fresh)
        os.replace(fresh, zone)
        results.check("zone: within 5 s the clock shows the new zone's time (UTC+05:30)",
                      poll(lambda: shows(19800), 5, 0.2), "UTC+05:30", app.text("Text1"))
        alarm = time.strftime("%H:%M:%S", time.gmtime(time.time() + 19800 + 6))
        app.type_into("Text2", alarm)
        app.click("Command1")
        app.wait_text("Text5", "Alarm Set")
        rang = poll(lambda: app.enabled("Command3"), 20, 0.2)
        results.check("zone: the alarm rings at the new zone's time", rang, f"Sleep enabled near {alarm}",
                      f"clock {app.text('Text1')}")
        app.click("Command2")
    finally:
        app.stop()


def main():
    binary = binary_from_args()
    require_services()
    results = Results("e2e_settings")
    results.case(first_run, binary)
    results.case(restored, binary)
    results.case(killed_then_terminated, binary)
    results.case(zone_followed, binary)
    results.finish()


if __name__ == "__main__":
    main()
