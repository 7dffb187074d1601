#!/usr/bin/env bash
# The installed program, the .deb, and the desktop files.
# usage: install_test.sh prefix|deb|desktop BUILD_DIR SOURCE_DIR
set -euo pipefail
check=$1 build=$2 source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

# Plays an installed fretstrummer under Xvfb as the end-to-end tests play the built one: a strum
# heard sample-exact (so it found its Media folder) and the exit square ending it with 0.
play() {
  FRETSTRUMMER_PROGRAM=$1 "$build/tests/e2e_tests" --gtest_filter='E2eTest.ASlowDrag*' >"$work/log" 2>&1 ||
    fail "$1: $(cat "$work/log")"
  grep -q 'PASSED.*1 test' "$work/log" || fail "no end-to-end test ran: $(cat "$work/log")"
}

case $check in
prefix)
  cmake --install "$build" --prefix "$work/prefix" >/dev/null
  # The desktop files and icons are checked in the package's list.
  [ "$(readlink "$work/prefix/bin/fretstrummer")" = ../lib/fretstrummer/fretstrummer ] || fail "bin link"
  # The manual page renders.
  man -l "$work/prefix/share/man/man6/fretstrummer.6" 2>&1 | grep -q 'fretstrummer - a touch-screen guitar' ||
    fail "man -l: $(man -l "$work/prefix/share/man/man6/fretstrummer.6" 2>&1 | head -5)"
  play "$work/prefix/bin/fretstrummer"
  ;;
deb)
  (cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null)
  deb=$(ls "$work"/package/fretstrummer_*.deb)
  depends=$(dpkg-deb -f "$deb" Depends)
  [ "$depends" = "libsdl2-2.0-0 (>= 2.0.22), libfreetype6, libfontconfig1, fonts-dejavu-core, librtmidi6, libjack-jackd2-0 | libjack0, libasound2, libstdc++6, libgcc-s1, libc6" ] ||
    fail "Depends: $depends"
  dpkg-deb -c "$deb" | awk '{print $6 ($7 ? " " $7 " " $8 : "")}' >"$work/files"
  for file in ./usr/lib/fretstrummer/fretstrummer ./usr/lib/fretstrummer/Media/6.wav \
    ./usr/lib/fretstrummer/Media/ResetButton.bmp ./usr/lib/fretstrummer/Media/Notes.txt "./usr/bin/fretstrummer -> ../lib/fretstrummer/fretstrummer" \
    ./usr/share/applications/fretstrummer.desktop ./usr/share/metainfo/org.fretstrummer.Fretstrummer.metainfo.xml \
    ./usr/share/icons/hicolor/256x256/apps/fretstrummer.png ./usr/share/man/man6/fretstrummer.6; do
    grep -qxF "$file" "$work/files" || fail "$file not in the package"
  done
  [ "$(wc -l <"$work/files")" -lt 64 ] || fail "unexpected files: $(cat "$work/files")" # 62 with the manual page
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
