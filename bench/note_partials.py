#!/usr/bin/python3
"""How close the notes of a Media folder are to the steel-string guitar of the FluidR3 soundfont.

For each string at frets 0, 3 and 7 (pitched as the program pitches them: linear interpolation of
the open-string file) and for the soundfont's own note at that key, prints the first 12 partials
500 ms after the onset (dB below the strongest), the inharmonicity B fitted to them, the share of
energy above 6 kHz at 300 ms, and the attack's rise (1 ms envelope, 10% to 90% of its peak). The
last column of a folder's row is the RMS distance of its partials from the soundfont's, in dB.

usage: bench/note_partials.py FOLDER [FOLDER...]   (Debian packages: python3-numpy, fluidsynth,
       fluid-soundfont-gm, sox; the soundfont's notes are rendered as tools/render_notes.sh does)
"""
import os
import struct
import subprocess
import sys
import tempfile

import numpy as np

RATE = 22050
KEYS = [40, 45, 50, 55, 59, 64]
TUNING = [82.41, 110.00, 146.83, 196.00, 246.94, 329.63]
SOUNDFONT = "/usr/share/sounds/sf2/FluidR3_GM.sf2"


def read_wav(path):
    with open(path, "rb") as f:
        data = f.read()
    at = 12
    while at + 8 <= len(data):
        chunk, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        if chunk == b"data":
            return np.frombuffer(data[at + 8:at + 8 + size], "<i2").astype(float)
        at += 8 + size + (size & 1)
    raise ValueError(path + " has no data chunk")


def soundfont_note(key, folder):
    """The soundfont's note at a key, rendered and converted as the default notes are."""
    mid, raw, wav = (os.path.join(folder, f"{key}.{e}") for e in ("mid", "raw.wav", "wav"))
    track = bytes([0, 0xC0, 25, 0, 0x90, key, 100, 0x96, 0x40, 0x80, key, 0, 0, 0xFF, 0x2F, 0])
    with open(mid, "wb") as f:
        f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 480) + b"MTrk" +
                struct.pack(">I", len(track)) + track)
    subprocess.run(["fluidsynth", "-n", "-i", "-q", "-R", "0", "-C", "0", "-g", "1", "-r",
                    "44100", "-O", "float", "-T", "wav", "-F", raw, SOUNDFONT, mid],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["sox", "-R", raw, "-b", "16", wav, "remix", "-", "silence", "1", "1s", "-70d",
                    "rate", "-v", str(RATE), "trim", "0", "2.75", "gain", "-n", "-10"],
                   check=True, stderr=subprocess.DEVNULL)
    return read_wav(wav)


def pitched(note, fret):
    """The program's fret: the open note read 2^(fret/12) times faster, linearly interpolated."""
    step = 2 ** (fret / 12)
    position = np.arange(0, len(note) - 1, step)
    whole = position.astype(int)
    return note[whole] + (position - whole) * (note[whole + 1] - note[whole])


def measure(note, f0):
    onset = int(np.argmax(np.abs(note) > 0.01 * np.max(np.abs(note))))
    n = 4096
    window = np.hanning(n)
    centre = onset + RATE // 2
    spectrum = np.abs(np.fft.rfft(note[centre - n // 2:centre + n // 2] * window, 8 * n))
    hz = np.fft.rfftfreq(8 * n, 1 / RATE)
    levels, freqs = [], []
    for k in range(1, 13):
        band = (hz > k * f0 * 0.97) & (hz < k * f0 * 1.05)
        i = np.flatnonzero(band)[np.argmax(spectrum[band])]
        levels.append(20 * np.log10(spectrum[i] + 1e-9))
        freqs.append(hz[i])
    levels = np.maximum(np.array(levels) - max(levels), -80)
    k = np.arange(1, 9)
    fk = np.array(freqs[:8])
    ok = levels[:8] > -50  # partials that stand out of the noise
    slope, intercept = np.polyfit(k[ok] ** 2, (fk[ok] / k[ok]) ** 2, 1) if ok.sum() > 2 else (0, 1)
    at = onset + int(0.3 * RATE)
    power = np.abs(np.fft.rfft(note[at:at + n] * window)) ** 2
    high = 10 * np.log10(power[np.fft.rfftfreq(n, 1 / RATE) > 6000].sum() / power.sum() + 1e-12)
    envelope = np.sqrt(np.convolve(note[onset:onset + RATE // 10] ** 2, np.ones(22) / 22, "same"))
    peak = np.argmax(envelope)
    rise = (np.argmax(envelope >= 0.9 * envelope[peak]) -
            np.argmax(envelope >= 0.1 * envelope[peak])) / RATE * 1000
    return levels, slope / intercept, high, rise


def main():
    folders = sys.argv[1:]
    if not folders:
        sys.exit(__doc__)
    with tempfile.TemporaryDirectory() as scratch:
        print("| string | fret | notes | partials 1-12 at 500 ms (dB) | B | >6 kHz (dB) | rise (ms) "
              "| off (dB) |")
        print("|---|---|---|---|---|---|---|---|")
        for s in range(6):
            notes = {folder: read_wav(os.path.join(folder, f"{s + 1}.wav")) for folder in folders}
            for fret in (0, 3, 7):
                f0 = TUNING[s] * 2 ** (fret / 12)
                ref = measure(soundfont_note(KEYS[s] + fret, scratch), f0)
                rows = [("soundfont", ref)]
                rows += [(folder, measure(pitched(note, fret), f0)) for folder, note in notes.items()]
                for name, (levels, b, high, rise) in rows:
                    off = np.sqrt(np.mean((levels - ref[0]) ** 2))
                    print(f"| {s + 1} | {fret} | {name} | {' '.join(f'{v:.0f}' for v in levels)} "
                          f"| {b:.1e} | {high:.0f} | {rise:.1f} | {off:.1f} |")


main()
