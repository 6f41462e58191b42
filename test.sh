#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
# QLM_SKIP_SANITIZE=1 skips the second pass that runs the damaged-input sweeps of the readers
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/build.sh
ctest --test-dir build --output-on-failure -j "$(nproc)"

if [ "${QLM_SKIP_SANITIZE:-0}" != "1" ]; then
  echo "== damaged-input sweeps under AddressSanitizer + UBSan =="
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQLM_SANITIZE=ON \
    -DQLM_BUILD_BENCH=OFF >/dev/null
  cmake --build build-asan --target test_document test_graphics
  ASAN_OPTIONS=detect_leaks=1 ./build-asan/test_document --gtest_brief=1
  ASAN_OPTIONS=detect_leaks=1 ./build-asan/test_graphics --gtest_brief=1
fi
