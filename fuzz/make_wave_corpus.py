#!/usr/bin/env python3
"""Writes the wave fuzzer's seed corpus: tiny wave files, valid and broken.

Usage: make_wave_corpus.py [OUTPUT_DIR]   (default: corpus/wave beside this script)
Every file is made here from scratch; the output is the same on every run.
"""
import os
import struct
import sys

PCM_GUID_TAIL = bytes([0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                       0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71])


def chunk(cid, body, declared=None, pad=True):
    size = len(body) if declared is None else declared
    out = cid + struct.pack('<I', size) + body
    if pad and len(body) % 2:
        out += b'\0'
    return out


def fmt(tag=1, channels=1, rate=22050, bits=16, align=None):
    align = channels * bits // 8 if align is None else align
    return struct.pack('<HHIIHH', tag, channels, rate, rate * align, align, bits)


def extensible(channels, rate, bits, valid, sub=1):
    return (fmt(0xFFFE, channels, rate, bits) + struct.pack('<HHI', 22, valid, 4 if channels == 1 else 3)
            + struct.pack('<H', sub) + PCM_GUID_TAIL)


def riff(chunks, declared=None):
    body = b'WAVE' + b''.join(chunks)
    return b'RIFF' + struct.pack('<I', len(body) if declared is None else declared) + body


def samples16(values):
    return b''.join(struct.pack('<h', v) for v in values)


SEEDS = {
    'game_format.wav': riff([chunk(b'fmt ', fmt()), chunk(b'data', samples16([0, 1000, -1000, 32767, -32768]))]),
    'eight_bit.wav': riff([chunk(b'fmt ', fmt(bits=8, rate=11025)), chunk(b'data', bytes([0, 128, 255]))]),
    'stereo_44100.wav': riff([chunk(b'fmt ', fmt(channels=2, rate=44100)), chunk(b'data', samples16([1, -1, 2, -2]))]),
    'extensible_pcm.wav': riff([chunk(b'fmt ', extensible(2, 48000, 16, 16)), chunk(b'data', samples16([5, -5]))]),
    'extensible_float.wav': riff([chunk(b'fmt ', extensible(1, 48000, 32, 32, sub=3)), chunk(b'data', bytes(4))]),
    'list_and_pad.wav': riff([chunk(b'LIST', b'INFOx'), chunk(b'fmt ', fmt()), chunk(b'data', samples16([9]) + b'\x01')]),
    'data_first.wav': riff([chunk(b'data', samples16([3, 4])), chunk(b'fmt ', fmt())]),
    'data_cut_short.wav': riff([chunk(b'fmt ', fmt()), chunk(b'data', samples16([7, 8]), declared=0xFFFFFFFF)]),
    'empty_data.wav': riff([chunk(b'fmt ', fmt()), chunk(b'data', b'')]),
    'compressed.wav': riff([chunk(b'fmt ', fmt(tag=2, bits=4, align=256)), chunk(b'data', bytes(8))]),
    'three_channels.wav': riff([chunk(b'fmt ', fmt(channels=3)), chunk(b'data', bytes(6))]),
    'bad_block_align.wav': riff([chunk(b'fmt ', fmt(channels=2, align=2)), chunk(b'data', bytes(4))]),
    'fmt_past_end.wav': riff([chunk(b'fmt ', fmt()[:10], declared=16)]),
    'two_data.wav': riff([chunk(b'fmt ', fmt()), chunk(b'data', bytes(2)), chunk(b'data', bytes(2))]),
    'no_riff.wav': b'RIFX' + struct.pack('>I', 4) + b'WAVE',
}


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                                  'corpus', 'wave')
    os.makedirs(out_dir, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(out_dir, name), 'wb') as f:
            f.write(data)
    print(f'{len(SEEDS)} seeds written to {out_dir}')


if __name__ == '__main__':
    main()
