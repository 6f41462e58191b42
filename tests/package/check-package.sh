#!/usr/bin/env bash
# Builds the Debian package from the build folder, unpacks it into a throw-away root and checks
# what a user gets: the installed programs play the demo headless, the desktop file, AppStream
# data and MIME type validate, the MIME magic matches what the writer writes, and the man pages
# list every option of the --help texts.
set -euo pipefail
build_dir=$1
source_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build_dir" && cpack -G DEB -B "$work/cpack" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/cpack/qlmplayer_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libc6 libcairo2 libsdl2; do
  [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib"
done

root=$work/root
dpkg -x "$deb" "$root"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_DATA_HOME=$work/home/data \
  TMPDIR=$work/home
mkdir -p "$HOME"
unset DISPLAY WAYLAND_DISPLAY

# The installed tool builds the demo, the installed player plays it.
"$root/usr/bin/qmdtool" build "$source_dir/examples/demo" -o "$work/demo.qmd" >/dev/null
"$root/usr/bin/qlmplayer" --headless --screenshot "$work/demo.png" "$work/demo.qmd" \
  >"$work/play.jsonl"
grep -q '"event":"page"' "$work/play.jsonl" || { cat "$work/play.jsonl"; fail "no page shown"; }
[ "$(head -c 4 "$work/demo.png" | tail -c 3)" = "PNG" ] || fail "no screenshot"

share=$root/usr/share
desktop-file-validate "$share/applications/qlmplayer.desktop"
appstreamcli validate --no-net "$share/metainfo/"*.metainfo.xml
grep -q '^MimeType=application/x-qmd;' "$share/applications/qlmplayer.desktop" ||
  fail "desktop file does not open application/x-qmd"

# The magic of the MIME type is where the writer puts the magic word.
mime=$share/mime/packages/qlmplayer.xml
offset=$(sed -n 's/.*<match type="string" offset="\([0-9]*\)" value="\([^"]*\)".*/\1/p' "$mime")
word=$(sed -n 's/.*<match type="string" offset="\([0-9]*\)" value="\([^"]*\)".*/\2/p' "$mime")
[ -n "$word" ] || fail "no magic in $mime"
[ "$(dd if="$work/demo.qmd" bs=1 skip="$offset" count="${#word}" 2>/dev/null)" = "$word" ] ||
  fail "the MIME magic does not match the document"
grep -q '<glob pattern="\*.qmd"/>' "$mime" || fail "no *.qmd glob"

for size in 16 24 32 48 64 128 256; do
  [ -s "$share/icons/hicolor/${size}x${size}/apps/qlmplayer.png" ] || fail "no ${size}px icon"
done
[ -s "$share/icons/hicolor/scalable/apps/qlmplayer.svg" ] || fail "no SVG icon"
[ -s "$root/usr/include/qlmplayer/qlm_plugin.h" ] || fail "no plug-in header"
[ -n "$(find "$root/usr/lib" -path '*/qlmplayer/qlm_browser.so')" ] || fail "no browser module"

# Every option the programs print is in their man page.
check_man() {
  local page=$share/man/man1/$1.1
  shift
  [ -s "$page" ] || fail "no man page $page"
  for section in SYNOPSIS DESCRIPTION FILES 'EXIT STATUS'; do
    grep -qE "^\.SH \"?$section\"?$" "$page" || fail "$page lacks $section"
  done
  for option in $("$@" | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -qF -- "${option//-/\\-}" "$page" || fail "$page lacks $option"
  done
}
check_man qlmplayer "$root/usr/bin/qlmplayer" --help
check_man qmdtool "$root/usr/bin/qmdtool" help
echo "package checked: $deb"
