"""The About window of the real binary: opened from the menu bar's "About", its title line read over AT-SPI, and its
three link lines clicked with the mouse. What reaches the desktop's URL handler is recorded by a stub xdg-open put
first on the program's PATH; lines that are not links hand nothing over. Its close box, used from outside three times
(once the moment the window exists), closes it every time."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kestrune import (Kestrune, Results, binary_from_args, find_named, poll, press, require_services,  # noqa: E402
                          run, send_close_request)

DESIGNER = "https://design.kestrune.example/"
WEB = "https://kestrune.example/"
MAIL = "mailto:hello@kestrune.example"
QUIET_SECONDS = 2.0  # how long a click that opens nothing is watched


def handed_over(log_path):
    try:
        with open(log_path) as f:
            return f.read().splitlines()
    except OSError:
        return []


def install_stub(folder, log_path):
    """An xdg-open that only writes down what it was asked to open."""
    bin_folder = os.path.join(folder, "bin")
    os.makedirs(bin_folder)
    stub = os.path.join(bin_folder, "xdg-open")
    with open(stub, "w") as f:
        f.write(f'#!/bin/sh\nprintf "%s\\n" "$*" >> "{log_path}"\nprintf "%s\\n" "${{NO_AT_BRIDGE-unset}}" >> '
                f'"{log_path}.env"\n')
    os.chmod(stub, 0o755)
    return bin_folder


def open_about(results, app):
    bar = find_named(app.window("Kestrune"), "", "menu bar")
    press(find_named(bar, "About", "menu item"))
    about = poll(lambda: app.window("About"), 20, 0.2)
    results.check("the menu bar's About opens the About window", about is not None, "a window named About",
                  [w.name for w in app.top_levels()])
    return about is not None


def links(results, app, log_path):
    results.equal("the title line", "Kestrune v2.0   ", app.text("Text5", "About"))
    expected = []
    for name, link in (("Text4", DESIGNER), ("Text3", WEB), ("Text6", MAIL), ("Text3", WEB)):
        app.click(name, "About")
        expected.append(link)
        got = poll(lambda: len(handed_over(log_path)) >= len(expected) and handed_over(log_path), 15, 0.1)
        results.equal(f"after a click on {name} the URL handler has received", expected, got or
                      handed_over(log_path))
    with open(log_path + ".env") as f:
        results.equal("the URL handler gets the user's NO_AT_BRIDGE, not the program's own", [os.environ.get(
            "NO_AT_BRIDGE", "unset")] * len(expected), f.read().split())
    results.equal("the web address line hands over the address it shows", WEB, app.text("Text3", "About"))
    results.equal("the mail line hands over a mail link to the address it shows", MAIL,
                  "mailto:" + app.text("Text6", "About"))
    for name in ("Text2", "Text5"):
        before = handed_over(log_path)
        app.click(name, "About")
        time.sleep(QUIET_SECONDS)
        results.equal(f"a click on {name} hands nothing over", before, handed_over(log_path))
    results.check("the About window is still open", bool(app.windows("^About$")), "the About window",
                  app.windows("^About$"))


def close_box(results, app):
    """The window manager's close request, as the close box sends it: the window goes, every time."""
    for attempt in range(3):
        if not app.windows("^About$"):
            press(find_named(find_named(app.window("Kestrune"), "", "menu bar"), "About", "menu item"))
        # The last time at once, before the window need even be mapped.
        if attempt == 2:
            found = poll(lambda: run(["xdotool", "search", "--all", "--pid", str(app.process.pid), "--name",
                                      "^About$"], check=False).split(), 10, 0.01)
        else:
            found = poll(lambda: app.windows("^About$"), 10)
        send_close_request(int(found[-1]))
        time.sleep(1.5)
        results.equal(f"close box, try {attempt + 1}: the About window is gone", [], app.windows("^About$"))


def main():
    binary = binary_from_args()
    require_services()
    results = Results("e2e_about")
    app = Kestrune(binary)
    log_path = os.path.join(app.folder, "xdg-open.log")
    app.path_prefix = install_stub(app.folder, log_path)
    try:
        app.start()
        if open_about(results, app):
            results.case(links, app, log_path)
            results.case(close_box, app)
    except Exception as error:
        results.check("the program starts", False, "a running program", error)
    finally:
        app.stop()
    results.finish()


if __name__ == "__main__":
    main()
