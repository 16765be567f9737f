"""Running commands, waiting, the test binary and the results each script reports."""

import contextlib
import os
import pwd
import signal
import subprocess
import sys
import time
import traceback


SKIP = 77
SAMPLE_RATE = 44100


def log(message):
    print(message, flush=True)


def run(args, timeout=30, check=True, **kwargs):
    """Runs a short helper command and returns its standard output."""
    done = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout, text=True,
                          **kwargs)
    if check and done.returncode != 0:
        raise RuntimeError(f"{' '.join(args)} failed ({done.returncode}): {done.stderr.strip()}")
    return done.stdout


def stop_process(process, timeout=10, hard=False):
    """Ends a process this script started (SIGTERM, or SIGKILL when hard or when it does not end in time)."""
    if process is None or process.poll() is not None:
        return
    process.send_signal(signal.SIGKILL if hard else signal.SIGTERM)
    try:
        process.wait(timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout)


def poll(what, timeout, interval=0.1):
    """Calls what() until it returns something true, or returns None after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = what()
        except Exception:  # the thing looked for may be half-built; look again
            value = None
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(interval)


@contextlib.contextmanager
def regular_account():
    """A regular user made for the test (uid in login.defs' range, no home), removed afterwards: (uid, gid)."""
    name = f"kestrune-t{os.getpid()}"
    run(["useradd", "--no-create-home", "--user-group", "--shell", "/usr/sbin/nologin", name])
    try:
        account = pwd.getpwnam(name)
        yield account.pw_uid, account.pw_gid
    finally:
        run(["userdel", name], check=False)


def binary_from_args():
    if len(sys.argv) < 2 or not os.path.isfile(sys.argv[1]):
        log(f"usage: {sys.argv[0]} /path/to/kestrune")
        sys.exit(2)
    return os.path.abspath(sys.argv[1])


def record_skip(what, reason):
    """Logs a skipped scenario and adds it to the run's list of skips (KESTRUNE_SKIPS), which the test
    command prints in its summary: a skip is never counted as a pass unseen."""
    log(f"SKIP {what}: {reason}")
    listing = os.environ.get("KESTRUNE_SKIPS")
    if listing:
        with open(listing, "a", encoding="utf-8") as out:
            out.write(f"{what}: {reason}\n")


def skip_all(reason):
    """Skips the whole script (exit 77, which ctest reports as skipped)."""
    record_skip(os.path.splitext(os.path.basename(sys.argv[0]))[0], reason)
    sys.exit(SKIP)


def require_services(sound=False):
    """Skips (exit 77) when the X server, the accessibility bus or, if asked, the sound server is absent."""
    if not os.environ.get("DISPLAY"):
        skip_all("no DISPLAY")
    if subprocess.run(["xdpyinfo"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0:
        skip_all(f"no X server answers on {os.environ['DISPLAY']}")
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        skip_all("no D-Bus session bus, so no accessibility bus")
    if sound:
        done = subprocess.run(["pactl", "list", "short", "sinks"], stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True)
        if done.returncode != 0 or "test_sink" not in done.stdout:
            skip_all("no sound server with the null sink test_sink")


def artifacts_folder():
    folder = os.environ.get("KESTRUNE_ARTIFACTS")
    if folder:
        os.makedirs(folder, exist_ok=True)
    return folder


class Results:
    """Counts checks, prints each with what was expected and what was seen, and ends the script."""

    def __init__(self, name):
        self.name = name
        self.passed = 0
        self.failed = 0
        self.started = time.monotonic()

    def check(self, what, ok, expected, seen):
        if ok:
            self.passed += 1
            log(f"PASS {what}: {seen}")
        else:
            self.failed += 1
            log(f"FAIL {what}\n     expected: {expected}\n     seen:     {seen}")
        return ok

    def equal(self, what, expected, seen):
        return self.check(what, expected == seen, repr(expected), repr(seen))

    def skip(self, what, reason):
        record_skip(f"{self.name} {what}", reason)

    def case(self, function, *args):
        """Runs one scenario; an exception in it counts as one failure and the next scenario still runs."""
        log(f"--- {function.__name__}")
        try:
            function(self, *args)
        except Exception as error:
            self.failed += 1
            log(f"FAIL {function.__name__} stopped: {error}")
            traceback.print_exc(file=sys.stdout)

    def cases(self, *cases):
        """Runs (function, *args) scenarios in order, each timed; KESTRUNE_E2E_ONLY=name,name runs only those."""
        only = os.environ.get("KESTRUNE_E2E_ONLY")
        for function, *args in cases:
            if only and function.__name__ not in only.split(","):
                continue
            started = time.monotonic()
            self.case(function, *args)
            log(f"({function.__name__} took {time.monotonic() - started:.0f} s)")

    def finish(self):
        seconds = time.monotonic() - self.started
        log(f"{self.name}: {self.passed} passed, {self.failed} failed ({seconds:.0f} s)")
        sys.exit(1 if self.failed or not self.passed else 0)
