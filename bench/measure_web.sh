#!/usr/bin/env bash
# Measures the web page in each browser engine Debian packages (Chromium through chromedriver,
# Firefox ESR through Marionette, WebKitGTK through WebKitWebDriver), through the page's own
# probe: the time from a press on a string to its first sound, median over 20 plucks from
# silence, in two parts (the press to the audio callback that carries the note; from there to the
# ear, as the engine reports its buffers and its output's latency), and from the press sent to
# the browser to its first sample at the sink, by this machine's clock (which also counts what
# an engine leaves out of its account); then the silent gaps in what the page played over 60 s
# of strumming, and the time the machine's hypervisor held its cores meanwhile (steal time).
# Each engine plays into a PulseAudio null sink of the probe's own. Run it on an otherwise idle
# machine.
# MODE is default, low-latency or both (side by side in one run); every line says which.
# FRETSTRUMMER_ENGINES picks some of chromium, firefox and webkit (all three by default).
# usage: bench/measure_web.sh [WEB_BUILD] [BUILD_DIR] [MODE]   (build-web, build, both)
set -euo pipefail
web=$(cd "${1:-build-web}" && pwd)
build=$(cd "${2:-build}" && pwd)
case ${3:-both} in
default | low-latency) modes=("$3") ;;
both) modes=(default low-latency) ;;
*) echo "usage: $0 [WEB_BUILD] [BUILD_DIR] [default|low-latency|both]" >&2; exit 2 ;;
esac
source "$(dirname "$0")/../tools/ensure-packages.sh"
source "$(dirname "$0")/../tools/servers.sh"
ensure_packages chromium chromium-driver firefox-esr webkit2gtk-driver xvfb pulseaudio \
  pulseaudio-utils python3
cmake --build "$build" --target web_probe >/dev/null
recording=$(mktemp)
trap 'rm -f "$recording"' EXIT

for mode in "${modes[@]}"; do
  query=""
  [ "$mode" = default ] || query="?$mode"
  for engine in ${FRETSTRUMMER_ENGINES:-chromium firefox webkit}; do
    label="[$mode] $engine"
    stolen=$(steal_ms)
    if ! "$build/bench/web_probe" "$engine" "$web" "$query" 20 60 "$recording" >"$recording.log"; then
      echo "$label: $(grep -m1 -E '^(cannot run|pluck [0-9]+ was|the sound)' "$recording.log" ||
        tail -1 "$recording.log")"
      continue
    fi
    awk -v label="$label" '/^pluck [0-9]+:/ {n++; c[n] = $3; o[n] = $8; t[n] = $3 + $8; s[n] = $11}
      function median(a, k, i, j, x) {
        for (i = 2; i <= k; i++)
          for (j = i; j > 1 && a[j - 1] > a[j]; j--) { x = a[j]; a[j] = a[j - 1]; a[j - 1] = x }
        return k % 2 ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2 }
      END {if (n) printf "%s: touch to sound median %.1f ms (to the callback %.1f, on to the ear %.1f) over %d plucks; press to the sink by this machine'"'"'s clock %.1f ms\n",
        label, median(t, n), median(c, n), median(o, n), n, median(s, n)}' "$recording.log"
    echo "$label: $(grep -m1 "^the engine's sound" "$recording.log")"
    echo "$label: $(python3 "$(dirname "$0")/sound_gaps.py" "$recording" | sed 's/^[^:]*: //');" \
      "the machine's hypervisor held its cores for $(($(steal_ms) - stolen)) ms in all (steal time)"
  done
done
rm -f "$recording.log"
