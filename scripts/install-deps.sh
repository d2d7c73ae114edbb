#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, test and run.
# Only missing packages are installed; when everything is present nothing
# touches the network. Run as root (or through sudo).
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build git pkg-config
  qt6-base-dev libgl-dev libglu1-mesa-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-ipafont-gothic libgl1-mesa-dri
  clang libclang-rt-14-dev
  admesh libpolyclipping-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
