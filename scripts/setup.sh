#!/usr/bin/env bash
# Installs the Debian packages Brenvik needs to build, run and test.
# Idempotent: does nothing (and prints nothing) when everything is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6test6 libqt6svg6 qt6-svg-dev
  qtkeychain-qt6-dev libsecret-1-0 libssl-dev
  libgtest-dev libgmock-dev
  curl openssh-client zip unzip tar
  openssh-server python3-pyftpdlib python3-openssl openssl proftpd-core
  gnome-keyring dbus dbus-x11 libsecret-tools xvfb xauth fonts-dejavu-core
  iproute2 procps e2fsprogs desktop-file-utils
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

# Never let package installation start system services (an sshd on port 22, say).
policy=/usr/sbin/policy-rc.d
created_policy=0
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' | $SUDO tee "$policy" >/dev/null
  $SUDO chmod 755 "$policy"
  created_policy=1
fi
cleanup() { if [ $created_policy -eq 1 ]; then $SUDO rm -f "$policy"; fi; }
trap cleanup EXIT

echo "Installiere Pakete: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get -o DPkg::Lock::Timeout=120 update -qq >/dev/null
$SUDO apt-get -o DPkg::Lock::Timeout=120 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
