#!/usr/bin/env bash
# The installed program, the .deb, and the desktop files.
# usage: install_test.sh prefix|deb|desktop BUILD_DIR SOURCE_DIR
set -euo pipefail
check=$1 build=$2 source=$3
work=$(mktemp -d)
trap 'kill "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

# Runs an installed fretstrummer in Xvfb: it must show its window, strum (so it found its
# Media folder) and end with 0 through the exit square.
play() {
  local program=$1 display=:$((300 + RANDOM % 600))
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=$display XDG_RUNTIME_DIR=$work
  for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw" "$program" 2>"$work/stderr" &
  local pid=$! window="" scale
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^Fretstrummer$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || fail "no window"
  scale=$(($(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p') / 240))
  sleep 1.5 # start-up over
  local args=(mousemove $((2 * scale)) $((160 * scale)) mousedown 1)
  for x in $(seq 2 4 238); do args+=(mousemove $((x * scale)) $((160 * scale)) sleep 0.01); done
  xdotool "${args[@]}" mouseup 1 sleep 0.5 mousemove 1 1 click 1
  local status=0
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "exit status $status: $(cat "$work/stderr")"
  # The strum is in the recording: the notes came from the installed Media folder.
  [ "$(od -An -v -td2 -w2 "$work/sound.raw" | awk '$1 != 0' | wc -l)" -gt 20000 ] || fail "silent"
  kill "$xvfb"
  wait "$xvfb" 2>/dev/null || true
}

case $check in
prefix)
  cmake --install "$build" --prefix "$work/prefix" >/dev/null
  for file in lib/fretstrummer/fretstrummer lib/fretstrummer/Media/1.wav \
    lib/fretstrummer/Media/Background.bmp share/applications/fretstrummer.desktop \
    share/metainfo/org.fretstrummer.Fretstrummer.metainfo.xml \
    share/icons/hicolor/16x16/apps/fretstrummer.png share/icons/hicolor/scalable/apps/fretstrummer.svg; do
    [ -f "$work/prefix/$file" ] || fail "$file not installed"
  done
  [ "$(readlink "$work/prefix/bin/fretstrummer")" = ../lib/fretstrummer/fretstrummer ] || fail "bin link"
  play "$work/prefix/bin/fretstrummer"
  ;;
deb)
  (cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null)
  deb=$(ls "$work"/package/fretstrummer_*.deb)
  depends=$(dpkg-deb -f "$deb" Depends)
  [ "$depends" = "libsdl2-2.0-0 (>= 2.0.22), libfreetype6, libfontconfig1, fonts-dejavu-core, libstdc++6, libgcc-s1, libc6" ] ||
    fail "Depends: $depends"
  dpkg-deb -c "$deb" | awk '{print $6 ($7 ? " " $7 " " $8 : "")}' >"$work/files"
  for file in ./usr/lib/fretstrummer/fretstrummer ./usr/lib/fretstrummer/Media/6.wav \
    ./usr/lib/fretstrummer/Media/ResetButton.bmp "./usr/bin/fretstrummer -> ../lib/fretstrummer/fretstrummer" \
    ./usr/share/applications/fretstrummer.desktop ./usr/share/metainfo/org.fretstrummer.Fretstrummer.metainfo.xml \
    ./usr/share/icons/hicolor/256x256/apps/fretstrummer.png; do
    grep -qxF "$file" "$work/files" || fail "$file not in the package"
  done
  [ "$(wc -l <"$work/files")" -lt 60 ] || fail "unexpected files: $(cat "$work/files")"
  dpkg -x "$deb" "$work/root"
  play "$work/root/usr/bin/fretstrummer"
  ;;
desktop)
  desktop-file-validate "$source/desktop/fretstrummer.desktop"
  appstreamcli validate --no-net "$source/desktop/org.fretstrummer.Fretstrummer.metainfo.xml" >/dev/null
  for size in 16 22 24 32 48 64 128 256; do
    png="$build/icons/hicolor/${size}x${size}/apps/fretstrummer.png"
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $3 * 256 + $4, $7 * 256 + $8}')
    [ "$width $height" = "$size $size" ] || fail "$png is $width x $height"
  done
  grep -q '<svg' "$build/icons/hicolor/scalable/apps/fretstrummer.svg" || fail "no SVG icon"
  ;;
esac
echo "$check: passed"
