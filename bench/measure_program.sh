#!/usr/bin/env bash
# Measures the real program in Xvfb with SDL's disk audio driver: the time from exec to the
# splash and to the first frame (five runs); then, in one run, the CPU it uses over 10 s of
# idling, how often its threads wake meanwhile (voluntary context switches), its peak memory,
# and the time from a pluck (the press taken from SDL) to the note's first sample reaching the
# driver, over 30 plucks. Run it on an otherwise idle machine.
# usage: bench/measure_program.sh [BUILD_DIR]   (default build; needs xvfb and xdotool)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
cmake --build "$build" --target fretstrummer program_probe >/dev/null
probe=$build/bench/libprogram_probe.so
log=$(mktemp)

display=:$((300 + RANDOM % 500))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$log"' EXIT
export DISPLAY=$display SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

scale=1
at() { echo $(($1 * scale + scale / 2)) $(($2 * scale + scale / 2)); }
find_window() {
  local window
  window=$(xdotool search --sync --onlyvisible --name '^Fretstrummer$' | head -n 1)
  scale=$(($(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p') / 240))
}
quit() { xdotool mousemove $(at 1 1) click 1; }

for run in 1 2 3 4 5; do
  FRETSTRUMMER_T0=$(date +%s%3N) LD_PRELOAD=$probe "$build/fretstrummer" 2>&1 |
    grep -E '^(splash|first frame)' | paste -sd ' ' &
  sleep 1.5
  find_window
  quit
  wait $!
done

LD_PRELOAD=$probe "$build/fretstrummer" 2>"$log" &
program=$!
sleep 2
find_window
# Over all threads: nanoseconds on a CPU, and voluntary context switches.
cpu() { cat /proc/$program/task/*/schedstat | awk '{n += $1} END {printf "%d", n}'; }
wakeups() { cat /proc/$program/task/*/status | awk '/^voluntary_ctxt_switches/ {n += $2} END {print n}'; }
ran=$(cpu) woken=$(wakeups)
sleep 10
awk -v ns="$(($(cpu) - ran))" 'BEGIN {printf "idle CPU: %.2f%% of one core over 10 s\n", ns / 1e9 / 10 * 100}'
echo "idle wakeups: $((($(wakeups) - woken) / 10)) per second (voluntary context switches of all threads)"
grep VmHWM "/proc/$program/status" | awk '{printf "peak memory: %.1f MB (VmHWM)\n", $2 / 1024}'

# String 5 (the leftmost) fades out within 1.2 s, so every pluck starts from silence.
for _ in $(seq 30); do
  xdotool mousemove $(at 20 160) click 1
  sleep 1.25
done
quit
wait "$program"
grep '^pluck to sound' "$log" | awk '{print $4}' | sort -n | awk '{t[NR] = $1; s += $1} END {
  printf "pluck to sound: mean %.1f ms, median %.1f ms, min %.1f, max %.1f over %d plucks\n",
    s / NR, t[int((NR + 1) / 2)], t[1], t[NR], NR }'
