#!/usr/bin/env bash
# Plays a presentation: ./run.sh [DOCUMENT] [ARGS...]
# Without a display the player runs headless and writes a screenshot.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/build.sh >/dev/null
if [ ! -x build/qlmplayer ]; then
  echo "The player is not built yet; would play: ${1:-the bundled demo}"
  exit 0
fi
if [ $# -eq 0 ]; then
  # The bundled demo, built from its project folder (examples/demo), with its video and its
  # HTML help beside it.
  mkdir -p build/demo
  cp -r examples/demo/media examples/demo/help build/demo/
  build/qmdtool build examples/demo -o build/demo/demo.qmd >/dev/null
  set -- build/demo/demo.qmd
fi
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  # No desktop: run headless and leave a screenshot.
  shot=build/run-screenshot.png
  rc=0
  build/qlmplayer --headless --screenshot "$shot" "$@" || rc=$?
  echo "Screenshot: $shot" >&2
  exit $rc
fi
exec build/qlmplayer "$@"
