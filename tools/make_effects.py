#!/usr/bin/env python3
"""Synthesises the sound effects the program ships (resources/effects/).

The default settings give the six effect keys these files: a hand clap, a
thunder clap, a gong, a phrase on the bamboo flute, the incoming tide and a
bell. Each is made here from oscillators, filtered noise and envelopes, with
a fixed random seed so the files come out the same every time.
Format: 22050 Hz, mono, 16-bit PCM, normalised below full scale.

Run:  python3 tools/make_effects.py
"""
import math
import os
import random
import struct
import wave

RATE = 22050
PEAK = 0.85  # normalised peak, about -1.4 dBFS


# ---------------------------------------------------------------- building blocks

def zeros(seconds):
    return [0.0] * int(seconds * RATE)


def mix_into(dest, src, start=0.0, gain=1.0):
    offset = int(start * RATE)
    for i, v in enumerate(src):
        j = offset + i
        if j >= len(dest):
            break
        dest[j] += gain * v


def noise(rng, seconds):
    return [rng.uniform(-1.0, 1.0) for _ in range(int(seconds * RATE))]


def brown_noise(rng, seconds):
    out, v = [], 0.0
    for _ in range(int(seconds * RATE)):
        v = 0.995 * v + rng.uniform(-1.0, 1.0) * 0.1
        out.append(v)
    return out


class Biquad:
    """Second-order filter after the audio EQ cookbook formulas."""

    def __init__(self, kind, freq, q=0.707):
        w = 2 * math.pi * freq / RATE
        alpha = math.sin(w) / (2 * q)
        c = math.cos(w)
        if kind == "low":
            b = [(1 - c) / 2, 1 - c, (1 - c) / 2]
        elif kind == "high":
            b = [(1 + c) / 2, -(1 + c), (1 + c) / 2]
        elif kind == "band":
            b = [alpha, 0.0, -alpha]
        else:
            raise ValueError(kind)
        a0 = 1 + alpha
        self.b = [x / a0 for x in b]
        self.a = [-2 * c / a0, (1 - alpha) / a0]
        self.x1 = self.x2 = self.y1 = self.y2 = 0.0

    def step(self, x):
        y = (self.b[0] * x + self.b[1] * self.x1 + self.b[2] * self.x2
             - self.a[0] * self.y1 - self.a[1] * self.y2)
        self.x2, self.x1 = self.x1, x
        self.y2, self.y1 = self.y1, y
        return y

    def run(self, samples):
        return [self.step(x) for x in samples]


def envelope(n, attack, decay_tau, hold=0.0):
    """Linear attack, optional hold, then exponential decay (seconds)."""
    out = []
    a = max(1, int(attack * RATE))
    h = int(hold * RATE)
    for i in range(n):
        if i < a:
            out.append(i / a)
        elif i < a + h:
            out.append(1.0)
        else:
            out.append(math.exp(-(i - a - h) / (decay_tau * RATE)))
    return out


def apply(samples, env):
    return [s * e for s, e in zip(samples, env)]


def finish(samples, fade_in=0.002, fade_out=0.05):
    """Fades the ends, removes any offset and normalises to PEAK."""
    mean = sum(samples) / len(samples)
    samples = [s - mean for s in samples]
    fi, fo = int(fade_in * RATE), int(fade_out * RATE)
    n = len(samples)
    for i in range(fi):
        samples[i] *= i / fi
    for i in range(fo):
        samples[n - 1 - i] *= i / fo
    peak = max(abs(s) for s in samples) or 1.0
    return [s * PEAK / peak for s in samples]


def write_wav(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(round(max(-1.0, min(1.0, s)) * 32767)))
                               for s in samples))


# ---------------------------------------------------------------- the sounds

def clap(rng):
    """One hand clap: a few fast bursts of band-limited noise and a short room tail."""
    out = zeros(0.6)
    for k, (at, gain) in enumerate([(0.0, 0.8), (0.011, 1.0), (0.021, 0.7), (0.034, 0.9)]):
        burst = Biquad("band", 1250 + 180 * k, 1.3).run(noise(rng, 0.03))
        mix_into(out, apply(burst, envelope(len(burst), 0.0008, 0.006)), at, gain)
    tail = Biquad("band", 1100, 0.9).run(noise(rng, 0.55))
    mix_into(out, apply(tail, envelope(len(tail), 0.004, 0.075)), 0.034, 0.55)
    crack = Biquad("high", 3500).run(noise(rng, 0.02))
    mix_into(out, apply(crack, envelope(len(crack), 0.0005, 0.004)), 0.011, 0.4)
    return finish(out, fade_out=0.08)


