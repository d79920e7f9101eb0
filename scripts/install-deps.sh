#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running need.
# Idempotent: dpkg is asked first, so a second run costs seconds.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev libgl-dev qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev libmuparser-dev libboost-dev
  fonts-liberation
  xvfb xauth
  # The Debian package's checks: its desktop entry, AppStream metadata,
  # manual pages and bash completion.
  desktop-file-utils appstream man-db bash-completion
  time
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
