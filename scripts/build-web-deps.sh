#!/usr/bin/env bash
# Builds the C libraries the player's core links (zlib, libdeflate, pixman, libpng, libjpeg-turbo,
# giflib, libtiff, freetype, expat, fontconfig, cairo's image and PDF back ends) as static WebAssembly
# libraries with Debian's emscripten, from pinned Debian source packages, into one prefix:
#   scripts/build-web-deps.sh            prints the prefix (built when missing) on its last line
# The prefix is a cache folder keyed by a hash of this script and its preset answers
# (QLM_WEB_DEPS_CACHE, default ~/.cache/qlmplayer/web-deps/<key>): a second run with the same key
# only prints it. Configure checks are most of the cost (each is a full emcc compile and link run
# through node), so the answers of the slow ones are preset from scripts/web/.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
jobs="${QLM_WEB_JOBS:-$(nproc)}"

key="$(shopt -s nullglob; cat "$0" "$here"/web/*.cache "$here"/web/*.cmake | sha256sum | cut -c1-16)"
cache_root="${QLM_WEB_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/qlmplayer/web-deps}"
prefix="$cache_root/$key"
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

# The tools: emscripten (with clang/lld 14), fresh config.sub/config.guess, gperf for
# fontconfig's generated hash, dpkg-source to unpack.
tools=(emscripten autotools-dev gperf dpkg-dev cmake ninja-build pkg-config)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq || true
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

# Debian's emscripten looks for its JS tools beside Debian's node; node 18+ needs its URL fetch
# off to load a wasm file from disk.
export NODE_PATH=/usr/share/nodejs
node_bin="$(command -v node)"

# Pinned source versions present on the mirror (the security index lists newer ones it lacks).
sources=(
  zlib=1:1.2.13.dfsg-1 libdeflate=1.14-1 libpng1.6=1.6.39-2+deb12u5
  libjpeg-turbo=1:2.1.5-2 freetype=2.12.1+dfsg-5+deb12u4 giflib=5.2.1-2.5+deb12u1
  tiff=4.5.0-6+deb12u4 expat=2.5.0-1+deb12u2 fontconfig=2.14.1-4 cairo=1.16.0-7
)
src_cache="$cache_root/sources"
mkdir -p "$src_cache"

fetch_sources() (
  local list=/etc/apt/sources.list.d/qlmplayer-web-src.sources
  # A source list for this call only; apt's own lists are left exactly as they were, even when a
  # download fails (the subshell's exit runs the restore).
  restore() {
    "${sudo_cmd[@]}" rm -f "$list"
    "${sudo_cmd[@]}" apt-get update -qq >/dev/null 2>&1 || true
  }
  trap restore EXIT
  "${sudo_cmd[@]}" tee "$list" >/dev/null <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  "${sudo_cmd[@]}" apt-get update -qq >/dev/null
  (cd "$src_cache" && apt-get source --download-only -qq "${sources[@]}" >&2)
  # pixman's Debian diff is missing on the mirror; its upstream tarball is all that is needed.
  (cd "$src_cache" && apt-get source --download-only -qq pixman=0.42.2-1 >&2) || true
  [ -f "$src_cache/pixman_0.42.2.orig.tar.gz" ]
)

if [ ! -f "$src_cache/.complete" ]; then
  fetch_sources
  touch "$src_cache/.complete"
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/qlm-web-deps.XXXXXX")"
trap 'rm -rf "$work"' EXIT
# Built in place (the libraries' .pc files name it); marked complete only at the end.
stage="$prefix"
rm -rf "$stage"
mkdir -p "$stage/lib/pkgconfig" "$stage/include" "$work/src" "$work/log"

unpack() {  # unpack NAME DSC-GLOB
  local dsc
  dsc="$(ls "$src_cache"/$2)"
  dpkg-source --no-check -x "$dsc" "$work/src/$1" >/dev/null 2>&1
}

export PKG_CONFIG_LIBDIR="$stage/lib/pkgconfig" PKG_CONFIG_PATH=
export EM_PKG_CONFIG_PATH="$stage/lib/pkgconfig"
export CFLAGS=-O2 CXXFLAGS=-O2 CPPFLAGS="-I$stage/include" LDFLAGS="-L$stage/lib"

