#!/usr/bin/env python3
"""Writes the alarm sound: a soft three-note chime, rung twice, as a 16-bit mono WAVE file.

Usage: make-alarm-sound.py OUTPUT.wav

The build runs this and compiles the result into Uptrail.exe, so the program carries no
recorded sound. The same bytes come out on every run.
"""
import math
import struct
import sys

RATE = 11025
SAMPLE_COUNT = 44160  # about four seconds: two rings of the chime
BITS = 16
# The loudest sample, as a share of full scale: loud enough to notice, far from clipping.
PEAK = 0.55

# One ring of the chime: (start in seconds, frequency in Hz, loudness). A falling major
# triad (E5, C5, G4) reads as a gentle "time's up" rather than a warning.
RING = ((0.00, 659.26, 1.00), (0.32, 523.25, 0.90), (0.64, 392.00, 0.85))
RING_STARTS = (0.00, 2.00)
# Partials of a bell-like tone: (multiple of the fundamental, loudness, how much faster it
# fades than the fundamental). Higher partials die first, which keeps the tail round.
PARTIALS = ((1.0, 1.00, 1.0), (2.0, 0.35, 1.8), (3.0, 0.12, 2.6), (4.2, 0.05, 3.5))
ATTACK = 0.012  # seconds; a struck note without a click
DECAY = 0.42  # seconds for the fundamental to fall to 1/e
# The last stretch fades to nothing and the final samples are exact silence, so the
# sound stops without a click however the player ends it.
FADE_OUT = 0.30
SILENT_TAIL = 0.05


def note_value(age, frequency):
    if age < 0:
        return 0.0
    attack = 0.5 - 0.5 * math.cos(math.pi * age / ATTACK) if age < ATTACK else 1.0
    value = 0.0
    for multiple, loudness, fade in PARTIALS:
        value += (loudness * math.exp(-age * fade / DECAY)
                  * math.sin(2 * math.pi * frequency * multiple * age))
    return attack * value


def ending(time):
    """The closing envelope: 1 until the fade-out, then a half cosine down to 0."""
    end = SAMPLE_COUNT / RATE - SILENT_TAIL
    start = end - FADE_OUT
    if time <= start:
        return 1.0
    if time >= end:
        return 0.0
    return 0.5 + 0.5 * math.cos(math.pi * (time - start) / FADE_OUT)


def signal():
    notes = [(ring + offset, frequency, loudness)
             for ring in RING_STARTS for offset, frequency, loudness in RING]
    values = []
    for index in range(SAMPLE_COUNT):
        time = index / RATE
        value = sum(loudness * note_value(time - start, frequency)
                    for start, frequency, loudness in notes)
        values.append(value * ending(time))
    return values


def samples():
    values = signal()
    scale = PEAK * 32767 / max(abs(v) for v in values)
    return [round(v * scale) for v in values]


def wave_bytes(pcm):
    data = struct.pack("<%dh" % len(pcm), *pcm)
    block_align = BITS // 8
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * block_align, block_align, BITS)
    body = (b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt
            + b"data" + struct.pack("<I", len(data)) + data)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def main(arguments):
    if len(arguments) != 2:
        sys.stderr.write("usage: make-alarm-sound.py OUTPUT.wav\n")
        return 1
    with open(arguments[1], "wb") as output:
        output.write(wave_bytes(samples()))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
