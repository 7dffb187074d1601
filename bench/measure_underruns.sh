#!/usr/bin/env bash
# A minute of strumming, recorded twice: through SDL's disk driver (what the program handed
# the device) and through a private PulseAudio server (what reached its null sink, from the
# sink's monitor). Counts the gaps in each (bench/sound_gaps.py): the times the device or the
# server ran out of sound; and the times the program itself had no block ready when the device
# asked (seen by bench/program_probe.cpp). FRETSTRUMMER_RECORDINGS names a folder to keep the
# two recordings in. FRETSTRUMMER_PROBE_SAMPLES tries another device buffer size.
# usage: bench/measure_underruns.sh [BUILD_DIR]   (needs xvfb, xdotool, pulseaudio)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
cmake --build "$build" --target fretstrummer program_probe >/dev/null
work=$(mktemp -d)
source "$here/../tools/servers.sh"
start_xvfb
trap 'kill $xvfb ${pulse_server:-} 2>/dev/null || true; rm -rf "$work"' EXIT
start_pulse "$work"

# Strokes across the six strings, down and up, two a second for a minute: the strings never
# fall silent, so any silence is a gap.
strum_a_minute() {
  local window scale
  window=$(xdotool search --sync --onlyvisible --name '^Fretstrummer$' | head -n 1)
  scale=$(($(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p') / 240))
  sleep 2.5 # an idle null sink takes its first sound only after its two-second block
  local down="" up="" x
  for x in 5 45 85 125 165 205 235; do down+=" mousemove $((x * scale)) $((160 * scale)) sleep 0.03"; done
  for x in 235 205 165 125 85 45 5; do up+=" mousemove $((x * scale)) $((160 * scale)) sleep 0.03"; done
  for _ in $(seq 80); do
    xdotool mousemove $((5 * scale)) $((160 * scale)) mousedown 1 $down mouseup 1 sleep 0.2 \
      mousedown 1 $up mouseup 1 sleep 0.1
  done
  sleep 3 # the last notes die away before the exit square ends the program
  xdotool mousemove $scale $scale click 1
}

for driver in disk pulseaudio; do
  [ $driver = pulseaudio ] && { parec -d out.monitor --raw --format=s16le --rate=$program_rate --channels=1 >"$work/pulseaudio.raw" & recorder=$!; }
  SDL_AUDIODRIVER=$driver SDL_DISKAUDIOFILE=$work/disk.raw LD_PRELOAD=$build/bench/libprogram_probe.so \
    "$build/fretstrummer" 2>"$work/$driver.log" &
  program=$!
  strum_a_minute
  wait $program
  [ $driver = pulseaudio ] && { sleep 0.3; kill $recorder; wait $recorder || true; }
  python3 "$here/sound_gaps.py" "$work/$driver.raw" | sed "s|$work/||"
  echo "$driver: the program had no block ready $(grep -c '^underrun' "$work/$driver.log") times"
  [ -z "${FRETSTRUMMER_RECORDINGS:-}" ] || cp "$work/$driver.raw" "$FRETSTRUMMER_RECORDINGS/"
done
