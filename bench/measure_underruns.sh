#!/usr/bin/env bash
# A minute of strumming, recorded three times: through SDL's disk driver (what the program
# handed the device), through a private PulseAudio server and through a private PipeWire server
# where it is installed (what reached their null sinks, from the sinks' monitors). Counts the gaps in each (bench/sound_gaps.py): the times the device or the
# server ran out of sound; and the times the program itself had no block ready when the device
# asked, and the times the device called back more than two buffers late (both seen by
# bench/program_probe.cpp; the first 0.6 s of start-up counts as one); the time the machine's
# hypervisor held its cores meanwhile (steal time); and through PipeWire, the
# server's cycles in which the program's stream ran too late (pw-profiler), which the sink plays
# without it however much the program had ready. FRETSTRUMMER_RECORDINGS names a folder to keep the
# two recordings in. FRETSTRUMMER_PROBE_SAMPLES tries another device buffer size. MODE is default,
# low-latency or both (side by side in one run); with --hog, another process keeps one core busy
# all the while, as a browser or a build beside the instrument would. FRETSTRUMMER_DRIVERS
# picks some of disk, pulseaudio and pipewire (all three by default).
# usage: bench/measure_underruns.sh [BUILD_DIR] [MODE] [--hog]   (installs what it needs)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
case ${2:-both} in
default | low-latency) modes=("$2") ;;
both) modes=(default low-latency) ;;
*) echo "usage: $0 [BUILD_DIR] [default|low-latency|both] [--hog]" >&2; exit 2 ;;
esac
here=$(cd "$(dirname "$0")" && pwd)
cmake --build "$build" --target fretstrummer program_probe >/dev/null
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config # no player's chords are read, none written
source "$here/../tools/servers.sh"
# The servers it measures through, from Debian, installed when missing.
source "$here/../tools/ensure-packages.sh"
ensure_packages xvfb xdotool pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber dbus
start_xvfb
hog=
profiler=
trap 'kill $xvfb ${pulse_server:-} ${pipewire_servers:-} $hog $profiler 2>/dev/null || true; rm -rf "$work"' EXIT
if [ "${3:-}" = --hog ]; then
  python3 -c 'while True: pass' &
  hog=$!
fi
start_pulse "$work"
servers=(pulseaudio)
pulseaudio_socket=$PULSE_SERVER
if command -v pipewire-pulse >/dev/null && command -v wireplumber >/dev/null; then
  start_pipewire "$work/pipewire"
  servers+=(pipewire)
fi

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

for mode in "${modes[@]}"; do
  option=()
  [ "$mode" = default ] || option=("--$mode")
  # The disk driver, then each server through SDL's PulseAudio driver (PipeWire speaks it too).
  for driver in ${FRETSTRUMMER_DRIVERS:-disk ${servers[*]}}; do
    export PULSE_SERVER=$pulseaudio_socket
    [ $driver = pipewire ] && export PULSE_SERVER=$pipewire_socket
    [ $driver = disk ] || { parec -d out.monitor --raw --format=s16le --rate=$program_rate --channels=1 >"$work/$driver.raw" & recorder=$!; }
    # PipeWire's profiler logs every cycle of the graph: which of its clients ran in it.
    if [ $driver = pipewire ]; then
      mkdir -p "$work/profile"
      (cd "$work/profile" && exec env PIPEWIRE_RUNTIME_DIR="$work/pipewire" pw-profiler >names 2>&1) &
      profiler=$!
    fi
    stolen=$(steal_ms)
    SDL_AUDIODRIVER=${driver/pipewire/pulseaudio} SDL_DISKAUDIOFILE=$work/disk.raw \
      LD_PRELOAD=$build/bench/libprogram_probe.so "$build/fretstrummer" "${option[@]}" 2>"$work/$driver.log" &
    program=$!
    strum_a_minute
    wait $program
    [ $driver = disk ] || { sleep 0.3; kill $recorder; wait $recorder || true; }
    python3 "$here/sound_gaps.py" "$work/$driver.raw" | sed "s|$work/|[$mode${hog:+, a core busy}] |"
    stolen=$(($(steal_ms) - stolen))
    latest=$(sed -n 's/^late callback: \([0-9.]*\) ms.*/\1/p' "$work/$driver.log" | sort -n | tail -n 1)
    echo "[$mode${hog:+, a core busy}] $driver: the program had no block ready $(grep -c '^underrun' "$work/$driver.log") times;" \
      "the device called late $(grep -c '^late callback' "$work/$driver.log") times${latest:+ (the latest $latest ms)};" \
      "the machine's hypervisor held its cores for $stolen ms in all (steal time)"
    # A cycle in which the program's stream ran too late (still waiting to be woken or to
    # finish when the next began, or not run at all: its times in the log all from before the
    # cycle) is silence from it at the sink, however much the program had ready. Fields per
    # stream: id, then its signal, wake-up and finish times from the cycle's start (µs), ...,
    # its state (3: finished).
    if [ $driver = pipewire ]; then
      kill -INT $profiler
      wait $profiler || true
      profiler=
      stream=$(sed -n 's/^logging follower \([0-9]*\) ("fretstrummer")$/\1/p' "$work/profile/names" | tail -n 1)
      echo "[$mode${hog:+, a core busy}] pipewire: $(awk -v id="${stream:--1}" '
        { for (k = 5; k + 6 <= NF; k += 8) {
            if ($k != id) continue
            cycles[$4]++
            if (($(k + 2) == 0 && $(k + 3) == 0) || $(k + 6) != 3 || $(k + 3) > $4) late++
          } }
        END { for (c in cycles) if (cycles[c] > cycles[most]) most = c
              printf "the program'"'"'s stream ran too late in %d of the server'"'"'s cycles (%.1f ms each)", late, most / 1000 }' \
        "$work/profile/profiler.log")"
    fi
    [ -z "${FRETSTRUMMER_RECORDINGS:-}" ] || cp "$work/$driver.raw" "$work/$driver.log" "$FRETSTRUMMER_RECORDINGS/"
  done
done
