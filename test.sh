#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
# QLM_SKIP_SANITIZE=1 skips the second pass that runs every test program and end-to-end case
# again in a build with AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")"
# The WebAssembly player (QLM_SKIP_WEB=1 leaves it out): its libraries are built once and kept
# in a cache; the end-to-end cases play through it under node as well (label "web").
web=()
if [ "${QLM_SKIP_WEB:-0}" != "1" ]; then
  web=(-DQLM_WEB_PLAYER_JS="$PWD/build-web/qlmplayer.js")
fi
./scripts/build.sh "${web[@]}"
if [ ${#web[@]} -gt 0 ]; then
  ./scripts/build-web.sh
fi
ctest --test-dir build --output-on-failure -j "$(nproc)"

if [ "${QLM_SKIP_SANITIZE:-0}" != "1" ]; then
  echo "== every test under AddressSanitizer + UBSan =="
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQLM_SANITIZE=ON \
    -DQLM_BUILD_BENCH=OFF >/dev/null
  cmake --build build-asan
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp"
  # The package test builds a .deb from the first build; it has nothing to sanitize.
  ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -j "$(nproc)" \
    -E package_deb -LE window
  # Windows load graphics drivers that leave unattributable allocations behind when unloaded:
  # these tests still run under both sanitizers, without the leak check.
  ASAN_OPTIONS=detect_leaks=0 ctest --test-dir build-asan --output-on-failure -j "$(nproc)" \
    -L window
fi