def thunder(rng):
    """A near thunder clap: a sharp crack, then a rolling rumble that dies away."""
    seconds = 3.0
    n = int(seconds * RATE)
    out = zeros(seconds)
    crack = Biquad("high", 700).run(noise(rng, 0.5))
    mix_into(out, apply(crack, envelope(len(crack), 0.004, 0.07)), 0.0, 0.7)
    # Rumble: low-passed brown noise, swelling in irregular rolls.
    rumble = Biquad("low", 240).run(Biquad("low", 480).run(brown_noise(rng, seconds)))
    rolls = [(0.05, 0.9), (0.45, 1.0), (0.9, 0.7), (1.35, 0.8), (1.9, 0.5)]
    env = []
    for i in range(n):
        t = i / RATE
        v = 0.0
        for at, gain in rolls:
            if t >= at:
                d = t - at
                v += gain * (1 - math.exp(-d / 0.06)) * math.exp(-d / 0.55)
        env.append(v * (1.0 - 0.3 * t / seconds))
    mix_into(out, apply(rumble, env), 0.0, 6.0)
    mid = Biquad("band", 450, 0.8).run(noise(rng, seconds))
    mix_into(out, apply(mid, [e * 0.3 for e in env]), 0.0, 1.0)
    return finish(out, fade_in=0.001, fade_out=0.4)


def gong(rng):
    """A Chinese gong: inharmonic partials blooming after the strike, the pitch sliding down."""
    seconds = 3.0
    n = int(seconds * RATE)
    out = zeros(seconds)
    base = 196.0
    partials = [  # ratio, gain, decay (s), bloom (s)
        (1.00, 1.00, 1.6, 0.00), (1.52, 0.55, 1.2, 0.05), (2.03, 0.50, 1.0, 0.10),
        (2.46, 0.40, 0.9, 0.15), (2.98, 0.35, 0.8, 0.20), (3.61, 0.25, 0.6, 0.25),
        (4.27, 0.22, 0.5, 0.25), (5.13, 0.15, 0.4, 0.30), (6.07, 0.10, 0.3, 0.30),
    ]
    for ratio, gain, decay, bloom in partials:
        phase = rng.uniform(0, 2 * math.pi)
        freq0 = base * ratio
        for i in range(n):
            t = i / RATE
            glide = 1.0 - 0.035 * (1 - math.exp(-t / 0.5))
            phase += 2 * math.pi * freq0 * glide / RATE
            rise = 1.0 if bloom == 0 else 1 - math.exp(-t / bloom)
            beat = 1.0 + 0.15 * math.sin(2 * math.pi * (1.3 + ratio * 0.4) * t)
            out[i] += gain * rise * beat * math.exp(-t / decay) * math.sin(phase)
    strike = Biquad("band", 900, 0.7).run(noise(rng, 0.15))
    mix_into(out, apply(strike, envelope(len(strike), 0.001, 0.02)), 0.0, 1.2)
    return finish(out, fade_in=0.001, fade_out=0.3)


def flute(rng):
    """A short phrase on the bamboo flute: breathy tone, vibrato, grace notes, slurs."""
    # (MIDI note, seconds); the phrase sol la do re do la sol with a grace note.
    g5 = 79
    phrase = [(g5, 0.28), (g5 + 2, 0.22), (g5 + 5, 0.08), (g5 + 7, 0.45),
              (g5 + 5, 0.25), (g5 + 2, 0.25), (g5, 0.75)]
    total = sum(d for _, d in phrase) + 0.15
    n = int(total * RATE)
    # Per-sample pitch with short slurs between notes.
    freq = []
    starts = []
    t0 = 0.0
    for note, dur in phrase:
        starts.append(t0)
        t0 += dur
    for i in range(n):
        t = i / RATE
        k = max(j for j, s in enumerate(starts) if s <= t) if t >= starts[0] else 0
        note = phrase[k][0]
        f = 440.0 * 2 ** ((note - 69) / 12)
        if k > 0:
            prev = 440.0 * 2 ** ((phrase[k - 1][0] - 69) / 12)
            d = t - starts[k]
            if d < 0.025:
                f = prev + (f - prev) * (d / 0.025)
        freq.append(f)
    # Amplitude: breath swells per note, vibrato growing on the held notes.
    out = []
    phase = 0.0
    end = total - 0.15
    breath = Biquad("band", 2200, 0.6).run(noise(rng, total))
    buzz = Biquad("band", 3300, 2.0).run(noise(rng, total))
    for i in range(n):
        t = i / RATE
        k = max(j for j, s in enumerate(starts) if s <= t) if t >= starts[0] else 0
        d = t - starts[k]
        dur = phrase[k][1]
        vib_depth = 0.006 * min(1.0, max(0.0, (d - 0.12) / 0.2))
        f = freq[i] * (1 + vib_depth * math.sin(2 * math.pi * 5.6 * t))
        phase += 2 * math.pi * f / RATE
        tone = (math.sin(phase) + 0.32 * math.sin(2 * phase + 0.3) + 0.16 * math.sin(3 * phase + 0.7)
                + 0.07 * math.sin(4 * phase + 1.1) + 0.04 * math.sin(5 * phase))
        attack = min(1.0, d / 0.03) if k == 0 else 1.0
        # Each note is tongued: a short smooth dip around its start.
        tongue = 1.0
        for s0 in starts[1:]:
            tongue *= 1.0 - 0.45 * math.exp(-((t - s0) / 0.012) ** 2)
        swell = 0.85 + 0.15 * math.sin(math.pi * min(1.0, d / dur))
        release = min(1.0, max(0.0, (end - t) / 0.3))
        amp = attack * tongue * swell * release
        membrane = 0.10 * abs(math.sin(phase)) * buzz[i]
        out.append(amp * (tone + membrane) + (0.05 + 0.1 * (1 - attack * tongue)) * release * breath[i])
    return finish(out, fade_in=0.01, fade_out=0.1)


