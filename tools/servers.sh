# servers.sh -- sourced by the scripts that run the program: a virtual X server and a private
# PulseAudio server of the script's own, each known by its process id so that the script ends
# only what it started.

# The program's sound: mono, signed 16-bit, this many samples a second.
program_rate=22050

# steal_ms: the milliseconds a virtual machine's host has kept its cores from it since boot (the
# steal field of /proc/stat). On a shared host, bursts of it starve the program, the servers and
# the browsers alike: the measuring scripts print how much fell within each run.
steal_ms() { awk -v hz="$(getconf CLK_TCK)" '/^cpu /{print int($9 * 1000 / hz)}' /proc/stat; }

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

# start_pipewire FOLDER: a PipeWire server, WirePlumber (which links its streams, and needs a
# D-Bus) and its PulseAudio server, on a D-Bus of their own, all with their sockets and state in
# FOLDER, and one null sink "out" at the program's rate, made the default; no system or user
# server is touched. Sets pipewire_servers to their process ids and pipewire_socket to the
# address a PulseAudio client is given (PULSE_SERVER).
start_pipewire() {
  local folder=$1 address
  mkdir -p "$folder"
  chmod 700 "$folder"
  # A PulseAudio server's variables would send pipewire-pulse to that server's socket.
  local own=(-u PULSE_RUNTIME_PATH -u PULSE_STATE_PATH -u PULSE_SERVER
    XDG_RUNTIME_DIR="$folder" PIPEWIRE_RUNTIME_DIR="$folder" HOME="$folder"
    XDG_CONFIG_HOME="$folder/config" XDG_STATE_HOME="$folder/state" XDG_DATA_HOME="$folder/data")
  # A bus for these three alone: listening in FOLDER, starting no services of the system's.
  cat >"$folder/bus.conf" <<CONF
<busconfig>
  <listen>unix:dir=$folder</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
  env "${own[@]}" dbus-daemon --config-file="$folder/bus.conf" --nofork --print-address=3 \
    3>"$folder/bus" >/dev/null 2>&1 &
  pipewire_servers=$!
  for _ in $(seq 50); do grep -qs . "$folder/bus" && break; sleep 0.1; done
  address=$(head -n 1 "$folder/bus")
  own+=(DBUS_SESSION_BUS_ADDRESS="$address")
  # The graph runs at the program's rate: nothing is resampled, so a gap stays exact silence.
  mkdir -p "$folder/config/pipewire/pipewire.conf.d"
  echo "context.properties = { default.clock.rate = $program_rate default.clock.allowed-rates = [ $program_rate ] }" \
    >"$folder/config/pipewire/pipewire.conf.d/rate.conf"
  # A PulseAudio client's shortest cycle as on a desktop, whose graph runs at 48 kHz: there the
  # PulseAudio server's least, 256/48000, is 5.3 ms. At the program's rate that least is 118
  # samples, which the graph rounds down to 64 (2.9 ms): cycles half a desktop's, too short for
  # the server's own thread on a busy machine. 128 samples are 5.8 ms.
  mkdir -p "$folder/config/pipewire/pipewire-pulse.conf.d"
  echo "pulse.properties = { pulse.min.quantum = 128/$program_rate }" \
    >"$folder/config/pipewire/pipewire-pulse.conf.d/quantum.conf"
  env "${own[@]}" pipewire >"$folder/pipewire.log" 2>&1 &
  pipewire_servers+=" $!"
  sleep 0.5
  env "${own[@]}" wireplumber >"$folder/wireplumber.log" 2>&1 &
  pipewire_servers+=" $!"
  env "${own[@]}" pipewire-pulse >"$folder/pipewire-pulse.log" 2>&1 &
  pipewire_servers+=" $!"
  pipewire_socket=unix:$folder/pulse/native
  for _ in $(seq 50); do PULSE_SERVER=$pipewire_socket pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  PULSE_SERVER=$pipewire_socket pactl load-module module-null-sink sink_name=out \
    rate=$program_rate channels=1 format=s16le >/dev/null
  sleep 0.5
  PULSE_SERVER=$pipewire_socket pactl set-default-sink out
}
