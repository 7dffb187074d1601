#!/usr/bin/env bash
# Pluck to sound of the Windows program under Wine, both modes side by side in one run: the time
# from a click to the note's first sample reaching ALSA's file plugin (a measurement of Wine's
# path, not of Windows). Needs the Windows build and its Wine prefix, as ./test.sh makes them.
# usage: bench/measure_wine.sh [WINDOWS_BUILD_DIR]   (default build-windows)
set -euo pipefail
build=$(cd "${1:-build-windows}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tools/servers.sh"
start_xvfb
export WINEPREFIX=$build/wine
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
for mode in default low-latency; do
  mkdir -p "$work/$mode"
  wineserver -k 2>/dev/null || true
  wineserver -w
  python3 "$here/wine_plucks.py" "$build/Fretstrummer.exe" "$mode" "$work/$mode"
done