cm() {  # cm NAME SOURCE-DIR [CMAKE ARGS...]: configures into $work/b-NAME
  local name="$1" srcdir="$2" presets=()
  shift 2
  # Preset answers of the slow checks, when there are any for this library.
  [ -f "$here/web/$name.cmake" ] && presets=(-C "$here/web/$name.cmake")
  emcmake cmake "${presets[@]}" -S "$srcdir" -B "$work/b-$name" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$stage" -DCMAKE_PREFIX_PATH="$stage" -DCMAKE_FIND_ROOT_PATH="$stage" \
    -DBUILD_SHARED_LIBS=OFF -DCMAKE_CROSSCOMPILING_EMULATOR="$node_bin;--no-experimental-fetch" \
    "$@"
}
zl=(-DZLIB_LIBRARY="$stage/lib/libz.a" -DZLIB_INCLUDE_DIR="$stage/include")
newsub() { cp /usr/share/misc/config.sub /usr/share/misc/config.guess "$1"; }
# Preset answers of an autotools configure: copied, since configure rewrites its cache file.
preset() { cp "$here/web/$1.cache" "$work/$1.cache" 2>/dev/null || : >"$work/$1.cache"; }

build_zlib() {
  unpack zlib 'zlib_1.2.13.dfsg-1.dsc'
  cd "$work/src/zlib"
  emconfigure ./configure --static --prefix="$stage"
  emmake make -j"$jobs" libz.a
  emmake make install
}
build_libdeflate() {
  unpack libdeflate 'libdeflate_1.14-1.dsc'
  cd "$work/src/libdeflate"
  emmake make -j"$jobs" CC=emcc AR=emar CFLAGS=-O2 libdeflate.a
  cp libdeflate.a "$stage/lib/" && cp libdeflate.h "$stage/include/"
  sed -e "s|@PREFIX@|$stage|;s|@LIBDIR@|$stage/lib|;s|@INCDIR@|$stage/include|;s|@VERSION@|1.14|" \
    libdeflate.pc.in >"$stage/lib/pkgconfig/libdeflate.pc"
}
build_pixman() {
  tar xzf "$src_cache/pixman_0.42.2.orig.tar.gz" -C "$work/src"
  cd "$work/src/pixman-0.42.2"
  preset pixman
  emconfigure ./configure --cache-file="$work/pixman.cache" --host=wasm32-unknown-emscripten \
    --prefix="$stage" --disable-shared --enable-static --disable-openmp --disable-mmx \
    --disable-sse2 --disable-ssse3 --disable-vmx --disable-arm-simd --disable-arm-neon \
    --disable-arm-a64-neon --disable-arm-iwmmxt --disable-mips-dspr2 --disable-loongson-mmi \
    --disable-gcc-inline-asm --disable-gtk --disable-libpng
  emmake make -j"$jobs" -C pixman
  emmake make -C pixman install
  make install-pkgconfigDATA
}
build_libpng() {
  unpack libpng 'libpng1.6_1.6.39-2+deb12u5.dsc'
  cm libpng "$work/src/libpng" -DPNG_SHARED=OFF \
    -DPNG_TESTS=OFF -DPNG_HARDWARE_OPTIMIZATIONS=OFF "${zl[@]}" -DM_LIBRARY=
  ninja -C "$work/b-libpng" -j"$jobs" png_static
  ninja -C "$work/b-libpng" install
}
build_libjpeg() {
  unpack libjpeg 'libjpeg-turbo_2.1.5-2.dsc'
  cm libjpeg "$work/src/libjpeg" -DENABLE_SHARED=OFF \
    -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DCMAKE_SYSTEM_PROCESSOR=wasm32 \
    -DSIZE_T=4 -DHAVE_SIZE_T=TRUE -DUNSIGNED_LONG=4 -DHAVE_UNSIGNED_LONG=TRUE
  ninja -C "$work/b-libjpeg" -j"$jobs" jpeg-static
  ninja -C "$work/b-libjpeg" install
}
build_freetype() {
  unpack freetype 'freetype_2.12.1+dfsg-5+deb12u4.dsc'
  cm freetype "$work/src/freetype" -DFT_REQUIRE_ZLIB=ON \
    -DFT_REQUIRE_PNG=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON \
    "${zl[@]}" -DPNG_LIBRARY="$stage/lib/libpng16.a" -DPNG_PNG_INCLUDE_DIR="$stage/include"
  ninja -C "$work/b-freetype" -j"$jobs"
  ninja -C "$work/b-freetype" install
}
build_giflib() {
  unpack giflib 'giflib_5.2.1-2.5+deb12u1.dsc'
  cd "$work/src/giflib"
  emmake make -j"$jobs" CC=emcc AR=emar CFLAGS="-O2 -std=gnu99 -Wall" libgif.a
  cp libgif.a "$stage/lib/" && cp gif_lib.h "$stage/include/"
}
build_tiff() {
  unpack tiff 'tiff_4.5.0-6+deb12u4.dsc'
  cm tiff "$work/src/tiff" -Dtiff-tools=OFF -Dtiff-tests=OFF \
    -Dtiff-contrib=OFF -Dtiff-docs=OFF -Djbig=OFF -Djpeg12=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF \
    -Dlerc=OFF -Dlibdeflate=OFF "${zl[@]}" -DJPEG_LIBRARY="$stage/lib/libjpeg.a" \
    -DJPEG_INCLUDE_DIR="$stage/include"
  ninja -C "$work/b-tiff" -j"$jobs" tiff
  ninja -C "$work/b-tiff" install
}
build_expat() {
  unpack expat 'expat_2.5.0-1+deb12u2.dsc'
  # A Debian patch tests XML_DTD's value, which CMake's config header defines empty.
  sed -i 's/^#cmakedefine XML_DTD$/#cmakedefine XML_DTD 1/' "$work/src/expat/expat/expat_config.h.cmake"
  cm expat "$work/src/expat/expat" -DEXPAT_BUILD_TOOLS=OFF \
    -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF -DEXPAT_SHARED_LIBS=OFF
  ninja -C "$work/b-expat" -j"$jobs"
  ninja -C "$work/b-expat" install
}
build_fontconfig() {
  unpack fontconfig 'fontconfig_2.14.1-4.dsc'
  cd "$work/src/fontconfig"
  newsub .
  preset fontconfig
  emconfigure ./configure --cache-file="$work/fontconfig.cache" --host=wasm32-unknown-emscripten \
    --prefix="$stage" --disable-shared --enable-static --disable-docs --disable-nls \
    --disable-cache-build --disable-libxml2 --with-default-fonts=/fonts \
    --with-baseconfigdir=/etc/fonts --with-cache-dir=/var/cache/fontconfig
  emmake make -C fontconfig install
  emmake make -j"$jobs" -C src
  emmake make -C src install
  make install-pkgconfigDATA
}
build_cairo() {
  unpack cairo 'cairo_1.16.0-7.dsc'
  cd "$work/src/cairo"
  newsub build
  preset cairo
  # The float word order check greps an object file, which wasm defeats.
  ax_cv_c_float_words_bigendian=no emconfigure ./configure --cache-file="$work/cairo.cache" \
    --host=wasm32-unknown-emscripten --prefix="$stage" --disable-shared --enable-static \
    --enable-ft --enable-fc --enable-png --disable-xlib --disable-xlib-xrender --disable-xcb \
    --disable-xcb-shm --disable-gobject --disable-glesv2 --disable-gl --disable-egl --disable-glx \
    --disable-quartz --disable-win32 --disable-script --disable-interpreter --disable-trace \
    --disable-symbol-lookup --disable-svg --enable-pdf --disable-ps --disable-full-testing \
    --disable-valgrind --disable-lto --without-x
  # A Debian patch touched configure.ac: keep make from running the autotools again.
  local noauto=(ACLOCAL=true AUTOCONF=true AUTOMAKE=true AUTOHEADER=true)
  emmake make -j"$jobs" -C src libcairo.la "${noauto[@]}"
  emmake make -C src install-libLTLIBRARIES install-cairoincludeHEADERS \
    install-nodist_cairoincludeHEADERS install-pkgconfigDATA "${noauto[@]}"
}

