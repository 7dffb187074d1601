#!/usr/bin/env bash
# Builds Fretstrummer and runs the whole test suite three times: plain, under AddressSanitizer
# with UndefinedBehaviorSanitizer, and under ThreadSanitizer. Installs the Debian packages it
# needs first. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ pkg-config libgtest-dev libbenchmark-dev libsdl2-dev libx11-dev
  libfreetype-dev libfontconfig-dev
  xvfb xdotool x11-apps fonts-dejavu-core desktop-file-utils appstream)
source tools/ensure-packages.sh
ensure_packages "${packages[@]}"

suite() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -Wno-dev "$@" >/dev/null
  cmake --build "$dir"
  ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
}

echo "== plain build"
suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFRETSTRUMMER_BENCH=ON
echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
suite build-asan -DCMAKE_BUILD_TYPE=Debug -DFRETSTRUMMER_SANITIZE=address,undefined
echo "== ThreadSanitizer build"
suite build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFRETSTRUMMER_SANITIZE=thread -DFRETSTRUMMER_BENCH=OFF
