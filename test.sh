#!/usr/bin/env bash
# Builds Fretstrummer and runs the whole test suite three times: plain, under AddressSanitizer
# with UndefinedBehaviorSanitizer, and under ThreadSanitizer; then builds the packagers' Release
# type with GCC and with Clang. Warnings are errors in all of these. Installs the Debian packages
# it needs first. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ clang pkg-config libgtest-dev libbenchmark-dev libsdl2-dev libx11-dev
  libfreetype-dev libfontconfig-dev
  xvfb xdotool x11-apps x11-xkb-utils pulseaudio pulseaudio-utils fonts-dejavu-core
  desktop-file-utils appstream)
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
