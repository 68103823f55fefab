"""Signal helpers of the sound maker: reading and writing samples, trimming and
levelling speech, the synthesised effects and the piano loop.

Standard library only. Signals are lists of floats in [-1, 1] at RATE, mono.
Nothing here draws from an unseeded generator, so every run renders the same
samples and the files come out byte for byte the same.
"""

import array
import cmath
import math
import random
import struct
import sys
import wave

RATE = 22050


def ms(milliseconds):
    return int(round(milliseconds * RATE / 1000.0))


def db(decibels):
    return 10.0 ** (decibels / 20.0)


# --- files -----------------------------------------------------------------

def read_f32(path):
    """Raw little-endian 32-bit float samples, as sox writes with -t f32."""
    data = array.array("f")
    with open(path, "rb") as f:
        data.frombytes(f.read())
    if sys.byteorder != "little":
        data.byteswap()
    return list(data)


def floats_to_f32(samples):
    data = array.array("f", samples)
    if sys.byteorder != "little":
        data.byteswap()
    return data.tobytes()


def write_wav(path, samples):
    """16-bit mono PCM at RATE; the wave module writes the plain 16-byte fmt chunk."""
    frames = bytearray()
    for s in samples:
        v = int(round(s * 32767.0))
        frames += struct.pack("<h", max(-32768, min(32767, v)))
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


