#!/usr/bin/env bash
# --help and --version of both programs: they answer on standard output with
# status 0 and need no display; the program's other options still start it.
#   version_test.sh OSIOWIEC OSIOWIEC_CLI VERSION
set -uo pipefail
program=$1 cli=$2 version=$3
. "$(dirname "$0")/checks.sh"
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

# No display at all: neither X, nor Wayland, nor a platform named.
run() { # EXPECTED_STATUS COMMAND...
  local expected=$1
  shift
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$@" >"$out" 2>"$err"
  local status=$?
  [ "$status" -eq "$expected" ] || fail "$*: status $status, not $expected: $(head -c 400 "$err")"
}

while IFS='|' read -r name expected_out args; do
  # shellcheck disable=SC2086
  run 0 $args
  [ -s "$err" ] && fail "$name: wrote to standard error: $(head -c 400 "$err")"
  contains "$name" "$(cat "$out")" "$expected_out"
done <<EOF_ROWS
program --version|osiowiec $version|$program --version
program -v|osiowiec $version|$program -v
program --version after a file|osiowiec $version|$program wykres.osw --version
program --help|--version|$program --help
program -h names the charts|PLIK|$program -h
cli --version|osiowiec-cli $version|$cli --version
cli help|--version|$cli help
cli --help|receive HOST|$cli --help
EOF_ROWS

# The version is the whole first line; the copyright and the licence follow.
for name in osiowiec osiowiec-cli; do
  [ $name = osiowiec ] && binary=$program || binary=$cli
  run 0 "$binary" --version
  [ "$(head -n 1 "$out")" = "$name $version" ] || fail "$name --version printed: $(cat "$out")"
  for part in "Copyright (C) 2026 Zespół programu Osiowiec" \
              "GPLv3+: GNU GPL w wersji 3 lub późniejszej" "ŻADNEJ GWARANCJI"; do
    contains "$name --version" "$(cat "$out")" "$part"
  done
done

# An option the program does not know is refused by name with status 1,
# before any window system is loaded: with no display, no platform named,
# and among Qt's own options, which are taken as Qt takes them.
while IFS='|' read -r name unknown args; do
  # shellcheck disable=SC2086
  run 1 "$program" $args
  contains "$name" "$(cat "$err")" "$unknown"
  [ -s "$out" ] && fail "$name: wrote to standard output: $(head -c 400 "$out")"
done <<EOF_ROWS
program --nieznana|nieznana|--nieznana
program --bogus after a chart|bogus|wykres.osw --bogus
program --xyz among Qt's options|xyz|-platform offscreen -style fusion --xyz -reverse
EOF_ROWS
QT_QPA_PLATFORM=offscreen "$program" --nieznana >"$out" 2>"$err"
status=$?
[ "$status" -eq 1 ] || fail "program --nieznana on the offscreen platform: status $status"
contains "program --nieznana on the offscreen platform" "$(cat "$err")" "nieznana"

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "help and version: all checks passed"
