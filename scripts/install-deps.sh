#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and runs with.
# Idempotent: only packages that are missing are installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libdeflate-dev libjpeg-dev libpng-dev libtiff-dev libgif-dev
  libcairo2-dev libpixman-1-dev libfontconfig-dev libfreetype-dev libemf2svg-dev librsvg2-dev
  libsdl2-dev nlohmann-json3-dev libmpv-dev libespeak-ng-dev libwebkit2gtk-4.1-dev
  fonts-liberation fonts-dejavu-core
  xvfb xauth libxtst-dev libxext-dev yabasic openbox
  librsvg2-bin desktop-file-utils appstream lintian
  libcups2-dev cups-daemon cups-client poppler-utils
  slurmctld slurmd slurm-client munge
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq || true
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
