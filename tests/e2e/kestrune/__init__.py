"""Drives the real Kestrune binary from outside and reads it back, as a user and assistive technology do.

Shared by the end-to-end scripts and the benchmark's analysis, a module a concern (base, x11, atspi,
audio, app, desktops). Each script gets the binary's path as its first argument, starts it from a
private temporary folder (a copy of the binary, so settings.txt lands beside it), clicks and types with xdotool,
reads controls over AT-SPI by their accessible names, records the null sink's monitor with parecord and measures
with sox. Every process started here is stopped by its PID.
"""

from .base import *  # noqa: F401,F403
from .x11 import *  # noqa: F401,F403
from .atspi import *  # noqa: F401,F403
from .audio import *  # noqa: F401,F403
from .app import *  # noqa: F401,F403
from .atspi import _pyatspi  # noqa: F401
