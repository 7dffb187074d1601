#!/usr/bin/env python3
# Reads raw 16-bit mono 22050 Hz sound from stdin (parec of a sink's monitor) and prints, for
# every start of sound after silence, the wall-clock time its first sample arrived, in ms since
# the epoch: "onset T".
import sys
import time

RATE = 22050
CHUNK = 128  # samples, about 5.8 ms
silent = True
stream = sys.stdin.buffer
while True:
    data = stream.read(2 * CHUNK)
    if not data:
        break
    now = time.time() * 1000
    samples = memoryview(data).cast("h") if len(data) % 2 == 0 else memoryview(data[:-1]).cast("h")
    first = next((i for i, v in enumerate(samples) if v != 0), None)
    if first is not None and silent:
        print(f"onset {now - 1000 * (len(samples) - first) / RATE:.1f}", flush=True)
    silent = first is None
