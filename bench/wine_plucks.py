#!/usr/bin/env python3
# Run by measure_wine.sh: the Windows program under Wine, its sound through ALSA's file plugin
# into a file, plucked 20 times; for each, the time from just before xdotool clicks to the
# note's first sample reaching the file (where Wine's ALSA driver hands it on).
# usage: wine_plucks.py FRETSTRUMMER_EXE default|low-latency WORK_FOLDER
import os, subprocess, sys, time, struct, statistics
exe, mode, work = sys.argv[1], sys.argv[2], sys.argv[3]
raw = os.path.join(work, "sound.raw")
open(os.path.join(work, ".asoundrc"), "w").write(
    'pcm.!default { type file slave.pcm "null" format "raw" file "%s" }\n' % raw)
env = dict(os.environ, HOME=work, WINEDEBUG="-all", WINEDLLOVERRIDES="winepulse.drv=d",
           XDG_CONFIG_HOME=os.path.join(work, "config"))
args = ["wine", exe] + (["--low-latency"] if mode == "low-latency" else [])
prog = subprocess.Popen(args, env=env, cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
win = ""
for _ in range(200):
    win = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Fretstrummer$"],
                         capture_output=True, text=True).stdout.split()
    if win: break
    time.sleep(0.1)
geo = subprocess.run(["xdotool", "getwindowgeometry", win[0]], capture_output=True, text=True).stdout
scale = int(geo.split("Geometry: ")[1].split("x")[1]) // 320
time.sleep(3)
def at(x, y): return [str(x * scale + scale // 2), str(y * scale + scale // 2)]
results = []
for _ in range(20):
    subprocess.run(["xdotool", "mousemove"] + at(20, 160))
    size0 = os.path.getsize(raw)
    t0 = time.monotonic()
    subprocess.Popen(["xdotool", "click", "1"])
    seen = None
    while time.monotonic() - t0 < 1.0:
        size = os.path.getsize(raw)
        if size > size0:
            with open(raw, "rb") as f:
                f.seek(size0); data = f.read(size - size0)
            n = len(data) // 2
            if any(struct.unpack("<%dh" % n, data[: n * 2])):
                seen = time.monotonic(); break
            size0 = size0 + n * 2
        time.sleep(0.0005)
    if seen: results.append((seen - t0) * 1000)
    time.sleep(1.3)
subprocess.run(["xdotool", "mousemove"] + at(1, 1) + ["click", "1"])
prog.wait(timeout=10)
results.sort()
print("%s under Wine: pluck to the file plugin, median %.1f ms (min %.1f, max %.1f) over %d plucks"
      % (mode, statistics.median(results), results[0], results[-1], len(results)))