# Runs build_NAME with its output in a log, shown when it fails.
step() {
  local name="$1" start=$SECONDS
  if ! (build_"$name") >"$work/log/$name.log" 2>&1; then
    echo "build-web-deps: $name failed; its log:" >&2
    tail -n 60 "$work/log/$name.log" >&2
    return 1
  fi
  echo "build-web-deps: $name $((SECONDS - start)) s" >&2
}

# Libraries that do not need each other build side by side; the chains wait for what they use.
start=$SECONDS
pids=()
(step zlib && step libpng && step freetype) & pids+=($!)
(step pixman) & pids+=($!)
(step expat && step libdeflate && step giflib) & pids+=($!)
(step libjpeg) & pids+=($!)
status=0
for p in "${pids[@]}"; do wait "$p" || status=1; done
[ $status -eq 0 ] || exit 1
pids=()
(step tiff) & pids+=($!)
(step fontconfig && step cairo) & pids+=($!)
for p in "${pids[@]}"; do wait "$p" || status=1; done
[ $status -eq 0 ] || exit 1

# The answers the checks found, in the form that presets them (scripts/web/): autotools cache
# files as written, and for CMake the results of its checks (internal entries without paths).
mkdir -p "$stage/share/qlm-configure"
cp "$work"/*.cache "$stage/share/qlm-configure/" 2>/dev/null || true
for b in libpng libjpeg freetype tiff expat; do
  sed -n -E '/^(CMAKE_[A-Z_]*|_[^:]*):/d; s/^([A-Za-z0-9_]+):INTERNAL=([^/"]*)$/set(\1 "\2" CACHE INTERNAL "")/p' \
    "$work/b-$b/CMakeCache.txt" >"$stage/share/qlm-configure/$b.cmake"
done
echo "build-web-deps: all libraries in $((SECONDS - start)) s" >&2
touch "$stage/.complete"
echo "$prefix"
