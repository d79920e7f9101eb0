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

# On a machine without a display the command-line tool shows what the
# program draws.
echo "No display: rendering a sample chart to sample.png instead."
chart="${1:-}"
if [ -z "$chart" ]; then
  chart=$(mktemp --suffix=.osw)
  trap 'rm -f "$chart"' EXIT
  build/cli/osiowiec-cli new -f "sin(x)" -f "tan(x)" -f "x^3/6;2" -o "$chart"
fi
build/cli/osiowiec-cli render "$chart" -o sample.png
echo "Wrote sample.png. The command-line tool:"
build/cli/osiowiec-cli help
