#!/usr/bin/env bash
# Installs every Debian package the build, the application and the tests need.
# Safe to run more than once.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev qt6-charts-dev libgl-dev
  qt6-tools-dev libqt6opengl6-dev
  libxml2-dev libusb-1.0-0-dev libicu-dev
  desktop-file-utils
  libdc1394-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  locales
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A locale with a decimal comma, so the tests can prove that number text
# ignores the process locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  if [ "$(id -u)" -eq 0 ]; then
    localedef -i de_DE -f UTF-8 de_DE.UTF-8 || true
  fi
fi
