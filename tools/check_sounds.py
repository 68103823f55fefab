#!/usr/bin/env python3
"""Checks the game's sound files: every one there, in the one format the game
loads (plain RIFF/WAVE, PCM, mono, 22,050 Hz, 16 bits), with sound in it, and
shaped as the game needs it.

    tools/check_sounds.py [SOUNDS_DIR] [--manifest tools/make_sounds/manifest.txt]

Speech must start at once (no lead silence beyond a few milliseconds) and end
soon after its last sound, since numbers are spoken by playing one file after
another; the fight's effects must start at once and be short; the music must
loop without a click. The files are those of the game's table, sound/sound_files.h;
with --manifest, the manifest must render exactly the table's names.

Standard library only; exits non-zero on any fault.
"""

import math
import os
import struct
import sys
import wave

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import sound_table  # noqa: E402

RATE = 22050

# The game's own table: (name, path under the sounds folder, kind).
TABLE = sound_table.read()
KIND = {path: kind for _, path, kind in TABLE}
EXPECTED = [path for _, path, _ in TABLE]
SPEECH = [p for p in EXPECTED if KIND[p] == "speech"]
FIGHT_EFFECTS = [p for p in EXPECTED if KIND[p] == "fight"]
MUSIC = next(p for p in EXPECTED if KIND[p] == "music")
INTRO = next(path for name, path, _ in TABLE if name == "Intro")

SILENCE_DB = -65.0        # a 2 ms window quieter than this is silence (the quietest
                          # fricatives sit near -60 dBFS, a synthesiser's silence below -70)
MAX_LEAD_MS = 10.0        # speech and the game-over sounds
MAX_EFFECT_LEAD_MS = 3.0  # swing, block and punch answer a key at once
MAX_TAIL_MS = 80.0        # speech: a spoken number must run on
MAX_EFFECT_SECONDS = 0.4
MIN_PEAK_DB = -12.0
MIN_MUSIC_PEAK_DB = -24.0  # the music sits well under the voices and the swings
MAX_TOTAL_BYTES = 5 * 1000 * 1000


class Fault(Exception):
    pass


