"""The built-in alarm tone: synthesised here, encoded to MP3 by sox."""

import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import wave

from .drawing import *  # noqa: F401,F403
from .writers import *  # noqa: F401,F403
from .icon import *  # noqa: F401,F403
from .lettering import *  # noqa: F401,F403
from .about import *  # noqa: F401,F403
from .skin import *  # noqa: F401,F403


RATE = 44100


def tone_samples(phrases=26):
    """Phrases of four beeps, 880 and 1320 Hz in turn, each phrase followed by a rest.

    Long enough to outlast a whole fade-in without depending on the player's looping, which was seen
    to stop once on a cold start. The rest at the end is as long as the gap between phrases, so the
    file still loops without a seam."""
    beep, gap, rest = 0.11, 0.05, 0.56
    out = []
    for _ in range(phrases):
        for i in range(4):
            freq = 880.0 if i % 2 == 0 else 1320.0
            n = int(beep * RATE)
            attack, release = int(0.006 * RATE), int(0.014 * RATE)
            for s in range(n):
                t = s / RATE
                env = 1.0
                if s < attack:
                    env = 0.5 - 0.5 * math.cos(math.pi * s / attack)
                elif s > n - release:
                    env = 0.5 - 0.5 * math.cos(math.pi * (n - s) / release)
                # A touch of the third harmonic carries on small speakers without turning shrill.
                v = math.sin(2 * math.pi * freq * t) + 0.12 * math.sin(6 * math.pi * freq * t)
                out.append(v * env / 1.12)
            out.extend([0.0] * int(gap * RATE))
        out.extend([0.0] * int(rest * RATE))
    return out


def write_alarm_tone(path):
    if not shutil.which("sox"):
        sys.exit("sox is needed for the alarm tone (packages sox and libsox-fmt-mp3)")
    samples = tone_samples()
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "tone.wav")
        with wave.open(wav, "wb") as f:
            f.setnchannels(1)
            f.setsampwidth(2)
            f.setframerate(RATE)
            frames = bytearray()
            for v in samples:
                s = int(round(v * 16000))
                frames += struct.pack("<h", s)
            f.writeframes(bytes(frames))
        ensure_dir(path)
        subprocess.run(["sox", "-V1", wav, "-C", "48", path, "norm", "-6"], check=True)
    return len(samples) / RATE


def write_alarm_phrase(path):
    """One phrase of the tone as 16-bit WAV, which the desktop's sound library (libcanberra) can play where it
    cannot play MP3; it plays the phrase over and over. Peaks at -6 dBFS, as the MP3 is normalised."""
    samples = tone_samples(phrases=1)
    peak = max(abs(v) for v in samples)
    ensure_dir(path)
    with wave.open(path, "wb") as f:
        f.setnchannels(1)
        f.setsampwidth(2)
        f.setframerate(RATE)
        f.writeframes(b"".join(struct.pack("<h", int(round(v / peak * 16422))) for v in samples))
    return len(samples) / RATE
