#!/usr/bin/env bash
# Installs, only when missing, every Debian package needed to build, run and
# test the browser. Fast when everything is already present.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
  qt6-webengine-dev qt6-webengine-dev-tools libqt6sql6-sqlite qt6-translations-l10n
  libpsl-dev publicsuffix wamerican
  libgl-dev libxkbcommon-dev
  xvfb xauth
  fonts-noto-cjk fonts-noto-color-emoji fonts-material-design-icons-iconfont
  clang-format clang libclang-rt-14-dev
  desktop-file-utils appstream librsvg2-bin
  dpkg-dev debootstrap x11-utils python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
