#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those missing.
# Sourced or run by the other scripts; safe to run again.
set -euo pipefail

QUILL_PACKAGES=(
  build-essential cmake pkg-config ninja-build lld
  libxml2-dev libgtest-dev libbenchmark-dev
  qt6-base-dev qt6-qpa-plugins libqt6opengl6-dev qt6-translations-l10n
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri mesa-utils
  fonts-dejavu-core
  xvfb xauth xdotool imagemagick
  # What scripts/playback-cpu.sh measures against and looks with.
  openbox mpv x11-utils
  libmpv-dev libavformat-dev ffmpeg
  python3
  clang-14 libclang-rt-14-dev llvm-14 bc
  # The package and the checks of what it installs (scripts/test.sh).
  dpkg-dev desktop-file-utils appstream libxml2-utils man-db
  shared-mime-info xdg-utils libfile-mimeinfo-perl
)

missing=()
for p in "${QUILL_PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installation des paquets manquants : ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
