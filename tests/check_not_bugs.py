#!/usr/bin/env python3
"""Every entry of NOT-BUGS.md resolves: its tag stands once in the code, at the
line that keeps the behaviour, and each test it names exists; and every tag in
the code has its entry.  check_not_bugs.py SOURCE_DIR"""

import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1])
entries = re.split(r"\n(?=- |#)", (root / "NOT-BUGS.md").read_text(encoding="utf-8"))
code = {p: p.read_text(encoding="utf-8") for d in ("game", "sound", "input", "shell")
        for p in (root / d).rglob("*") if p.suffix in (".cpp", ".h")}
tests = "\n".join(p.read_text(encoding="utf-8") for p in (root / "tests").rglob("*.cpp"))
faults, tags = [], set()
for entry in entries:
    tag = re.match(r"- `(KEPT_[A-Z_]+)`", entry)
    if not tag:
        continue
    tags.add(tag[1])
    places = sum(len(re.findall(r"\b%s\b" % tag[1], text)) for text in code.values())
    if places != 1:
        faults.append("%s stands %d times in the code, not once" % (tag[1], places))
    named = re.findall(r"`(\w+)\.(\w+)`", entry)
    if not named:
        faults.append("%s names no test" % tag[1])
    for suite, name in named:
        if not re.search(r"\bTEST(_F|_P)?\(\s*%s,\s*%s\)" % (suite, name), tests):
            faults.append("%s names %s.%s, which is no test" % (tag[1], suite, name))
for text in code.values():
    faults += ["%s in the code has no entry" % t for t in set(re.findall(r"\bKEPT_[A-Z_]+", text)) - tags]
print("\n".join(faults) or "%d entries resolve" % len(tags))
sys.exit(1 if faults or not tags else 0)
