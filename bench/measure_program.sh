#!/usr/bin/env bash
# Measures the real program in Xvfb with SDL's disk audio driver: the time from exec to the splash
# and to the first frame (five runs); then, in one run, the CPU it uses over three 10 s windows of
# idling, how often its threads wake meanwhile (voluntary context switches), its peak memory, and
# the time from a pluck (the press taken from SDL) to the note's first sample reaching the driver,
# over 30 plucks. Then, where PulseAudio is installed, the same 30 plucks through a private
# PulseAudio server: to the note's first sample at its null sink (recorded from the sink's monitor),
# and the server's share of that beyond the time to the driver; and the time from SIGTERM to the end
# of the process, ten times through the server and three times with the server frozen (SIGSTOP). Run
# it on an otherwise idle machine.
# MODE is default, low-latency or both (the two side by side in one run); every line says which.
# usage: bench/measure_program.sh [BUILD_DIR] [MODE]   (default build, both; installs what it needs)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
case ${2:-both} in
default | low-latency) modes=("$2") ;;
both) modes=(default low-latency) ;;
*) echo "usage: $0 [BUILD_DIR] [default|low-latency|both]" >&2; exit 2 ;;
esac
# The program's options for a mode, and its lines labelled with it.
options() { [ "$1" = default ] || echo "--$1"; }
label() { sed "s/^/[$1] /"; }
cmake --build "$build" --target fretstrummer program_probe >/dev/null
probe=$build/bench/libprogram_probe.so
log=$(mktemp)
# A settings folder of the script's own: no player's chords are read, none written.
settings=$(mktemp -d)
export XDG_CONFIG_HOME=$settings

source "$(dirname "$0")/../tools/servers.sh"
# The servers it measures through, from Debian, installed when missing.
source "$(dirname "$0")/../tools/ensure-packages.sh"
ensure_packages xvfb xdotool pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber dbus jackd2
start_xvfb
trap 'kill $xvfb ${jack:-} 2>/dev/null || true; rm -rf "$log" "$settings"' EXIT
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null

