#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing, running and
# packaging need. Idempotent: dpkg is asked first, so a second run costs
# seconds. `install-deps.sh --list` prints the packages and installs nothing.
#
# Installing takes root: as root apt-get runs directly, otherwise through
# sudo; without either it names the missing packages and stops (status 1).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev libgl-dev qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev libmuparser-dev libboost-dev
  # Arial's metric twin for the charts, and a proportional face for the
  # window's own texts (without one fontconfig falls back to a monospaced
  # Liberation face).
  fonts-liberation fonts-dejavu-core
  xvfb xauth
  # The Debian packages: CPack's DEB generator needs file, the source
  # package debhelper; the checks of the desktop entry, the AppStream
  # metadata, the manual pages and the bash completion need the rest.
  file debhelper desktop-file-utils appstream man-db bash-completion
  time
)

if [ "${1:-}" = --list ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

apt=(env DEBIAN_FRONTEND=noninteractive apt-get)
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    cat >&2 <<EOF
These Debian packages are missing: ${missing[*]}
Installing them needs root, and this user is neither root nor able to use
sudo. Run this again as root, or install sudo and allow this user to use it,
or ask an administrator to run:
  apt-get install ${missing[*]}
EOF
    exit 1
  fi
  apt=(sudo "${apt[@]}")
fi

echo "Installing: ${missing[*]}"
"${apt[@]}" update -qq
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}"
