"""settings.txt under faults, on the real binary: a file system that is full when the user presses Exit (a small
tmpfs holding the program and its settings) keeps the old file byte for byte and the program says why in a box
captioned Kestrune before it ends; a named pipe in the file's place, or a link to one, does not hold up the start:
the window is there within a second, and Exit says the pipe was not replaced; SIGTERM while that box is open ends
the program. A normal user mounts the small file system in a user namespace."""

import errno
import os
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kestrune import (Kestrune, exit_text, Results, all_text, binary_from_args, find_named, log, poll, press,  # noqa: E402
                          read_bytes, require_services, skip_all)

OLD = b'"/music/dawn.mp3","06:45:00",12,255,65280\r\n'


def fill_up(folder):
    """Writes into a file until the file system has no room left; returns the bytes written."""
    written = 0
    with open(os.path.join(folder, "filler"), "wb", buffering=0) as f:
        for size in (1 << 16, 4096, 512, 1):
            chunk = b"\0" * size
            while True:
                try:
                    written += f.write(chunk)
                except OSError as error:
                    if error.errno != errno.ENOSPC:
                        raise
                    break
    return written


def save_box(app, timeout=20):
    """The message box captioned Kestrune that the program shows at Exit: (accessible, its text), or None."""
    def find():
        for top in app.top_levels("Kestrune"):
            if find_named(top, "Time", "text") is None:  # not the main window
                return top
        return None

    box = poll(find, timeout, 0.2)
    return (box, " ".join(all_text(box))) if box is not None else (None, "")


def answer_box(box):
    ok = find_named(box, "OK", "push button")
    if ok is None:
        raise RuntimeError("the box has no OK button")
    press(ok)


def full_disk_size(binary):
    return os.path.getsize(binary) // 1024 + 512


def full_disk(results, binary):
    # A normal user's run comes here inside a user namespace that mounted it already (main()).
    mount = os.environ.get("KESTRUNE_FULL_MOUNT")
    mounted_here = mount is None
    if mounted_here:
        mount = tempfile.mkdtemp(prefix="kestrune-full-")
        subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={full_disk_size(binary)}k,mode=0755", "tmpfs", mount],
                       check=True)
    app = Kestrune(binary)
    try:
        # The program and its settings on the small file system; its log stays outside, where there is room.
        app.exe = os.path.join(mount, "kestrune")
        shutil.copy2(binary, app.exe)
        app.settings_path = os.path.join(mount, "settings.txt")
        with open(app.settings_path, "wb") as f:
            f.write(OLD)
        app.start()
        results.equal("full disk: the stored alarm time is shown", "06:45:00", app.text("Text2"))
        log(f"filled the file system with {fill_up(mount)} bytes")
        app.click("Command6")
        box, text = save_box(app)
        results.check("full disk: Exit shows a box captioned Kestrune", box is not None, "a second window 'Kestrune'",
                      "a box" if box is not None else f"none; the program {exit_text(app.process.poll())}")
        results.check("full disk: the box says the settings could not be saved, and why",
                      "could not be saved" in text and "No space left on device" in text,
                      "'could not be saved' and 'No space left on device'", text)
        results.check("full disk: the program waits for the box to be answered", app.process.poll() is None,
                      "still running", f"ended with {app.process.returncode}")
        if box is not None:
            answer_box(box)
        code = app.wait_exit(30)
        results.equal("full disk: the program then ends cleanly", 0, code)
        results.equal("full disk: the old file keeps its bytes", OLD, read_bytes(app.settings_path))
        leftovers = sorted(n for n in os.listdir(mount) if n not in ("kestrune", "settings.txt", "filler"))
        results.equal("full disk: nothing is left beside it", [], leftovers)
        said = [line for line in app.output().splitlines() if "cannot save" in line]
        results.check("full disk: standard error says why too", any(app.settings_path in line for line in said),
                      f"a line with 'cannot save' and {app.settings_path}", said or app.output())
    finally:
        app.stop()
        if mounted_here:
            subprocess.run(["umount", mount], check=False)
            os.rmdir(mount)


def special_file(results, binary, linked):
    what = "a link to a named pipe" if linked else "a named pipe"
    app = Kestrune(binary)
    pipe = os.path.join(app.folder, "pipe" if linked else "settings.txt")
    os.mkfifo(pipe)
    if linked:
        os.symlink(pipe, app.settings_path)
    try:
        found = []
        look = app._find_main_window

        def timed():
            window = look()
            if window and not found:
                found.append(time.monotonic())
            return window

        app._find_main_window = timed
        started = time.monotonic()
        app.start()
        took = found[0] - started
        results.check(f"{what}: the window is there within a second", took <= 1.0, "at most 1.0 s", f"{took:.2f} s")
        said = [line for line in app.output().splitlines() if "cannot read" in line]
        results.check(f"{what}: standard error says it was not read", any("named pipe" in line for line in said),
                      "a line with 'cannot read' and 'named pipe'", said or app.output())
        results.equal(f"{what}: the starting values stand", "", app.text("Text2"))
        app.click("Command6")
        box, text = save_box(app)
        results.check(f"{what}: Exit says the settings could not be saved because of the pipe",
                      "could not be saved" in text and "named pipe" in text, "'could not be saved' and 'named pipe'",
                      text)
        if box is not None and linked:
            # Ended from outside while the box waits: the program ends as at any other time.
            app.process.send_signal(signal.SIGTERM)
            code = app.wait_exit(10)
            results.check(f"{what}: SIGTERM while the box is open ends the program", code is not None,
                          "ended within 10 s", exit_text(code))
        elif box is not None:
            answer_box(box)
        results.equal(f"{what}: the program then ends cleanly", 0, app.wait_exit(30))
        still = os.path.exists(pipe) and stat.S_ISFIFO(os.stat(pipe).st_mode)
        results.check(f"{what}: the pipe is still a pipe", still, "a named pipe",
                      "a named pipe" if still else "replaced or gone")
        if linked:
            kept = os.path.islink(app.settings_path)
            results.check(f"{what}: the link is still a link", kept, "a link", "a link" if kept else "replaced")
    finally:
        app.stop()


def main():
    binary = binary_from_args()
    require_services()
    if os.geteuid() != 0 and "KESTRUNE_FULL_MOUNT" not in os.environ:
        # A normal user mounts the small file system in a user namespace of its own, and runs every
        # case in a second one that maps it back to itself, so the program and the desktop's
        # services see the same user as outside.
        probe = subprocess.run(["unshare", "--user", "--map-root-user", "--mount", "true"], stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE, text=True)
        if probe.returncode != 0:
            skip_all("a normal user mounts the small file system in a user namespace, and this machine refuses one "
                     f"({probe.stderr.strip()}); run the tests as root to cover it")
        mount = tempfile.mkdtemp(prefix="kestrune-full-")
        inner = ["unshare", "--user", f"--map-user={os.getuid()}", f"--map-group={os.getgid()}", sys.executable,
                 *sys.argv]
        mounting = 'mount -t tmpfs -o "size=$1k,mode=0755" tmpfs "$2" && shift 2 && exec "$@"'
        code = subprocess.run(["unshare", "--user", "--map-root-user", "--mount", "sh", "-c", mounting, "sh",
                               str(full_disk_size(binary)), mount, *inner],
                              env=dict(os.environ, KESTRUNE_FULL_MOUNT=mount)).returncode
        os.rmdir(mount)
        sys.exit(code)
    results = Results("e2e_settings_faults")
    results.case(full_disk, binary)
    results.case(special_file, binary, False)
    results.case(special_file, binary, True)
    results.finish()


if __name__ == "__main__":
    main()
