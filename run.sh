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
exec build/qlmplayer "$@"