def read_pcm(path):
    """Walks the RIFF chunks itself and returns the samples; the wave module
    must then agree on every parameter."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 12 or data[0:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise Fault("not a RIFF/WAVE file")
    riff_size = struct.unpack_from("<I", data, 4)[0]
    if riff_size + 8 != len(data):
        raise Fault("RIFF size %d does not match the file's %d bytes" % (riff_size, len(data) - 8))
    fmt = None
    samples = None
    pos = 12
    while pos + 8 <= len(data):
        cid, size = data[pos:pos + 4], struct.unpack_from("<I", data, pos + 4)[0]
        body = data[pos + 8:pos + 8 + size]
        if len(body) != size:
            raise Fault("chunk %r runs past the end of the file" % cid)
        if cid == b"fmt ":
            if size != 16:
                raise Fault("fmt chunk of %d bytes, not 16" % size)
            fmt = struct.unpack("<HHIIHH", body)
        elif cid == b"data":
            if fmt is None:
                raise Fault("data chunk before the fmt chunk")
            if size == 0 or size % 2:
                raise Fault("data chunk of %d bytes" % size)
            samples = struct.unpack("<%dh" % (size // 2), body)
        pos += 8 + size + (size & 1)
    if fmt is None or samples is None:
        raise Fault("no fmt or no data chunk")
    tag, channels, rate, byte_rate, align, bits = fmt
    want = (1, 1, RATE, RATE * 2, 2, 16)
    if fmt != want:
        raise Fault("format (tag, channels, rate, bytes/s, align, bits) = %s, want %s" % (fmt, want))
    with wave.open(path, "rb") as w:
        if (w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes()) != \
                (1, 2, RATE, len(samples)):
            raise Fault("the wave module reads it differently")
    return samples


def level_db(v):
    return -200.0 if v <= 0 else 20.0 * math.log10(v / 32768.0)


def loud_windows(x, width):
    """Indices of the 2 ms windows whose RMS is above the silence level."""
    limit = 32768.0 * 10.0 ** (SILENCE_DB / 20.0)
    out = []
    for start in range(0, len(x), width):
        chunk = x[start:start + width]
        if (sum(s * s for s in chunk) / len(chunk)) ** 0.5 > limit:
            out.append(start)
    return out


def lead_and_tail_ms(x):
    width = RATE // 500
    loud = loud_windows(x, width)
    if not loud:
        raise Fault("silent")
    lead = loud[0]
    tail = len(x) - min(len(x), loud[-1] + width)
    return lead * 1000.0 / RATE, tail * 1000.0 / RATE


def percentile(values, q):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(q * len(ordered)))]


def check_loop(x):
    """The music buffer loops: its last sample must run into its first like any
    two neighbours inside it, in value and in slope."""
    steps = [abs(b - a) for a, b in zip(x, x[1:])]
    bends = [abs(c - 2 * b + a) for a, b, c in zip(x, x[1:], x[2:])]
    seam_step = abs(x[0] - x[-1])
    seam_bend = abs(x[1] - 2 * x[0] + x[-1])
    typical_step, typical_bend = percentile(steps, 0.99), percentile(bends, 0.99)
    if seam_step > typical_step:
        raise Fault("loop seam jumps %d, more than 99%% of inner steps (%d)" % (seam_step, typical_step))
    if seam_bend > typical_bend:
        raise Fault("loop seam bends %d, more than 99%% of inner bends (%d)" % (seam_bend, typical_bend))
    if max(abs(x[0]), abs(x[-1])) > 328:
        raise Fault("loop does not start and end near zero (%d, %d)" % (x[0], x[-1]))
    return "seam step %d (inner p99 %d)" % (seam_step, typical_step)


def check_file(root, name):
    x = read_pcm(os.path.join(root, name))
    seconds = len(x) / RATE
    peak = max(abs(s) for s in x)
    if level_db(peak) < (MIN_MUSIC_PEAK_DB if name == MUSIC else MIN_PEAK_DB):
        raise Fault("too quiet: peak %.1f dBFS" % level_db(peak))
    if sum(1 for s in x if s >= 32767 or s <= -32767) > 0:
        raise Fault("clipped")
    notes = ["%.2f s" % seconds]
    if name == MUSIC:
        if not 4.0 <= seconds <= 10.0:
            raise Fault("music loop of %.2f s" % seconds)
        notes.append(check_loop(x))
        return x, notes
    lead, tail = lead_and_tail_ms(x)
    notes.append("lead %.0f ms, tail %.0f ms" % (lead, tail))
    if name in FIGHT_EFFECTS:
        if lead > MAX_EFFECT_LEAD_MS:
            raise Fault("starts after %.1f ms of silence" % lead)
        if seconds > MAX_EFFECT_SECONDS:
            raise Fault("%.2f s long; the fight's effects must be short" % seconds)
    else:
        if lead > MAX_LEAD_MS:
            raise Fault("%.1f ms of silence before the first sound" % lead)
    if name in SPEECH:
        if tail > MAX_TAIL_MS:
            raise Fault("%.0f ms of silence after the last sound" % tail)
        longest = 60.0 if name == INTRO else 5.0
        shortest = 20.0 if name == INTRO else 0.15
        if not shortest <= seconds < longest:
            raise Fault("%.2f s is no plausible length for this speech" % seconds)
    return x, notes


def manifest_files(path):
    names = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith("#"):
                first = line.split("|")[0].strip()
                if first != "voice":
                    names.append(first)
    return names


def main(argv):
    args = list(argv)
    manifest = None
    if "--manifest" in args:
        i = args.index("--manifest")
        manifest = args[i + 1]
        del args[i:i + 2]
    root = args[0] if args else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "sounds")

    faults = []
    passed = 0
    total = 0
    effects = {}
    for name in EXPECTED:
        path = os.path.join(root, name)
        if not os.path.isfile(path):
            faults.append("%s: missing" % name)
            continue
        total += os.path.getsize(path)
        try:
            x, notes = check_file(root, name)
        except Fault as e:
            faults.append("%s: %s" % (name, e))
            continue
        if name in FIGHT_EFFECTS:
            effects[name] = x
        passed += 1
        print("ok   %-22s %s" % (name, ", ".join(notes)))

    if len(set(effects.values())) != len(effects):
        faults.append("swing, block and punch are not all different")
    if total > MAX_TOTAL_BYTES:
        faults.append("the sounds take %d bytes, more than %d" % (total, MAX_TOTAL_BYTES))
    if manifest is not None:
        listed = manifest_files(manifest)
        names = [name for name, _, _ in TABLE]
        if sorted(listed) != sorted(names):
            extra = sorted(set(listed) - set(names))
            lacking = sorted(set(names) - set(listed))
            faults.append("manifest disagrees: lists extra %s, lacks %s, or lists one twice"
                          % (extra, lacking))

    for fault in faults:
        print("FAIL " + fault)
    print("total %d bytes in %d files" % (total, len(EXPECTED)))
    print("%d of %d files good, %d faults" % (passed, len(EXPECTED), len(faults)))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
