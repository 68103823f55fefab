"""The game's table of sound files, read from sound/sound_files.h, where the
game takes its paths from: one line a file, SOUND(Name, "sounds/...", kind)."""

import os
import re

HEADER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "sound", "sound_files.h")
ROW = re.compile(r'^\s*SOUND\((\w+), "sounds/([^"]+)", (\w+)\)')


def read(header=HEADER):
    """Returns [(name, path under the sounds folder, kind)] in the table's order."""
    with open(header, encoding="utf-8") as f:
        rows = [m.groups() for m in map(ROW.match, f) if m]
    if not rows:
        raise ValueError("no sound files found in " + header)
    return rows
