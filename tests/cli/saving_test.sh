#!/usr/bin/env bash
# osiowiec-cli writing files: failures reported, links followed, charts that
# open again, settings kept.
set -u
cli=$1
dir=$(mktemp -d)
small=$dir/small
cleanup() {
  mountpoint -q "$small" 2>/dev/null && umount "$small"
  rm -rf "$dir"
}
trap cleanup EXIT
. "$(dirname "$0")/checks.sh"

"$cli" new -f "sin(x)" -f "x^2" -o "$dir/a.osw" || fail "new"

# Regression: onto a full disk render reported success and left a cut-off
# file.
mkdir "$small"
if mount -t tmpfs -o size=64k tmpfs "$small" 2>/dev/null; then
  printf 'old' > "$small/kept.png"
  cat /dev/zero > "$small/filler" 2>/dev/null
  for out in out.png out.svg out.pdf kept.png; do
    err=$("$cli" render "$dir/a.osw" -o "$small/$out" 2>&1 >/dev/null) && fail "render $out onto a full disk"
    contains "render $out" "$err" "Nie udało się zapisać pliku '$small/$out'"
  done
  err=$("$cli" new -o "$small/full.osw" 2>&1 >/dev/null) && fail "new onto a full disk"
  contains "new onto a full disk" "$err" "Nie udało się zapisać pliku '$small/full.osw'"
  [ "$(cat "$small/kept.png")" = old ] || fail "the old file was touched"
  [ "$(ls -A "$small" | tr '\n' ' ')" = "filler kept.png " ] || fail "left behind: $(ls -A "$small")"
else
  echo "SKIP full disk: a tmpfs cannot be mounted here"
fi

# Regression: a link was replaced by a regular file.
ln -s target.osw "$dir/link.osw"
"$cli" new -f "x" -o "$dir/link.osw" || fail "new through a link"
[ -L "$dir/link.osw" ] || fail "the link was replaced"
contains "link target" "$("$cli" dump "$dir/target.osw")" '"m_strFormula":"x"'
ln -s target.png "$dir/link.png"
"$cli" render "$dir/a.osw" -o "$dir/link.png" || fail "render through a link"
[ -L "$dir/link.png" ] && [ -s "$dir/target.png" ] || fail "render replaced the link"

# Regression: with a platform that needs a display render aborted.
for platform in xcb wayland; do
  QT_QPA_PLATFORM=$platform DISPLAY= WAYLAND_DISPLAY= "$cli" render "$dir/a.osw" -o "$dir/$platform.png" \
    || fail "render with QT_QPA_PLATFORM=$platform"
done

# Regression: a formula error did not say which -f, nor where.
err=$("$cli" new -f "sin(x)" -f "cos(x" -o "$dir/bad.osw" 2>&1 >/dev/null) && fail "bad formula accepted"
contains "which -f" "$err" "-f 2: syntax error: "
contains "where" "$err" " at 5"
[ ! -e "$dir/bad.osw" ] || fail "refused chart was written"

# Regression: 10001 functions were written but refused when read.
args=()
for _ in $(seq 10001); do args+=(-f x); done
"$cli" new "${args[@]}" -o "$dir/many.osw" || fail "new with 10001 functions"
count=$("$cli" dump "$dir/many.osw" | grep -o '"m_strFormula"' | wc -l)
[ "$count" = 10001 ] || fail "10001 functions read back as $count"

# Regression: with 50 functions the table step was widened and saved.
"$cli" new "${args[@]:0:100}" --table 0:100:0.01 -o "$dir/fifty.osw" || fail "new with 50 functions"
contains "table step kept" "$("$cli" dump "$dir/fifty.osw")" '"m_tableStep":0.01,'
# The header and 10001 rows: row 10000 stands at 10000 * 0.01, which is 100.
rows=$("$cli" table "$dir/fifty.osw" | wc -l)
[ "$rows" = 10002 ] || fail "table of 50 functions has $rows lines"

echo "$failures failed"
[ "$failures" -eq 0 ]
