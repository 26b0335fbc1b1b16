#!/usr/bin/env bash
# Installs the Debian packages the project needs (or those named on the command line).
# Idempotent and non-interactive.
# Usage: scripts/setup.sh [PACKAGE...]
set -euo pipefail

packages=("$@")
((${#packages[@]})) || packages=(
  cmake g++ make pkg-config clang libclang-rt-14-dev
  qt6-base-dev libgl-dev libfontconfig-dev libfreetype-dev fontconfig
  libgtest-dev googletest
  python3 python3-fonttools python3-brotli fonts-dejavu-core fonts-cantarell
  xvfb xauth
  util-linux procps
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
echo "setup: all packages present"
