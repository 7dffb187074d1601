#!/usr/bin/env bash
# Builds Fretstrummer and starts it. Installs the Debian packages it needs first. On a machine
# without a display it plays a short demo instead: the program in a virtual X server, strummed
# across all six strings, its sound recorded into a WAV file and its screen into a PNG.
set -euo pipefail
cd "$(dirname "$0")"

headless=0
[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || headless=1

packages=(cmake ninja-build g++ pkg-config libsdl2-dev libfreetype-dev libfontconfig-dev librtmidi-dev libjack-jackd2-dev libasound2-dev fonts-dejavu-core)
((headless)) && packages+=(xvfb xdotool imagemagick sox)
source tools/ensure-packages.sh
ensure_packages "${packages[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target fretstrummer

if ((!headless)); then
  exec build/fretstrummer
fi

echo "No display here: playing a demo in a virtual X server instead."
demo=$(pwd)/demo
mkdir -p "$demo"
source tools/servers.sh
start_xvfb
trap 'kill $xvfb 2>/dev/null || true' EXIT

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$demo/strum.raw" build/fretstrummer 2>/dev/null &
program=$!
window=$(timeout 10 xdotool search --sync --onlyvisible --name '^Fretstrummer$' | head -n 1)
scale=$(( $(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p') / 240 ))
sleep 1 # the strings answer once start-up is over

# Two strums across the strings, left to right and back, then the exit square.
strum() {
  local args=(mousemove $(($1 * scale)) $((150 * scale)) mousedown 1)
  for x in $(seq "$1" "$2" "$3"); do args+=(mousemove $((x * scale)) $(((150 + x / 8) * scale)) sleep 0.004); done
  xdotool "${args[@]}" mouseup 1
}
strum 2 3 238
sleep 0.8
strum 238 -3 2
sleep 1.5
import -window root -crop "$((240 * scale))x$((320 * scale))+0+0" "$demo/screen.png"
xdotool mousemove 1 1 click 1
wait "$program"

sox -q -t raw -r $program_rate -e signed -b 16 -c 1 "$demo/strum.raw" "$demo/strum.wav"
rm -f "$demo/strum.raw"
echo "Sound:  $demo/strum.wav"
echo "Screen: $demo/screen.png"
