#!/usr/bin/env bash
# Builds the Debian package from a build tree into a temporary folder and
# checks what it holds: every file a desktop, man and bash look for, the
# control fields, and that the desktop entry, the AppStream metadata and the
# manual pages pass their own tools. Needs no root.
#   package_test.sh BUILD_DIR VERSION OSIOWIEC_CLI
set -euo pipefail
build=$1 version=$2 cli=$3
. "$(dirname "$0")/../cli/checks.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# gzip instead of xz: the test tree's binaries are large and unoptimised.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" \
  -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb="$work/osiowiec_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "no $deb:"; ls "$work"; exit 1; }

# The files, by the paths the desktop and the tools look in.
listing=$(dpkg-deb -c "$deb" | awk '{print $NF}')
expected=(
  usr/bin/osiowiec usr/bin/osiowiec-cli
  usr/share/applications/osiowiec.desktop
  usr/share/mime/packages/osiowiec.xml
  usr/share/metainfo/org.example.osiowiec.metainfo.xml
  usr/share/man/man1/osiowiec.1.gz usr/share/man/man1/osiowiec-cli.1.gz
  usr/share/man/pl/man1/osiowiec.1.gz usr/share/man/pl/man1/osiowiec-cli.1.gz
  usr/share/bash-completion/completions/osiowiec-cli
  usr/share/doc/osiowiec/copyright usr/share/doc/osiowiec/changelog.gz
)
for icon in apps/osiowiec mimetypes/application-x-osiowiec-chart; do
  expected+=("usr/share/icons/hicolor/scalable/$icon.svg")
  for size in 16 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/$icon.png")
  done
done
for file in "${expected[@]}"; do
  grep -qx "\./$file" <<<"$listing" || fail "not in the package: /$file"
done
# Only what the package owns: no /usr/local, no caches the desktop's own
# triggers build on the target machine.
unexpected=$(grep -E '^\./usr/local/|^\./usr/share/mime/[^/]+$|icon-theme\.cache|mimeinfo\.cache' <<<"$listing" || true)
[ -z "$unexpected" ] || fail "files the package must not hold: $unexpected"

# The control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = osiowiec ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Section)" = math ] || fail "Section: $(field Section)"
contains Maintainer "$(field Maintainer)" "@"
depends=$(field Depends)
contains Depends "$depends" "fonts-liberation"
contains Depends "$depends" "fonts-dejavu-core"
contains Depends "$depends" "qt6-qpa-plugins"
contains Depends "$depends" "libqt6gui6"
contains Depends "$depends" "libc6"
description=$(field Description)
contains Description "$description" "function plotter"
contains Description "$description" "in Polish"

root="$work/root"
dpkg-deb -x "$deb" "$root"
share="$root/usr/share"
desktop-file-validate --no-hints "$share/applications/osiowiec.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/org.example.osiowiec.metainfo.xml" >"$work/as.log" 2>&1 ||
  fail "appstreamcli validate: $(cat "$work/as.log")"
contains metainfo "$(cat "$share/metainfo/org.example.osiowiec.metainfo.xml")" "<release version=\"$version\""

# The licence.
contains copyright "$(cat "$share/doc/osiowiec/copyright")" "License: GPL-3+"

# Manual pages and the changelog: gzip -9n (no name, no time: reproducible),
# and pages that man formats without a warning.
for gz in "$share"/man/man1/osiowiec{,-cli}.1.gz "$share"/man/pl/man1/osiowiec{,-cli}.1.gz \
          "$share/doc/osiowiec/changelog.gz"; do
  gzip -t "$gz" || fail "$gz is not gzip"
  # Flags (no FNAME) and the time stamp: bytes 3 to 7.
  header=$(od -An -tx1 -j3 -N5 "$gz" | tr -d ' ')
  [ "$header" = 0000000000 ] || fail "$gz has a name or a time stamp: $header"
done
for page in {,pl/}man1/osiowiec{,-cli}.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z \
    "$share/man/$page" 2>&1 >/dev/null || echo "man failed")
  [ -z "$warnings" ] || fail "man $page: $warnings"
  text=$(zcat "$share/man/$page")
  contains "man $page" "$text" "$version"
  contains "man $page" "$text" "GPLv3+"
done
# Each language in its own words.
contains "English man page" "$(zcat "$share/man/man1/osiowiec.1.gz")" ".SH DESCRIPTION"
contains "Polish man page" "$(zcat "$share/man/pl/man1/osiowiec.1.gz")" ".SH OPIS"

# Every command and option the tool's help names is in both its manual pages
# and in its completion (the help is the tool's own list).
page=$(zcat "$share/man/man1/osiowiec-cli.1.gz" | sed 's/\\-/-/g')
polish_page=$(zcat "$share/man/pl/man1/osiowiec-cli.1.gz" | sed 's/\\-/-/g')
. /usr/share/bash-completion/bash_completion
. "$share/bash-completion/completions/osiowiec-cli"
complete_words() { # WORD... (the last one is being completed)
  COMP_WORDS=(osiowiec-cli "$@")
  COMP_CWORD=$#
  COMP_LINE="osiowiec-cli $*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _osiowiec_cli osiowiec-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  if ((${#COMPREPLY[@]})); then printf '%s\n' "${COMPREPLY[@]}"; fi
}
commands=$(complete_words "")
command=""
while IFS= read -r line; do
  if [[ $line =~ ^\ \ [a-z-] ]]; then # a command's first line
    read -r command _ <<<"$line"
    grep -qx -- "$command" <<<"$commands" || fail "completion lacks the command $command"
    contains "man page" "$page" "$command"
    contains "Polish man page" "$polish_page" "$command"
  elif [[ ! $line =~ ^\ \ \  ]]; then # not a command's line continued
    continue
  fi
  [[ $command == -* || $command == help ]] && continue
  offered=$(cd "$work" && complete_words "$command" "-")
  for option in $(grep -oE -- '(^|[[ ])--?[a-z]+' <<<"$line" | tr -d '[ '); do
    grep -qx -- "$option" <<<"$offered" || fail "completion of $command lacks $option"
    contains "man page, $command" "$page" "$option"
    contains "Polish man page, $command" "$polish_page" "$option"
  done
done < <("$cli" help)

# File names by what the command takes.
mkdir "$work/files"
touch "$work/files/"{wykres.osw,obraz.png,rysunek.svg,notatki.txt}
in_files() { (cd "$work/files" && complete_words "$@" | sort | tr '\n' ' '); }
[ "$(in_files dump "")" = "wykres.osw " ] || fail "dump offers: $(in_files dump "")"
[ "$(in_files render wykres.osw -o "")" = "obraz.png rysunek.svg " ] ||
  fail "render -o offers: $(in_files render wykres.osw -o "")"
[ "$(in_files new -o "")" = "wykres.osw " ] || fail "new -o offers: $(in_files new -o "")"
[ -z "$(in_files eval --order "")" ] || fail "eval --order offers: $(in_files eval --order "")"

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "package: ${#expected[@]} files checked"
