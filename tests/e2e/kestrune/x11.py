"""The X server from outside: windows, screenshots, pixels, clicks and keys."""

import ctypes
import re

from .base import *  # noqa: F401,F403


class _XClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _XClientMessage), ("pad", ctypes.c_long * 24)]


def send_close_request(window_id):
    """Asks a window to close the way a window manager's close box does: a WM_DELETE_WINDOW client message."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(_XEvent)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        raise RuntimeError("cannot open the X display")
    try:
        event = _XEvent()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = window_id
        event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", False)
        event.xclient.format = 32
        event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", False)
        event.xclient.data[1] = 0  # CurrentTime
        if not x11.XSendEvent(display, window_id, False, 0, ctypes.byref(event)):
            raise RuntimeError("XSendEvent failed")
        x11.XFlush(display)
    finally:
        x11.XCloseDisplay(display)


def window_geometry(window_id):
    """Position and size of a window as the X server has it."""
    info = run(["xwininfo", "-id", str(window_id)])

    def field(label):
        return int(re.search(rf"{label}:\s+(-?\d+)", info).group(1))

    return {"x": field("Absolute upper-left X"), "y": field("Absolute upper-left Y"),
            "width": field("Width"), "height": field("Height")}


def screen_saver_active():
    """Whether the X screen saver is on now (the XScreenSaver extension's state), through python3-xlib."""
    from Xlib import display
    from Xlib.ext import screensaver  # noqa: F401  (registers the request)
    shown = display.Display()
    try:
        return shown.screen().root.screensaver_query_info().state == 1
    finally:
        shown.close()


def screenshot(path):
    run(["import", "-window", "root", path], timeout=60)
    return path


def pixel(png, x, y):
    """The RGB triple of one pixel of a screenshot."""
    out = run(["convert", png, "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"])
    match = re.search(r"\((\d+),(\d+),(\d+)", out.splitlines()[-1])
    return tuple(int(v) for v in match.groups())


def click_at(x, y, button=1):
    # xdotool's --sync waits 15 s for a motion that never comes when the pointer is already there.
    here = re.match(r"x:(-?\d+) y:(-?\d+)", run(["xdotool", "getmouselocation"]))
    if not here or (int(here.group(1)), int(here.group(2))) != (x, y):
        run(["xdotool", "mousemove", "--sync", str(x), str(y)])
    run(["xdotool", "click", str(button)])


def key(*keys):
    run(["xdotool", "key", "--clearmodifiers", *keys])


def type_text(text):
    run(["xdotool", "type", "--delay", "40", text], timeout=60)
