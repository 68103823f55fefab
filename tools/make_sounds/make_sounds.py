"""Renders every sound of the game from the manifest.

    python3 make_sounds.py MANIFEST OUT_DIR

Run through make_sounds.sh, which checks that the synthesisers are installed.
The manifest's own comments describe its lines.
"""

import os
import shlex
import subprocess
import sys
import tempfile

import soundkit as kit

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import sound_table  # noqa: E402

RAW_F32 = ["-t", "raw", "-e", "floating-point", "-b", "32", "-L", "-c", "1"]


class Voice:
    def __init__(self, name, engine, effects):
        self.name = name
        self.engine = engine.split()
        self.effects = shlex.split(effects)
        if not self.engine or self.engine[0] not in ("festival", "flite"):
            raise ValueError("voice %s: unknown synthesiser %r" % (name, engine))


class Renderer:
    def __init__(self, tmp):
        self.tmp = tmp
        self.count = 0

    def scratch(self, suffix):
        self.count += 1
        return os.path.join(self.tmp, "%04d%s" % (self.count, suffix))

    def sox_to_floats(self, source, source_format, effects):
        out = self.scratch(".f32")
        # -D: no dither, so the same input always gives the same samples.
        cmd = ["sox", "-D"] + source_format + [source] + RAW_F32 + [out] + effects
        subprocess.run(cmd, check=True)
        return kit.read_f32(out)

    def speak(self, voice, text):
        text_file = self.scratch(".txt")
        with open(text_file, "w", encoding="utf-8") as f:
            f.write(text + "\n")
        raw = self.scratch(".wav")
        engine, args = voice.engine[0], voice.engine[1:]
        if engine == "festival":
            cmd = ["text2wave", "-F", str(kit.RATE), "-eval", "(voice_%s)" % args[0]]
            if len(args) > 1:
                # The HTS engine's own speaking rate; 1 is the voice's natural pace.
                cmd += ["-eval", '(set! hts_engine_params (append hts_engine_params '
                                 '(list (list "-r" %s))))' % float(args[1])]
            cmd += [text_file, "-o", raw]
        else:
            cmd = ["flite", "-voice", args[0], "-f", text_file, "-o", raw]
        subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
        x = self.sox_to_floats(raw, [], voice.effects + ["rate", "-v", str(kit.RATE)])
        return kit.level_speech(kit.trim_speech(x))

    def effect(self, recipe):
        if recipe not in kit.EFFECTS:
            raise ValueError("unknown effect " + recipe)
        return kit.EFFECTS[recipe]()

    def music(self, recipe, reverb):
        if recipe not in kit.MUSIC:
            raise ValueError("unknown music " + recipe)
        period = kit.MUSIC[recipe]()
        n = len(period)
        one = self.scratch(".f32")
        with open(one, "wb") as f:
            f.write(kit.floats_to_f32(period))
        # Four periods through the reverb: by the third, the tail carried over
        # from the one before is the same as the loop will carry round onto
        # its own start, so the third period is the loop with its reverb.
        wet = self.sox_to_floats(one, RAW_F32 + ["-r", str(kit.RATE)],
                                 ["repeat", "3", "reverb"] + shlex.split(reverb))
        loop = kit.cut_period(wet, n, 2 * n, kit.ms(50))
        # Some 10 dB under the voices: the swings must be heard over it.
        return kit.level_rms(loop, -28.0)


def parse(manifest):
    voices, sounds = {}, []
    with open(manifest, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            fields = [p.strip() for p in line.split("|")]
            where = "%s:%d" % (manifest, number)
            if fields[0] == "voice":
                if len(fields) != 4:
                    raise ValueError(where + ": voice | NAME | SYNTHESISER VOICE | SOX EFFECTS")
                voices[fields[1]] = Voice(fields[1], fields[2], fields[3])
            else:
                if len(fields) < 3:
                    raise ValueError(where + ": FILE | KIND | ...")
                sounds.append((where, fields))
    return voices, sounds


def render(renderer, voices, kind, args):
    if kind == "speech":
        voice, text = args
        return renderer.speak(voices[voice], text)
    if kind == "effect":
        return renderer.effect(args[0])
    if kind == "music":
        return renderer.music(args[0], args[1] if len(args) > 1 else "")
    if kind == "sequence":
        # Parts follow one another; "pause S" puts S seconds between two of
        # them, a negative S lets the next part start that much early, over
        # the tail of the one before.
        out, gap = [], 0
        for part in args[0].split(";"):
            words = part.split(None, 2)
            if words[0] == "pause":
                gap = kit.ms(float(words[1]) * 1000.0)
                continue
            if words[0] == "speech":
                piece = render(renderer, voices, "speech", words[1:3])
            else:
                piece = render(renderer, voices, words[0], words[1:])
            start = max(0, len(out) + gap)
            out += [0.0] * max(0, start + len(piece) - len(out))
            for i, s in enumerate(piece):
                out[start + i] += s
            gap = 0
        return out
    raise ValueError("unknown kind " + kind)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_sounds.py MANIFEST OUT_DIR")
    manifest, out_dir = sys.argv[1], sys.argv[2]
    voices, sounds = parse(manifest)
    paths = {name: path for name, path, _ in sound_table.read()}
    with tempfile.TemporaryDirectory() as tmp:
        renderer = Renderer(tmp)
        for where, fields in sounds:
            if fields[0] not in paths:
                sys.exit("%s: %s is not in the game's table of sound files" % (where, fields[0]))
            path = os.path.join(out_dir, paths[fields[0]])
            try:
                samples = render(renderer, voices, fields[1], fields[2:])
            except (ValueError, KeyError, IndexError) as e:
                sys.exit("%s: %s" % (where, e))
            os.makedirs(os.path.dirname(path), exist_ok=True)
            kit.write_wav(path, samples)
            print("%-28s %6.2f s" % (paths[fields[0]], len(samples) / kit.RATE))


if __name__ == "__main__":
    main()
