#!/usr/bin/env bash
# Configures and builds the project into build/ (programs at build/qlmplayer, build/qmdtool).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build build
