#!/usr/bin/env bash
# Installs what is missing, builds the Release configuration in build/ and
# starts Osiowiec. Arguments are passed to the program (a chart file to open).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DOSIOWIEC_TESTS=OFF -DOSIOWIEC_BENCH=ON >/dev/null
cmake --build build -j "$(nproc)"

if [ -x build/app/osiowiec ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/app/osiowiec "$@"
fi

if [ -x build/app/osiowiec ]; then
  echo "No display: rendering a sample chart to sample.png instead."
fi
if build/cli/osiowiec-cli help 2>/dev/null | grep -q render; then
  tmp=$(mktemp --suffix=.osw)
  build/cli/osiowiec-cli new -f "sin(x)" -f "tan(x)" -f "x^3/6;2" -o "$tmp"
  build/cli/osiowiec-cli render "$tmp" -o sample.png
  rm -f "$tmp"
  echo "Wrote sample.png"
else
  echo "The window is not built yet; the command-line tool is:"
  build/cli/osiowiec-cli help
fi
