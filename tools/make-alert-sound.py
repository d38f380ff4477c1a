#!/usr/bin/env python3
"""Writes sounds/alert.wav, Torvel's alert sound: two short falling chimes.

Our own sound, made from sine partials with a soft attack and an exponential
decay, 22050 Hz mono 16-bit. Run again only to change it; the file is kept
in the repository so the build needs no Python.
"""
import math
import struct
import sys
import wave

RATE = 22050


def chime(freq, seconds):
    out = []
    n = int(RATE * seconds)
    for i in range(n):
        t = i / RATE
        attack = min(1.0, t / 0.008)
        decay = math.exp(-t * 7.0)
        s = (math.sin(2 * math.pi * freq * t)
             + 0.35 * math.sin(2 * math.pi * freq * 2.01 * t)
             + 0.12 * math.sin(2 * math.pi * freq * 3.02 * t))
        out.append(0.42 * attack * decay * s)
    return out


def main(path):
    samples = chime(880.0, 0.22) + chime(659.25, 0.45)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(max(-1.0, min(1.0, s)) * 32767)) for s in samples))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "sounds/alert.wav")
