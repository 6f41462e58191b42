#!/usr/bin/env bash
# Builds the WebAssembly player into build-web/ (qlmplayer.js + qlmplayer.wasm): the C libraries
# first (scripts/build-web-deps.sh, cached), then the core and the headless frontend with
# emscripten. Run under node: node --no-experimental-fetch build-web/qlmplayer.js --headless ...
set -euo pipefail
cd "$(dirname "$0")/.."
prefix="$(./scripts/build-web-deps.sh | tail -n 1)"
export NODE_PATH=/usr/share/nodejs
export QLM_WEB_PREFIX="$prefix"
cmake --preset web >/dev/null
cmake --build build-web
