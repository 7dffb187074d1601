#!/usr/bin/env bash
# Builds Fretstrummer and runs the whole test suite three times: plain, under AddressSanitizer
# with UndefinedBehaviorSanitizer, and under ThreadSanitizer; then builds the packagers' Release
# type with GCC and with Clang, builds the Windows program and runs the end-to-end tests on it
# under Wine, builds the web page and runs its tests in Chromium, Firefox and WebKitGTK, and
# fuzzes the media loaders briefly. Warnings are errors in all of these. Installs the Debian
# packages it needs first. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ clang libclang-rt-14-dev pkg-config libgtest-dev libbenchmark-dev libsdl2-dev libx11-dev
  libfreetype-dev libfontconfig-dev librtmidi-dev libjack-jackd2-dev libasound2-dev jackd2
  xvfb xdotool x11-apps x11-xkb-utils pulseaudio pulseaudio-utils fonts-dejavu-core
  desktop-file-utils appstream man-db mingw-w64 wine64 wine emscripten chromium firefox-esr
  webkit2gtk-driver python3)
source tools/ensure-packages.sh
ensure_packages "${packages[@]}"

build() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -Wno-dev -DFRETSTRUMMER_WERROR=ON "$@" >/dev/null
  cmake --build "$dir"
}
suite() {
  build "$@"
  ctest --test-dir "$1" --output-on-failure -j "$(nproc)"
}

# The web page's build spends minutes making Emscripten's own libraries, and the test runs
# below leave a core idle much of the time they wait on the programs they drive: the web build
# starts now, at the lowest priority, in a process group of its own that ends with the script
# (job control gives it one; setsid would have the kernel schedule it as a peer of the rest).
# Its output is shown in the web stage.
mkdir -p build-web
set -m
(renice -n 19 $BASHPID >/dev/null
  build build-web -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake) >build-web/build.log 2>&1 &
web_build=$!
set +m
trap '[ -z "$web_build" ] || kill -- -$web_build 2>/dev/null || true' EXIT

echo "== plain build"
suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFRETSTRUMMER_BENCH=ON
echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
suite build-asan -DCMAKE_BUILD_TYPE=Debug -DFRETSTRUMMER_SANITIZE=address,undefined
echo "== ThreadSanitizer build"
suite build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFRETSTRUMMER_SANITIZE=thread -DFRETSTRUMMER_BENCH=OFF
echo "== Release build, GCC"
build build-release -DCMAKE_BUILD_TYPE=Release
echo "== Release build, Clang"
build build-clang -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++
echo "== Windows build (mingw-w64), its end-to-end tests under Wine"
windows_start=$SECONDS
build build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# A Wine prefix of the tests' own; Wine's sound goes through ALSA (the tests' file plugin).
export WINEPREFIX=$PWD/build-windows/wine WINEDEBUG=-all WINEDLLOVERRIDES=winepulse.drv=d
# Made without a display; its wineserver ends before the tests start their own.
[ -d "$WINEPREFIX" ] || (unset DISPLAY; wineboot -i >/dev/null 2>&1; wineserver -w)
# A test that fails keeps its output and any core dump in build-windows/failed/.
(ulimit -c unlimited
  FRETSTRUMMER_LAUNCHER=wine FRETSTRUMMER_PROGRAM=$PWD/build-windows/Fretstrummer.exe \
    FRETSTRUMMER_KEEP=$PWD/build-windows/failed \
    exec build/tests/e2e_tests --gtest_brief=1 --gtest_filter=-WebTest.*)
wineserver -k || true
unset WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
echo "Windows stage: $((SECONDS - windows_start)) s"
echo "== Web build (Emscripten), its tests in Chromium, Firefox and WebKitGTK"
web_start=$SECONDS
web_status=0
wait $web_build || web_status=$?
web_build=
cat build-web/build.log
[ $web_status = 0 ]
echo "Web build done after $((SECONDS - web_start)) s of waiting"
FRETSTRUMMER_WEB=$PWD/build-web build/tests/e2e_tests --gtest_brief=1 --gtest_filter='WebTest.*:Engines/*'
echo "Web stage: $((SECONDS - web_start)) s; the page: $(cd build-web &&
  stat -c '%n %s' index.html index.js index.worker.js index.wasm index-single.js index-single.wasm \
    index.data | paste -sd ' ')"
echo "== Fuzzing the sample files and the bitmaps, 20 s each"
cmake -S . -B build-fuzz -G Ninja -Wno-dev -DFRETSTRUMMER_WERROR=ON -DFRETSTRUMMER_FUZZ=ON \
  -DFRETSTRUMMER_BENCH=OFF -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz --target fuzz_samples fuzz_bitmaps
for target in samples bitmaps; do
  # New inputs go to a scratch folder; the seeds in the repository stay as they are.
  scratch=$(mktemp -d)
  if ! build-fuzz/fuzz/fuzz_$target -max_total_time=20 -max_len=4096 "$scratch" \
    fuzz/corpus/$target >build-fuzz/fuzz_$target.log 2>&1; then
    grep -v '^Fretstrummer:' build-fuzz/fuzz_$target.log | tail -40
    exit 1
  fi
  rm -rf "$scratch"
  grep -o 'Done [0-9]* runs.*' build-fuzz/fuzz_$target.log
done
