#!/usr/bin/env python3
"""Fails when an #include in src/ runs up a layer.

The folders build on each other one way: core (no widgets) <- platform <- soundclient <- controls <-
ui <- alarm, tray, dialogs <- app. The behaviour folders do not know each other, except that the
Options window sets the snooze length the alarm reads, so dialogs may use alarm. The sound stack
(sound) and the sound program (soundhost) are another executable's: the program never includes them,
and they share only the message format in soundclient. The wake program (wake) is another
executable too: it links no Qt and uses only the capability trim in platform.
"""
import os
import re
import sys

BELOW = {
    "core": set(),
    "platform": {"core"},
    "sound": {"core", "platform"},
    "soundclient": {"core", "platform"},
    "soundhost": {"core", "platform", "sound", "soundclient"},
    "wake": {"platform"},
    "controls": {"core", "platform", "soundclient"},
    "ui": {"core", "platform", "soundclient", "controls"},
    "alarm": {"core", "platform", "soundclient", "controls", "ui"},
    "tray": {"core", "platform", "soundclient", "controls", "ui"},
    "dialogs": {"core", "platform", "soundclient", "controls", "ui", "alarm"},
    "app": {"core", "platform", "soundclient", "controls", "ui", "alarm", "tray", "dialogs"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def main():
    src = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
    faults = []
    for folder in sorted(os.listdir(src)):
        path = os.path.join(src, folder)
        if not os.path.isdir(path):
            continue
        if folder not in BELOW:
            faults.append(f"src/{folder}: a folder the layer check does not know; give it a place in BELOW")
            continue
        for base, _, files in os.walk(path):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                file = os.path.join(base, name)
                with open(file, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                for target in INCLUDE.findall(text):
                    top = target.split("/")[0] if "/" in target else None
                    if top is None or top == folder or top not in BELOW:
                        continue
                    if top not in BELOW[folder]:
                        rel = os.path.relpath(file, os.path.join(src, ".."))
                        faults.append(f"{rel}: includes {target}, but {folder}/ may only use {sorted(BELOW[folder]) or 'nothing'}")
    for fault in faults:
        print(fault)
    print(f"layers: {len(faults)} include(s) running up a layer")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
