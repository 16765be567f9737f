#!/usr/bin/python3
"""Measuring tools for scripts/bench.sh.

  measure.py record PREFIX SECONDS         records the null sink's monitor: PREFIX.raw (s16le, mono,
                                           44100 Hz) and PREFIX.times; PREFIX.ready once data flows
  measure.py onset PREFIX ALARM            ms from ALARM (epoch seconds) to the test tone's onset (its
                                           band at BAND_DBFS) and to the first audible sample (any
                                           sound at AUDIBLE_DBFS: the desktop's bell, when it comes first)
  measure.py fade PREFIX ALARM             the rise's slope in dB/s, when it stops (s after ALARM),
                                           the final level and the level of the first half second
  measure.py gap PREFIX ALARM FROM TO      the longest silent run (2 ms blocks under AUDIBLE_DBFS) in
                                           ms, between FROM and TO seconds after the tone's onset
  measure.py priming FILE GAIN_DB DBFS     ms of silence the decoded FILE starts with, heard at GAIN_DB
  measure.py idle SECONDS NAME=PID...      CPU, wake-ups and memory of each process over SECONDS
  measure.py table RESULTS                 the summary table from the "key value" lines in RESULTS

Timing of a recording: every read from parec is stamped with time.time(). A sample's time is the
recording's start plus its index over the rate; the start is estimated from the least-delayed read
near that sample, since a read can only come after its samples reached the monitor. The null sink
hands its monitor blocks of the smallest latency asked of it, rendered that much ahead: 2 ms
fragments keep that error to a few milliseconds (10 ms ones read about 4 ms early).

Finding the test tone: the desktop's bell rings at the same moment, loud and broad, so the tone is
found in its own band: two resonators at 440 Hz (Q 20) pass the tone's fade start (-36 dBFS peak)
whole and the bell at most at -58 dBFS. BAND_DBFS sits between the two. The resonators take a
while to swing up: that delay is measured on a clean sine of the tone's starting level and taken off.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from measuring.processes import idle  # noqa: E402
from measuring.sound import fade, gap, onset, priming, record  # noqa: E402
from measuring.summary import table  # noqa: E402


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    command, args = argv[1], argv[2:]
    if command == "record":
        return record(args[0], float(args[1]))
    if command == "onset":
        return onset(args[0], float(args[1]))
    if command == "fade":
        return fade(args[0], float(args[1]))
    if command == "gap":
        return gap(args[0], float(args[1]), float(args[2]), float(args[3]))
    if command == "priming":
        return priming(args[0], float(args[1]), float(args[2]))
    if command == "idle":
        return idle(float(args[0]), args[1:])
    if command == "table":
        return table(args[0])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
