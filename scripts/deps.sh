#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that building, running and testing ztprog need, only when missing.
set -euo pipefail
pkgs=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format pkg-config
  qt6-base-dev qt6-serialport-dev qt6-multimedia-dev libqt6svg6
  libsimpleini-dev libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-microhei fonts-dejavu-core xvfb xauth python3 locales ccache qt6-translations-l10n
  at-spi2-core python3-pyatspi dbus xdotool imagemagick poppler-utils
  dpkg-dev help2man librsvg2-bin desktop-file-utils lintian appstream
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
