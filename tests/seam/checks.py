#!/usr/bin/env python3
# Checks on the game's sources as a whole; each prints what is wrong and fails.
#   checks.py includes SOURCE_DIR   the game (game/, sound/, input/, the start-up and layout in shell/)
#                                   includes nothing of a backend or of a platform library
#   checks.py not_bugs SOURCE_DIR   every NOT-BUGS.md tag stands once in the code and the tests it names exist;
#                                   every tag in the code has its entry

import collections
import pathlib
import re
import sys

check, folder = sys.argv[1], pathlib.Path(sys.argv[2])
code = {p: p.read_text(encoding="utf-8") for d in ("game", "sound", "input", "shell")
        for p in (folder / d).rglob("*") if p.suffix in (".cpp", ".h")}
faults = []
if check == "includes":
    for path, text in code.items():
        if "platform" not in path.relative_to(folder).parts:
            faults += ["%s: %s" % (path, line) for line in re.findall(r"^\s*#\s*include.*", text, re.M)
                       if re.search(r"SDL|windows\.h|dsound|dinput|X11|platform/(sdl|sim|win32)/", line)]
else:
    tests = "\n".join(p.read_text(encoding="utf-8") for p in (folder / "tests").rglob("*.cpp"))
    entries = re.findall(r"^- `(KEPT_[A-Z_]+)`(.*?)(?=^- |^#|\Z)",
                         (folder / "NOT-BUGS.md").read_text(encoding="utf-8"), re.M | re.S)
    places = collections.Counter(re.findall(r"\bKEPT_[A-Z_]+", "\n".join(code.values())))
    for tag, entry in entries:
        faults += ["%s stands %d times in the code, not once" % (tag, places[tag])] if places[tag] != 1 else []
        named = re.findall(r"`(\w+)\.(\w+)`", entry)
        faults += [] if named else ["%s names no test" % tag]
        faults += ["%s names %s.%s, which is no test" % (tag, suite, name) for suite, name in named
                   if not re.search(r"\bTEST(_F|_P)?\(\s*%s,\s*%s\)" % (suite, name), tests)]
    faults += ["%s in the code has no entry" % tag for tag in places.keys() - {tag for tag, _ in entries}]
    faults += [] if entries else ["NOT-BUGS.md has no entries"]
print("\n".join(faults) or check + ": passed")
sys.exit(1 if faults else 0)
