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

# The long description is running text: no stray ";" lines from a joined list.
description=$(dpkg-deb -f "$deb" Description)
echo "$description" | grep -qE '^ *;' && fail "Description has stray ; lines: $description"
echo "$description" | grep -q 'rebuilds and bundles' || fail "Description lacks its text"
if command -v lintian >/dev/null; then
  # The contact address is the project's placeholder on localhost until it has a public one.
  lintian --fail-on error --suppress-tags bogus-mail-host,bogus-mail-host-in-debian-changelog \
    "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log"; fail "lintian"; }
  cat "$work/lintian.log"
else
  echo "lintian missing (scripts/install-deps.sh installs it): the package is not linted"
fi

root=$work/root
dpkg -x "$deb" "$root"
doc=$root/usr/share/doc/qlmplayer
grep -q '^Copyright:' "$doc/copyright" 2>/dev/null || fail "no copyright file"
gzip -dc "$doc/changelog.gz" | head -1 | grep -q '^qlmplayer (' || fail "no changelog"
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
  local page=$share/man/man1/$1.1.gz
  shift
  [ -s "$page" ] || fail "no compressed man page $page"
  local text
  text=$(gzip -dc "$page")
  for section in SYNOPSIS DESCRIPTION FILES 'EXIT STATUS'; do
    grep -qE "^\.SH \"?$section\"?$" <<<"$text" || fail "$page lacks $section"
  done
  for option in $("$@" | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -qF -- "${option//-/\\-}" <<<"$text" || fail "$page lacks $option"
  done
}
check_man qlmplayer "$root/usr/bin/qlmplayer" --help
check_man qmdtool "$root/usr/bin/qmdtool" help
# A stand-alone presentation made by the installed qmdtool, in a folder of its own with its
# media, plays its video and shows its web page through the modules where the package puts
# them. The package is laid over /usr in a mount namespace of the check's own, as if installed.
bundle_check() {
  local outside=$work/outside
  mkdir -p "$outside"
  cp -r "$source_dir/examples/demo/media" "$source_dir/examples/demo/help" "$outside/"
  printf '%s\n' 'script Page("Moving pictures")' 'script VideoPlay("Clip")' 'wait 500' 'dump' \
    >"$work/video.txt"
  cat >"$work/bundle.sh" <<END
set -eu
mount -t overlay overlay -o "lowerdir=$root/usr:/usr" /usr
/usr/bin/qmdtool bundle "$work/demo.qmd" -o "$outside/demo" >/dev/null
cd "$outside"
./demo --headless --events "$work/video.txt" >"$work/video.jsonl" 2>"$work/video.err"
if [ -x /usr/bin/Xvfb ]; then
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
  xvfb=\$!
  for i in \$(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  DISPLAY=:\$(cat "$work/display") ./demo --start-page "Viewing and listening" \
    >/dev/null 2>"$work/web.err" &
  player=\$!
  for i in \$(seq 300); do
    grep -q qlm_browser.so /proc/\$player/maps 2>/dev/null && break
    sleep 0.1
  done
  grep qlm_browser.so /proc/\$player/maps >"$work/web.maps" 2>/dev/null || true
  kill \$player \$xvfb 2>/dev/null || true
  wait \$player \$xvfb 2>/dev/null || true
fi
END
  unshare -m --propagation private bash "$work/bundle.sh" ||
    fail "the bundle could not be made or played"
  grep -q '"CBK_VName":"bounce.avi"' "$work/video.jsonl" ||
    { cat "$work/video.jsonl" "$work/video.err"; fail "the bundle played no video"; }
  if [ -x /usr/bin/Xvfb ]; then
    grep -q ' /usr/lib/qlmplayer/qlm_browser.so' "$work/web.maps" ||
      { cat "$work/web.err"; fail "the bundle showed no web page"; }
  else
    echo "Xvfb missing: the bundle's web page is not checked"
  fi
}
if unshare -m --propagation private true 2>/dev/null; then
  bundle_check
else
  echo "no mount namespace (not root?): the installed bundle is not checked"
fi
echo "package checked: $deb"
