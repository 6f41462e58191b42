#!/usr/bin/env bash
# Builds the WebAssembly player into build-web/ (qlmplayer.js + qlmplayer.wasm): the C libraries
# first (scripts/build-web-deps.sh, cached), then the core and the headless frontend with
# emscripten. Run under node: node --no-experimental-fetch build-web/qlmplayer.js --headless ...
set -euo pipefail
cd "$(dirname "$0")/.."
prefix="$(./scripts/build-web-deps.sh | tail -n 1)"
export NODE_PATH=/usr/share/nodejs
export QLM_WEB_PREFIX="$prefix"
# Configure results (pkg-config's among them) name the libraries' folder: new libraries, new tree.
if [ "$(cat build-web/.deps-prefix 2>/dev/null)" != "$prefix" ]; then
  rm -rf build-web
  mkdir -p build-web
  echo "$prefix" >build-web/.deps-prefix
fi
cmake --preset web >/dev/null
cmake --build build-web
