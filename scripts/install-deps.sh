#!/usr/bin/env bash
# Installs, through apt-get, whatever of the build and test tools is missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-translations-l10n qt6-l10n-tools libgl-dev
  libicu-dev poppler-utils
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-dejavu-core fonts-liberation2
  xdg-utils
  clang libclang-rt-14-dev
  xvfb openbox xdotool xclip x11-utils
  libgif-dev libcurl4-openssl-dev qtkeychain-qt6-dev python3-aiosmtpd
  libreoffice-writer-nogui
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo=sudo
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
