#!/usr/bin/env python3
# Counts the gaps in a recording of raw 16-bit mono sound (files named on the command line): a
# run of at least 64 samples of exact silence that starts straight after a sample louder than
# 64, where no note ends. A note fades to nothing before it stops; silence after a loud sample
# is a device or a server that ran out of sound. Prints "FILE: N gaps in S s of sound (at ...)".
import sys
from array import array

RATE = 22050  # the program's samples a second

for path in sys.argv[1:]:
    samples = array("h")
    with open(path, "rb") as f:
        data = f.read()
    samples.frombytes(data[: len(data) // 2 * 2])
    gaps, zeros, loud_before = [], 0, False
    for at, value in enumerate(samples):
        if value == 0:
            zeros += 1
            if zeros == 64 and loud_before:
                gaps.append(f"{(at - 63) / RATE:.3f}")
            continue
        loud_before = abs(value) > 64
        zeros = 0
    where = f" (at {', '.join(gaps[:10])} s)" if gaps else ""
    print(f"{path}: {len(gaps)} gaps in {len(samples) / RATE:.0f} s of sound{where}")
