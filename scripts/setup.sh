#!/usr/bin/env bash
# Installs the Debian packages Tallyvane needs (only those missing), then
# configures and builds it in ./build. Sourced or run by run.sh and test.sh.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-websockets-dev libgl-dev
  libbenchmark-dev
  libxcb1-dev
  chromium xvfb xauth fonts-dejavu-core openbox
  curl zlib1g-dev
  aria2 wget
  # Real documentation pages (Sphinx, gtk-doc, Doxygen, DocBook) for the real-pages test.
  cmake-doc libglib2.0-doc libxml2-doc libjsoncpp-doc debian-reference-en
  # the manual page, the package's checks and the Wayland test
  scdoc dpkg-dev lintian desktop-file-utils appstream weston qt6-wayland
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "Installing missing packages: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build"
