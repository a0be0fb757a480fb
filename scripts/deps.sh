#!/usr/bin/env bash
# Installs what building, running and testing Ostrivane needs on Debian, once: a package
# that is already installed is left alone, so a second run installs nothing. Further
# package names given as arguments are installed the same way.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev libgl-dev libgl1-mesa-dri
  libgtest-dev libbenchmark-dev
  xvfb xauth libx11-dev libxtst-dev x11-xserver-utils
  libjpeg62-turbo-dev fonts-dejavu-core
  clang libclang-rt-14-dev
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if ! command -v apt-get >/dev/null 2>&1; then
  echo "ostrivane: these packages are missing and there is no apt-get to install them: ${missing[*]}" >&2
  exit 1
fi
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  echo "ostrivane: installing ${missing[*]} with sudo (you may be asked for your password)" >&2
  sudo=(sudo)
else
  echo "ostrivane: installing ${missing[*]}" >&2
fi
"${sudo[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