def read_wav(path):
    with wave.open(path, "rb") as w:
        if (w.getnchannels(), w.getsampwidth(), w.getframerate()) != (1, 2, RATE):
            raise ValueError(path + ": not 16-bit mono at %d Hz" % RATE)
        raw = w.readframes(w.getnframes())
    return [v / 32767.0 for v in struct.unpack("<%dh" % (len(raw) // 2), raw)]


# --- measuring and levelling --------------------------------------------------

def peak(x):
    return max((abs(s) for s in x), default=0.0)


def window_rms(x, width):
    """RMS of x[i:i+width] for every start i (shorter windows at the end)."""
    sums = [0.0]
    for s in x:
        sums.append(sums[-1] + s * s)
    n = len(x)
    out = []
    for i in range(n):
        j = min(n, i + width)
        out.append(math.sqrt((sums[j] - sums[i]) / max(1, j - i)))
    return out


def fade(x, fade_in, fade_out):
    """Raised-cosine ramps at both ends, so a cut never clicks."""
    x = list(x)
    for i in range(min(fade_in, len(x))):
        x[i] *= 0.5 - 0.5 * math.cos(math.pi * i / fade_in)
    for i in range(min(fade_out, len(x))):
        x[-1 - i] *= 0.5 - 0.5 * math.cos(math.pi * i / fade_out)
    return x


def trim_speech(x, lead_db=-55.0, tail_db=-55.0, tail_keep_ms=25):
    """Cuts the synthesiser's lead and trailing silence.

    A spoken number is pieced together from several files, so each must start
    at its first sound and stop right after its last, or "one hundred twenty"
    comes out with gaps between the words. Levels are relative to the peak:
    soft onsets such as the f of "four" sit some 40 dB below it, and the
    synthesiser's silence some 75 dB.
    """
    p = peak(x)
    if p == 0.0:
        raise ValueError("silent recording")
    width = ms(5)
    rms = window_rms(x, width)
    on = db(lead_db) * p
    off = db(tail_db) * p
    first = next(i for i, r in enumerate(rms) if r > on)
    last = max(i for i, r in enumerate(rms) if r > off) + width
    start = max(0, first - ms(1))
    end = min(len(x), last + ms(tail_keep_ms))
    return fade(x[start:end], ms(2), ms(15))


def active_rms(x, gate_db=-35.0):
    """Loudness of the voiced part: RMS over 20 ms frames within gate_db of the loudest frame."""
    width = ms(20)
    frames = []
    for i in range(0, max(1, len(x) - width + 1), width):
        chunk = x[i:i + width]
        frames.append(sum(s * s for s in chunk) / len(chunk))
    top = max(frames)
    if top == 0.0:
        raise ValueError("silent recording")
    kept = [f for f in frames if f >= top * db(gate_db) ** 2]
    return math.sqrt(sum(kept) / len(kept))


def level_speech(x, target_db=-18.0, peak_cap_db=-1.0):
    """Every spoken file at the same loudness, whatever its crest factor."""
    gain = db(target_db) / active_rms(x)
    gain = min(gain, db(peak_cap_db) / peak(x))
    return [s * gain for s in x]


def level_rms(x, target_db):
    gain = db(target_db) / active_rms(x)
    return [s * gain for s in x]


def level_peak(x, peak_db):
    gain = db(peak_db) / peak(x)
    return [s * gain for s in x]


# --- building blocks of the effects ----------------------------------------------

def noise(rng, n):
    return [rng.uniform(-1.0, 1.0) for _ in range(n)]


def one_pole_lowpass(x, cutoff):
    a = math.exp(-2.0 * math.pi * cutoff / RATE)
    y, out = 0.0, []
    for s in x:
        y = (1.0 - a) * s + a * y
        out.append(y)
    return out


def highpass(x, cutoff):
    low = one_pole_lowpass(x, cutoff)
    return [s - l for s, l in zip(x, low)]


def swept_bandpass(x, centre_of, q):
    """Two-pole resonator whose centre frequency follows centre_of(i)."""
    y1 = y2 = 0.0
    out = []
    for i, s in enumerate(x):
        f = centre_of(i)
        r = math.exp(-math.pi * f / (q * RATE))
        c = 2.0 * r * math.cos(2.0 * math.pi * f / RATE)
        y = (1.0 - r) * s + c * y1 - r * r * y2
        y2, y1 = y1, y
        out.append(y)
    return out


def thump(n, f_start, f_end, sweep_s, decay_s):
    """A sine whose pitch drops, as a struck body does, with an exponential decay."""
    out, phase = [], 0.0
    for i in range(n):
        t = i / RATE
        f = f_end + (f_start - f_end) * math.exp(-t / sweep_s)
        phase += 2.0 * math.pi * f / RATE
        out.append(math.sin(phase) * math.exp(-t / decay_s))
    return out


def envelope(n, attack_s, decay_s):
    out = []
    for i in range(n):
        t = i / RATE
        a = 1.0 if attack_s <= 0 else min(1.0, 0.25 + 0.75 * t / attack_s)
        out.append(a * math.exp(-t / decay_s))
    return out


def mix(*parts):
    n = max(len(p) for p in parts)
    out = [0.0] * n
    for p in parts:
        for i, s in enumerate(p):
            out[i] += s
    return out


def scale(x, g):
    return [s * g for s in x]


def times(a, b):
    return [s * e for s, e in zip(a, b)]


# --- effects -------------------------------------------------------------------

def effect_swing():
    """A glove cutting the air: noise through a band that sweeps up and back
    down, loud from the first millisecond so that the swing is heard at once."""
    rng = random.Random(1)
    n = ms(280)
    air = noise(rng, n)

    def centre(i):
        u = i / n
        return 500.0 + 2300.0 * math.sin(math.pi * min(1.0, u * 1.25)) ** 2

    body = swept_bandpass(air, centre, 2.5)
    env = []
    for i in range(n):
        u = i / n
        env.append((0.45 + 0.55 * math.sin(math.pi * min(1.0, u / 0.35) / 2)) * (1.0 - u) ** 1.5)
    return fade(level_peak(times(body, env), -2.0), 0, ms(20))


def effect_block():
    """Glove on glove: a low, dull thud with a soft leather slap on top, no ring."""
    rng = random.Random(2)
    n = ms(180)
    body = thump(n, 150.0, 70.0, 0.02, 0.05)
    leather = times(one_pole_lowpass(one_pole_lowpass(noise(rng, n), 600.0), 600.0),
                    envelope(n, 0.0, 0.02))
    # A millisecond of attack takes the click off the front: the thud stays dull.
    return fade(level_peak(mix(body, scale(leather, 3.0)), -1.0), ms(1), ms(20))


def effect_punch():
    """A glove landing: a bright crack, then the smack of the hit and a short body thump."""
    rng = random.Random(3)
    n = ms(250)
    crack = times(highpass(noise(rng, n), 2500.0), envelope(n, 0.0, 0.006))
    smack = times(swept_bandpass(noise(rng, n), lambda i: 1600.0, 1.2), envelope(n, 0.0, 0.03))
    body = thump(n, 240.0, 110.0, 0.015, 0.05)
    return fade(level_peak(mix(scale(crack, 1.6), scale(smack, 3.0), scale(body, 0.8)), -1.0),
                0, ms(25))


def effect_impact():
    """The blow that ends a game: a heavy, deep hit with a crunch in it."""
    rng = random.Random(4)
    n = ms(520)
    body = thump(n, 160.0, 45.0, 0.04, 0.14)
    crunch = times(swept_bandpass(noise(rng, n), lambda i: 1100.0, 0.9), envelope(n, 0.0, 0.05))
    crack = times(highpass(noise(rng, n), 3000.0), envelope(n, 0.0, 0.01))
    grit = [0.0] * n
    for start in (ms(14), ms(31), ms(52)):
        for i in range(ms(6)):
            grit[start + i] += rng.uniform(-1.0, 1.0) * (1.0 - i / ms(6))
    return fade(level_peak(mix(body, scale(crunch, 2.0), scale(crack, 1.2),
                               scale(highpass(grit, 1500.0), 0.8)), -1.0), 0, ms(60))


def audible_samples(amp, tau, n):
    """How long a decaying partial stays above a hundredth of the 16-bit step."""
    floor = 1e-6
    if amp <= floor:
        return 0
    return min(n, int(math.ceil(tau * RATE * math.log(amp / floor))))


def bell_strike(n, f0, decay_s):
    """A ring bell: inharmonic partials, the upper ones dying sooner."""
    partials = ((1.0, 1.0), (2.0, 0.55), (2.76, 0.45), (4.07, 0.25), (5.4, 0.18), (8.9, 0.08))
    out = [0.0] * n
    for ratio, amp in partials:
        f = f0 * ratio
        tau = decay_s / (1.0 + 0.5 * (ratio - 1.0))
        w = cmath.exp(complex(-1.0 / (tau * RATE), 2.0 * math.pi * f / RATE))
        z = complex(0.0, amp)
        for i in range(audible_samples(amp, tau, n)):
            out[i] += z.real
            z *= w
    return [s * min(1.0, i / ms(1.5)) for i, s in enumerate(out)]


def effect_bell():
    """Three quick strokes of the ring bell."""
    gap = ms(260)
    n = gap * 2 + ms(1200)
    out = [0.0] * n
    stroke = fade(bell_strike(ms(1200), 1180.0, 0.45), 0, ms(500))
    for k in range(3):
        for i, s in enumerate(stroke):
            out[k * gap + i] += s * (1.0 - 0.1 * k)
    return fade(level_peak(out, -3.0), 0, ms(250))


EFFECTS = {
    "swing": effect_swing,
    "block": effect_block,
    "punch": effect_punch,
    "impact": effect_impact,
    "bell": effect_bell,
}


# --- the piano loop --------------------------------------------------------------

LOOP_SECONDS = 8.0
BEAT = 0.5  # 120 beats a minute; each chord lasts a bar of four beats


def midi_hz(note):
    return 440.0 * 2.0 ** ((note - 69) / 12.0)


def piano_note(note, velocity, length):
    """A soft piano tone: slightly stretched partials, each a pair of detuned
    strings, one dying quickly and one lingering, brighter when struck harder."""
    f0 = midi_hz(note)
    n = ms(length * 1000.0)
    out = [0.0] * n
    inharmonicity = 0.0004
    base_decay = min(2.6, 2.2 * (261.6 / f0) ** 0.5)
    for k in range(1, 8):
        f = f0 * k * math.sqrt(1.0 + inharmonicity * k * k)
        if f > RATE * 0.45:
            break
        amp = velocity / k ** (2.0 - velocity)
        tau = base_decay / (1.0 + 0.7 * (k - 1))
        for detune, weight, t_scale in ((1.0007, 0.55, 0.3), (0.9993, 0.45, 1.0)):
            w = cmath.exp(complex(-1.0 / (tau * t_scale * RATE), 2.0 * math.pi * f * detune / RATE))
            z = complex(0.0, amp * weight)
            for i in range(audible_samples(amp * weight, tau * t_scale, n)):
                out[i] += z.real
                z *= w
    # The dampers fall over the last second, so that no note is cut off ringing.
    attack = ms(3)
    return fade([s * min(1.0, i / attack) for i, s in enumerate(out)], 0, ms(1000))


# One chord of the progression per 2 s: C major 7, A minor 7, F major 7, G with
# a suspended fourth resolving. Each bar is a bass note and a rising and falling
# arpeggio in eighths, quiet enough to sit under the voices and the fight.
PROGRESSION = (
    (36, (48, 55, 59, 64, 67, 64, 59, 55)),
    (33, (45, 52, 55, 60, 64, 60, 55, 52)),
    (29, (41, 48, 52, 57, 60, 57, 52, 48)),
    (31, (43, 50, 55, 60, 62, 59, 55, 50)),
)


def music_piano_loop():
    """One period of the loop, rendered circularly: the tails of the last notes
    wrap round onto the start, so that the loop's end runs straight into its
    beginning. The reverb is added by sox afterwards over several periods."""
    n = ms(LOOP_SECONDS * 1000.0)
    out = [0.0] * n
    cache = {}
    bar = 4 * BEAT
    for b, (bass, arpeggio) in enumerate(PROGRESSION):
        events = [(b * bar, bass, 0.75)]
        for e, note in enumerate(arpeggio):
            accent = 0.55 if e % 4 == 0 else 0.42
            events.append((b * bar + e * BEAT / 2.0, note, accent))
        for start, note, velocity in events:
            key = (note, velocity)
            if key not in cache:
                cache[key] = piano_note(note, velocity, 4.0)
            offset = ms(start * 1000.0)
            for i, s in enumerate(cache[key]):
                out[(offset + i) % n] += s
    return level_peak(out, -6.0)


MUSIC = {"piano_loop": music_piano_loop}


def cut_period(x, period, start, search):
    """One period out of a steady periodic signal, starting at an upward zero
    crossing at or after start, so that the first and last samples are near
    zero and the step from last to first is an ordinary sample-to-sample step."""
    best = None
    for o in range(start, start + search):
        if x[o - 1] <= 0.0 < x[o]:
            cost = abs(x[o]) + abs(x[o - 1]) + abs(x[o + period - 1] - x[o - 1])
            if best is None or cost < best[0]:
                best = (cost, o)
    if best is None:
        raise ValueError("no zero crossing to cut the loop at")
    o = best[1]
    return x[o:o + period]
