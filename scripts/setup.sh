#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests use.
# The one list that the README's commands and CI share.
set -euo pipefail

PACKAGES=(
  cmake g++ make pkg-config clang-format
  libgtest-dev
  qt6-base-dev fontconfig fonts-dejavu-core fonts-dejavu-extra xvfb xauth
  # Qt's dialogs in Russian; XKB, which Qt's CMake files look for; the
  # screen tests' own X connection, window manager, and xprop to see it up.
  qt6-translations-l10n libxkbcommon-dev libxcb1-dev openbox x11-utils
  libcurl4-openssl-dev nlohmann-json3-dev libcpp-httplib-dev
  clang libclang-rt-14-dev
  python3-mutagen eyed3 kid3-cli libtag1-dev ffmpeg lame
  # A real exFAT drive through FUSE for the rename tests.
  exfatprogs exfat-fuse fuse3
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
