# servers.sh -- sourced by the scripts that run the program: a virtual X server and a private
# PulseAudio server of the script's own, each known by its process id so that the script ends
# only what it started.

# The program's sound: mono, signed 16-bit, this many samples a second.
program_rate=22050

# start_xvfb: Xvfb on a display number it picks itself (-displayfd), so that it never takes
# another's; exports DISPLAY and sets xvfb to its process id.
start_xvfb() {
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$number_file" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do grep -q . "$number_file" && break; sleep 0.1; done
  DISPLAY=:$(head -n 1 "$number_file")
  rm -f "$number_file"
  [ "$DISPLAY" != ":" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY
}

# start_pulse FOLDER: a PulseAudio server with its socket and state in FOLDER and one null sink,
# "out", at the program's own rate and format; no system or user server is touched. Exports what
# its clients need and sets pulse_server to its process id.
start_pulse() {
  local folder=$1
  export HOME=$folder PULSE_RUNTIME_PATH=$folder PULSE_STATE_PATH=$folder
  export PULSE_SERVER=unix:$folder/native
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-target=file:$folder/log \
    -L "module-native-protocol-unix socket=$folder/native auth-anonymous=1" \
    -L "module-null-sink sink_name=out rate=$program_rate channels=1 format=s16le" >/dev/null 2>&1 &
  pulse_server=$!
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
}
