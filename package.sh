#!/usr/bin/env bash
# Builds the Debian package build/qlmplayer_<version>_<arch>.deb (dependencies from
# dpkg-shlibdeps) after a release build and the package check.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/build.sh
ctest --test-dir build -R package_deb --output-on-failure
(cd build && cpack -G DEB)
ls build/qlmplayer_*.deb
