#!/usr/bin/env bash
# Renders the six open-string notes of the default Media folder, 1.wav (low E) to 6.wav (high E),
# from the steel-string guitar of the FluidR3 General MIDI soundfont (Debian package
# fluid-soundfont-gm, MIT licence: see media/NOTICE). Its samples at E2, A2, D3, G3, B3 and E4
# are played at their own pitch. The results are committed in media/; the build copies them, so
# this is only for changing them.
# usage: tools/render_notes.sh [OUTPUT_DIR]   (default: media/)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-media}
soundfont=/usr/share/sounds/sf2/FluidR3_GM.sf2
source tools/ensure-packages.sh
source tools/servers.sh # program_rate
ensure_packages fluidsynth fluid-soundfont-gm sox
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

keys=(40 45 50 55 59 64) # E2 A2 D3 G3 B3 E4
for string in 1 2 3 4 5 6; do
  key=$(printf '%02x' "${keys[string - 1]}")
  # A one-track MIDI file, 480 ticks a quarter at 120 a minute: program 25 (steel-string
  # guitar), the key struck at velocity 100 and released 3 s (2880 ticks) later.
  printf "MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0MTrk\x00\x00\x00\x10"'\x00\xc0\x19\x00\x90\x'"$key"'\x64\x96\x40\x80\x'"$key"'\x00\x00\xff\x2f\x00' \
    >"$work/$string.mid"
  # Dry (no reverb, no chorus), at 44.1 kHz in floating point.
  fluidsynth -n -i -q -R 0 -C 0 -g 1 -r 44100 -O float -T wav -F "$work/$string.raw.wav" \
    "$soundfont" "$work/$string.mid" >/dev/null
  # The two highest strings are pitched up to 7 frets (1.5 times) by the program's linear
  # interpolation: nothing above about 7 kHz, so nothing folds back past 11 kHz.
  filter=()
  [ "$string" -ge 5 ] && filter=(sinc -7000)
  # Mono; the silence before the pluck cut; resampled to the program's rate with SoX's best resampler;
  # 2.75 s with a 50 ms fade at the end; peaks at -10 dBFS; 16-bit with repeatable dither.
  sox -R "$work/$string.raw.wav" -b 16 "$work/$string.wav" remix - silence 1 1s -70d \
    "${filter[@]}" rate -v "$program_rate" trim 0 2.75 fade t 0 2.75 0.05 gain -n -10
  cp "$work/$string.wav" "$out/$string.wav"
done