def tide(rng):
    """Waves of the incoming tide: two swells that break and hiss back down the sand."""
    seconds = 3.0
    n = int(seconds * RATE)
    src = noise(rng, seconds)
    pink_state = [0.0, 0.0, 0.0]
    pink = []
    for x in src:  # a rough pink noise from three leaky integrators
        pink_state[0] = 0.997 * pink_state[0] + 0.029591 * x
        pink_state[1] = 0.985 * pink_state[1] + 0.032534 * x
        pink_state[2] = 0.950 * pink_state[2] + 0.048056 * x
        pink.append(sum(pink_state) + 0.05 * x)
    waves = [(0.0, 1.1, 0.75), (1.35, 1.0, 1.0)]  # start, rise, gain

    def swell(t):
        v = 0.12
        for at, rise, gain in waves:
            d = t - at
            if d < 0:
                continue
            if d < rise:
                v += gain * (d / rise) ** 2
            else:
                v += gain * math.exp(-(d - rise) / 0.55)
        return v

    out = []
    low = Biquad("low", 600)
    for i in range(n):
        t = i / RATE
        s = swell(t)
        # The filter opens as the wave breaks: retune it every 64 samples.
        if i % 64 == 0:
            cutoff = 300 + 2600 * min(1.0, s)
            state = (low.x1, low.x2, low.y1, low.y2)
            low = Biquad("low", cutoff, 0.6)
            low.x1, low.x2, low.y1, low.y2 = state
        out.append(s * low.step(pink[i]))
    fizz = Biquad("high", 4000).run(noise(rng, seconds))
    for i in range(n):
        t = i / RATE
        out[i] += 0.05 * max(0.0, swell(t) - 0.5) * fizz[i]
    return finish(out, fade_in=0.15, fade_out=0.5)


def bell(rng):
    """A struck bell: hum, prime, minor third, fifth and nominal with a metallic strike."""
    seconds = 2.5
    n = int(seconds * RATE)
    out = zeros(seconds)
    nominal = 784.0
    partials = [  # ratio to the nominal, gain, decay (s)
        (0.25, 0.45, 2.2), (0.50, 0.70, 1.6), (0.60, 0.45, 1.2), (0.75, 0.30, 1.0),
        (1.00, 1.00, 0.9), (1.25, 0.35, 0.6), (1.50, 0.30, 0.5), (2.00, 0.20, 0.35),
        (2.52, 0.15, 0.25), (3.10, 0.10, 0.18),
    ]
    for ratio, gain, decay in partials:
        f = nominal * ratio
        detune = 1.0 + rng.uniform(-0.002, 0.002)
        phase = rng.uniform(0, 2 * math.pi)
        for i in range(n):
            t = i / RATE
            beat = 1.0 + 0.08 * math.sin(2 * math.pi * 0.9 * t * ratio)
            out[i] += gain * beat * math.exp(-t / decay) * math.sin(phase + 2 * math.pi * f * detune * t)
    strike = Biquad("high", 2500).run(noise(rng, 0.03))
    mix_into(out, apply(strike, envelope(len(strike), 0.0005, 0.004)), 0.0, 0.6)
    return finish(out, fade_in=0.001, fade_out=0.3)


# The file names the default settings give the six effect keys (without the
# trailing blank the settings file carries after the bell's name).
EFFECTS = [
    ("拍手1.wav", clap),
    ("雷声3.WAV", thunder),
    ("锣2.wav", gong),
    ("民族笛子3.wav", flute),
    ("涨潮.wav", tide),
    ("钟声.wav", bell),
]


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = os.path.join(root, "resources", "effects")
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(20170501)
    for name, make in EFFECTS:
        samples = make(rng)
        path = os.path.join(folder, name)
        write_wav(path, samples)
        print("%s: %.2f s" % (path, len(samples) / RATE))


if __name__ == "__main__":
    main()
