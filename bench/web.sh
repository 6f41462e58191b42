#!/usr/bin/env bash
# The WebAssembly player under node beside the desktop player, in one run:
#   bench/web.sh [BUILD_DIR [WEB_BUILD_DIR]]    (defaults: build, build-web)
# Prints, for each, the median wall time (RUNS runs, default 10) of the demo from start to its
# first frame (composed, then the run quits; no screenshot is encoded), and of a script loop of LOOP passes (default 200000) less
# that start; then the ratios, and the sizes of the web player's files, plain and gzipped.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
web=${2:-build-web}
runs=${RUNS:-10}
loop=${LOOP:-200000}
for file in "$build/qlmplayer" "$build/qmdtool" "$web/qlmplayer.js" "$web/qlmplayer.wasm"; do
  [ -e "$file" ] || { echo "web.sh: $file is missing (build first)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/qmdtool" build examples/demo -o "$work/demo.qmd" >/dev/null
echo quit >"$work/quit.txt"
printf 'script-begin\nFor i=1 To %s\nx = x + i * 2\nNext i\nscript-end\nquit\n' "$loop" \
  >"$work/loop.txt"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_DATA_HOME=$work/home/data \
  XDG_RUNTIME_DIR=$work/home/run TMPDIR=$work/home
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY

desktop=("$build/qlmplayer")
node=(node --no-experimental-fetch "$web/qlmplayer.js")

source bench/median.sh

ms() { awk -v t="$1" 'BEGIN {printf "%.1f", t / 1000}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2fx", b ? a / b : 0}'; }
row() { printf '%-34s %12s %12s %8s\n' "$@"; }

frame() { median_us "$@" --headless --events "$work/quit.txt" "$work/demo.qmd"; }
looped() { median_us "$@" --headless --events "$work/loop.txt" "$work/demo.qmd"; }

desktop_frame=$(frame "${desktop[@]}")
node_frame=$(frame "${node[@]}")
desktop_loop=$(($(looped "${desktop[@]}") - desktop_frame))
node_loop=$(($(looped "${node[@]}") - node_frame))

echo "demo and a $loop-pass script loop ($runs runs each)"
row "" "desktop" "node" "ratio"
row "start to first frame (median ms)" "$(ms "$desktop_frame")" "$(ms "$node_frame")" \
  "$(ratio "$node_frame" "$desktop_frame")"
row "script loop (median ms)" "$(ms "$desktop_loop")" "$(ms "$node_loop")" \
  "$(ratio "$node_loop" "$desktop_loop")"
for file in qlmplayer.wasm qlmplayer.js; do
  row "$file (KB, gzipped KB)" "$(($(stat -c %s "$web/$file") / 1024))" \
    "$(($(gzip -9c "$web/$file" | wc -c) / 1024))" ""
done
