#!/usr/bin/env bash
# Installs every Debian package the project needs, skipping what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format ccache
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
  libsnmp-dev snmp snmpsim
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  ieee-data gettext python3 fonts-dejavu-core fonts-wqy-zenhei qt6-translations-l10n
  xvfb xauth xdotool openbox
  libmuparser-dev libpcap-dev clang libclang-rt-14-dev tshark python3-scapy iproute2
  dpkg-dev file lintian adduser debhelper debootstrap autopkgtest
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
