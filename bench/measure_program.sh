#!/usr/bin/env bash
# Measures the real program in Xvfb with SDL's disk audio driver: the time from exec to the
# splash and to the first frame (five runs), then, in one run, the CPU it uses over 10 s of
# idling and its peak memory. Run it on an otherwise idle machine.
# usage: bench/measure_program.sh [BUILD_DIR]   (default build; needs xvfb and xdotool)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
cmake --build "$build" --target fretstrummer first_frame_probe >/dev/null

display=:$((300 + RANDOM % 500))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

quit() { # the exit square, at the window's scale
  local window scale
  window=$(xdotool search --onlyvisible --name '^Fretstrummer$' | head -n 1)
  scale=$(($(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p') / 240))
  xdotool mousemove "$scale" "$scale" click 1
}

for run in 1 2 3 4 5; do
  FRETSTRUMMER_T0=$(date +%s%3N) LD_PRELOAD="$build/bench/libfirst_frame_probe.so" \
    "$build/fretstrummer" 2>&1 | grep -E '^(splash|first frame)' | paste -sd ' ' &
  sleep 1.5
  quit
  wait $!
done

"$build/fretstrummer" 2>/dev/null &
program=$!
sleep 2
ticks=$(getconf CLK_TCK)
before=$(awk '{print $14 + $15}' "/proc/$program/stat")
sleep 10
after=$(awk '{print $14 + $15}' "/proc/$program/stat")
awk -v t="$((after - before))" -v hz="$ticks" 'BEGIN {printf "idle CPU: %.2f%% of one core over 10 s\n", 100 * t / hz / 10}'
grep VmHWM "/proc/$program/status" | awk '{printf "peak memory: %.1f MB (VmHWM)\n", $2 / 1024}'
quit
wait "$program"
