#!/usr/bin/env python3
"""Synthesizes the game's sound effects into sounds/ (16-bit mono WAV).

Run from anywhere: python3 scripts/make_sounds.py
The output is deterministic, so regenerating gives byte-identical files.
"""
import math
import os
import random
import struct
import wave

RATE = 22050
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "sounds")


def write_wav(name, samples):
    peak = max(1e-9, max(abs(s) for s in samples))
    scale = 0.9 * 32767 / peak
    frames = b"".join(struct.pack("<h", int(round(s * scale))) for s in samples)
    with wave.open(os.path.join(OUT, name), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


def envelope(t, attack, length):
    """Quick rise, then an exponential fall that reaches silence at `length`."""
    if t < attack:
        return t / attack
    return math.exp(-4.0 * (t - attack) / (length - attack)) * max(0.0, 1.0 - (t - attack) / (length - attack))


def shark():
    """Two low, menacing pulses with a growling overtone, the second one longer."""
    out = []
    pulses = [(0.0, 0.28, 82.4), (0.34, 0.62, 77.8)]
    total = 1.0
    for i in range(int(total * RATE)):
        t = i / RATE
        s = 0.0
        for start, length, freq in pulses:
            u = t - start
            if 0.0 <= u < length:
                e = envelope(u, 0.015, length)
                s += e * (math.sin(2 * math.pi * freq * u) + 0.5 * math.sin(2 * math.pi * 2 * freq * u)
                          + 0.3 * math.sin(2 * math.pi * 3.01 * freq * u))
        out.append(s)
    return out


def lightning():
    """A sharp crack of noise followed by a low, rolling rumble."""
    rng = random.Random(1234)
    out = []
    low = 0.0
    lower = 0.0
    total = 1.6
    for i in range(int(total * RATE)):
        t = i / RATE
        n = rng.uniform(-1.0, 1.0)
        crack = n * math.exp(-t / 0.045)
        low += 0.06 * (n - low)
        lower += 0.02 * (low - lower)
        roll = 1.0 + 0.5 * math.sin(2 * math.pi * 3.0 * t) * math.sin(2 * math.pi * 0.7 * t)
        rumble = 6.0 * lower * roll * min(1.0, t / 0.05) * math.exp(-t / 0.55)
        out.append(crack + rumble)
    return out


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    write_wav("shark.wav", shark())
    write_wav("lightning.wav", lightning())
