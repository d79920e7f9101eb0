#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks that the desktop files
# land where desktops look for them (freedesktop.org menus, icons and MIME types).
#   install_test.sh BUILD_DIR
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
cd "$prefix/share"

fail=0
expect() { [ -s "$1" ] || { echo "missing: $1"; fail=1; }; }
expect ../bin/osiowiec-cli
expect applications/osiowiec.desktop
expect mime/packages/osiowiec.xml
for icon in apps/osiowiec mimetypes/application-x-osiowiec-chart; do
  expect "icons/hicolor/scalable/$icon.svg"
  for size in 16 32 48 64 128 256; do
    png="icons/hicolor/${size}x${size}/$icon.png"
    expect "$png"
    # PNG width and height, big-endian, at bytes 16 to 23.
    read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$png")
    [ "$w $h" = "$size $size" ] || { echo "$png is ${w}x$h"; fail=1; }
  done
done

# Where the desktop's own tools are present, they must accept the files.
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate --no-hints applications/osiowiec.desktop || fail=1
fi
if command -v update-mime-database >/dev/null; then
  update-mime-database mime
  grep -qx '50:application/x-osiowiec-chart:\*\.osw' mime/globs2 || { echo "no *.osw glob"; fail=1; }
fi
exit $fail
