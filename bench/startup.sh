#!/usr/bin/env bash
# Whole-process start-up of the player beside the tool, on the same document, in one run:
#   bench/startup.sh [BUILD_DIR [DOCUMENT]]    (defaults: build, the demo built from examples/demo)
# Prints the wall time from start to quit of `qlmplayer --headless --events <quit>` against
# `qmdtool info` (median of RUNS runs, default 20), the shared libraries each maps, their peak
# resident memory, and the sizes of a stand-alone file made with the plain and the stripped
# player, each with its ratio.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${RUNS:-20}
player=$build/qlmplayer
tool=$build/qmdtool
for program in "$player" "$tool" /usr/bin/time; do
  [ -x "$program" ] || { echo "startup.sh: $program is missing (build first)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
document=${2:-}
if [ -z "$document" ]; then
  document=$work/demo.qmd
  "$tool" build examples/demo -o "$document" >/dev/null
fi
echo quit >"$work/events.txt"
# The player keeps its settings under HOME; a throw-away one keeps runs alike.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_DATA_HOME=$work/home/data \
  XDG_RUNTIME_DIR=$work/home/run TMPDIR=$work/home
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY

play=("$player" --headless --events "$work/events.txt" "$document")
info=("$tool" info "$document")

source bench/median.sh

# Shared objects the dynamic loader initialises during the whole run (dlopen included).
libraries() {
  LD_DEBUG=libs LD_DEBUG_OUTPUT=$work/ld "$@" >/dev/null 2>&1 </dev/null || true
  cat "$work"/ld.* | sed -n 's/.*calling init: //p' | sort -u | wc -l
  rm -f "$work"/ld.*
}

# Peak resident set in KiB.
peak_kib() {
  /usr/bin/time -f %M -o "$work/rss" "$@" >/dev/null 2>&1 </dev/null || true
  tail -n 1 "$work/rss"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.1fx", b ? a / b : 0}'; }
row() { printf '%-28s %14s %14s %8s\n' "$@"; }

play_us=$(median_us "${play[@]}")
info_us=$(median_us "${info[@]}")
play_libs=$(libraries "${play[@]}")
info_libs=$(libraries "${info[@]}")
play_kib=$(peak_kib "${play[@]}")
info_kib=$(peak_kib "${info[@]}")

echo "document: $document ($runs runs each)"
row "" "player" "qmdtool info" "ratio"
row "start to quit (median ms)" "$(awk -v t="$play_us" 'BEGIN {printf "%.1f", t / 1000}')" \
  "$(awk -v t="$info_us" 'BEGIN {printf "%.1f", t / 1000}')" "$(ratio "$play_us" "$info_us")"
row "shared libraries" "$play_libs" "$info_libs" "$(ratio "$play_libs" "$info_libs")"
row "peak RSS (MB)" "$(awk -v k="$play_kib" 'BEGIN {printf "%.1f", k / 1024}')" \
  "$(awk -v k="$info_kib" 'BEGIN {printf "%.1f", k / 1024}')" "$(ratio "$play_kib" "$info_kib")"

# A stand-alone file from the plain player and from the one qmdtool bundle takes by default.
if [ -x "$build/qlmplayer-bundle" ]; then
  "$tool" bundle "$document" -o "$work/plain" --player "$player" >/dev/null
  "$tool" bundle "$document" -o "$work/small" >/dev/null
  plain=$(stat -c %s "$work/plain")
  small=$(stat -c %s "$work/small")
  row "" "qlmplayer" "qlmplayer-bundle" "ratio"
  row "stand-alone file (MB)" "$(awk -v b="$plain" 'BEGIN {printf "%.1f", b / 1048576}')" \
    "$(awk -v b="$small" 'BEGIN {printf "%.1f", b / 1048576}')" "$(ratio "$plain" "$small")"
fi