scale=1
at() { echo $(($1 * scale + scale / 2)) $(($2 * scale + scale / 2)); }
find_window() {
  local window
  window=$(xdotool search --sync --onlyvisible --name '^Fretstrummer$' | head -n 1)
  scale=$(($(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p') / 240))
}
quit() { xdotool mousemove $(at 1 1) click 1; }
# String 5 (the leftmost) fades out within 1.2 s, so every pluck starts from silence.
pluck_thirty_times_and_quit() {
  for _ in $(seq 30); do
    xdotool mousemove $(at 20 160) click 1
    sleep 1.25
  done
  quit
  wait "$program"
}

# Start-up, idling and plucks to the disk driver, in one mode.
on_the_disk_driver() {
  local mode=$1
  for run in 1 2 3 4 5; do
    FRETSTRUMMER_T0=$(date +%s%3N) LD_PRELOAD=$probe "$build/fretstrummer" $(options "$mode") 2>&1 |
      grep -E '^(splash|first frame)' | paste -sd ' ' &
    sleep 1.5
    find_window
    quit
    wait $!
  done

  LD_PRELOAD=$probe "$build/fretstrummer" $(options "$mode") 2>"$log" &
  program=$!
  sleep 2
  find_window
  # Over all threads: nanoseconds on a CPU, and voluntary context switches.
  cpu() { cat /proc/$program/task/*/schedstat | awk '{n += $1} END {printf "%d", n}'; }
  wakeups() { cat /proc/$program/task/*/status | awk '/^voluntary_ctxt_switches/ {n += $2} END {print n}'; }
  # Three windows of 10 s: on a virtual machine one window can take twice another's CPU.
  shares=() counts=()
  for _ in 1 2 3; do
    ran=$(cpu) woken=$(wakeups)
    sleep 10
    shares+=("$(awk -v ns="$(($(cpu) - ran))" 'BEGIN {printf "%.2f", ns / 1e9 / 10 * 100}')")
    counts+=("$((($(wakeups) - woken) / 10))")
  done
  median() { printf '%s\n' "$@" | sort -n | sed -n 2p; }
  echo "idle CPU: median $(median "${shares[@]}")% of one core over three windows of 10 s (${shares[*]})"
  echo "idle wakeups: median $(median "${counts[@]}") per second (${counts[*]}; voluntary context switches of all threads)"
  grep VmHWM "/proc/$program/status" | awk '{printf "peak memory: %.1f MB (VmHWM)\n", $2 / 1024}'

  pluck_thirty_times_and_quit
  grep '^pluck to sound' "$log" | awk '{print $4}' | sort -n | awk '{t[NR] = $1; s += $1} END {
    printf "pluck to sound: mean %.1f ms, median %.1f ms, min %.1f, max %.1f over %d plucks\n",
      s / NR, t[int((NR + 1) / 2)], t[1], t[NR], NR }'

}
for mode in "${modes[@]}"; do on_the_disk_driver "$mode" | label "$mode"; done

# With --midi, through a private JACK server on its dummy backend: the time from a pluck to its
# note-on leaving the program, beside the time to its first sample, in the same 30 plucks.
summary() {
  grep "^$1" "$log" | sed 's/.*: \([0-9.]*\) ms.*/\1/' | sort -n | awk -v what="$1" '{t[NR] = $1; s += $1} END {
    if (NR) printf "%s: mean %.2f ms, median %.2f ms, min %.2f, max %.2f over %d plucks\n",
      what, s / NR, t[int((NR + 1) / 2)], t[1], t[NR], NR }'
}
with_midi() {
  LD_PRELOAD=$probe JACK_DEFAULT_SERVER=$jack_name "$build/fretstrummer" $(options "$1") --midi 2>"$log" &
  program=$!
  sleep 2
  find_window
  pluck_thirty_times_and_quit
  summary "pluck to note-on"
  summary "pluck to sound"
}
if command -v jackd >/dev/null; then
  jack_name=fretstrummer-bench-$$
  jackd --no-realtime -n "$jack_name" -d dummy -r 48000 -p 256 >/dev/null 2>&1 &
  jack=$!
  sleep 1
  for mode in "${modes[@]}"; do with_midi "$mode" | label "$mode, --midi"; done
  kill $jack
  jack=
fi

command -v pulseaudio >/dev/null && command -v parec >/dev/null || exit 0
pulse=$(mktemp -d)
start_pulse "$pulse"
server=$pulse_server
trap 'kill $xvfb ${jack:-} $server ${pipewire_servers:-} 2>/dev/null || true; rm -rf "$log" "$pulse" "$settings"' EXIT
# The same plucks through a sound server (PULSE_SERVER's), to its sink, in one mode.
through_the_server() {
  local mode=$1 server=$2
  # The recorder writes into a pipe that the onset finder reads: each is ended by its own id.
  rm -f "$pulse/sink"
  mkfifo "$pulse/sink"
  python3 "$(dirname "$0")/sink_onsets.py" <"$pulse/sink" >"$pulse/onsets" &
  finder=$!
  parec -d out.monitor --raw --latency-msec=5 --format=s16le --rate=$program_rate --channels=1 \
    >"$pulse/sink" &
  recorder=$!
  SDL_AUDIODRIVER=pulseaudio LD_PRELOAD=$probe "$build/fretstrummer" $(options "$mode") 2>"$log" &
  program=$!
  sleep 2
  find_window
  sleep 2.5 # an idle null sink takes its first sound only after its two-second block
  pluck_thirty_times_and_quit
  sleep 0.2
  kill $recorder 2>/dev/null || true
  wait $recorder $finder || true
  # Each press with the next onset at the sink after it.
  awk '/^pluck to sound/ {gsub(/\)/, "", $8); press[++n] = $8; driver[n] = $4}
       END {for (i = 1; i <= n; i++) print "press", press[i], driver[i]}' "$log" |
    cat - "$pulse/onsets" | sort -k2 -n | awk '
    $1 == "press" {p = $2; d = $3; next}
    $1 == "onset" && p {t = $2 - p; s = t - d; n++; sum += t; share += s; if (s > most) most = s; p = 0}
    END {if (n) printf "through '"$server"': pluck to sink mean %.1f ms; the server'"'"'s share beyond the driver mean %.1f ms, max %.1f, over %d plucks\n", sum / n, share / n, most, n}'
}
for mode in "${modes[@]}"; do through_the_server "$mode" PulseAudio | label "$mode"; done
if command -v pipewire-pulse >/dev/null && command -v wireplumber >/dev/null; then
  start_pipewire "$pulse/pipewire"
  for mode in "${modes[@]}"; do
    PULSE_SERVER=$pipewire_socket through_the_server "$mode" PipeWire | label "$mode"
  done
  kill $pipewire_servers 2>/dev/null || true
fi

# From SIGTERM to the end of the process, 1 s after the window shows (the null sink still in its
# first two-second block), through the server and with the server frozen.
ends() {
  local label=$1 runs=$2 freeze=$3 times=()
  for _ in $(seq "$runs"); do
    "$build/fretstrummer" 2>"$log" &
    program=$!
    find_window
    sleep 1
    [ "$freeze" = 1 ] && kill -STOP $server
    local start=$(date +%s%N)
    kill -TERM $program
    wait $program && status=0 || status=$?
    times+=("$((($(date +%s%N) - start) / 1000000)) ms (exit $status)")
    [ "$freeze" = 1 ] && kill -CONT $server
    grep -h '^Fretstrummer' "$log" || true
  done
  echo "$label: ${times[*]}"
}
export SDL_AUDIODRIVER=pulseaudio
ends "SIGTERM to exit through PulseAudio" 10 0
ends "SIGTERM to exit with the PulseAudio server frozen" 3 1
