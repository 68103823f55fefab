#!/usr/bin/env python3
# Every entry of NOT-BUGS.md resolves: its tag stands once in the code, at the
# line that keeps the behaviour, and each test it names exists; and every tag
# in the code has its entry.  check_not_bugs.py SOURCE_DIR

import collections
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1])
code = "\n".join(p.read_text(encoding="utf-8") for d in ("game", "sound", "input", "shell")
                 for p in (root / d).rglob("*") if p.suffix in (".cpp", ".h"))
tests = "\n".join(p.read_text(encoding="utf-8") for p in (root / "tests").rglob("*.cpp"))
entries = re.findall(r"^- `(KEPT_[A-Z_]+)`(.*?)(?=^- |^#|\Z)",
                     (root / "NOT-BUGS.md").read_text(encoding="utf-8"), re.M | re.S)
places = collections.Counter(re.findall(r"\bKEPT_[A-Z_]+", code))
faults = [] if entries else ["NOT-BUGS.md has no entries"]
for tag, entry in entries:
    faults += ["%s stands %d times in the code, not once" % (tag, places[tag])] if places[tag] != 1 else []
    named = re.findall(r"`(\w+)\.(\w+)`", entry)
    faults += [] if named else ["%s names no test" % tag]
    faults += ["%s names %s.%s, which is no test" % (tag, suite, name) for suite, name in named
               if not re.search(r"\bTEST(_F|_P)?\(\s*%s,\s*%s\)" % (suite, name), tests)]
faults += ["%s in the code has no entry" % tag for tag in places.keys() - {tag for tag, _ in entries}]
print("\n".join(faults) or "%d entries resolve" % len(entries))
sys.exit(1 if faults else 0)
