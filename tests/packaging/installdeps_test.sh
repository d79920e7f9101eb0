#!/usr/bin/env bash
# scripts/install-deps.sh against stand-ins for dpkg-query, id, sudo and
# apt-get: what it installs, through what, and what it says when it cannot.
# Nothing is installed.
#   installdeps_test.sh SOURCE_DIR
set -uo pipefail
source_dir=$1
script="$source_dir/scripts/install-deps.sh"
. "$(dirname "$0")/../cli/checks.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Only the stand-ins and the plain tools the script uses are on the PATH, so
# a real sudo or apt-get of this machine is never reached.
bin="$work/bin"
mkdir "$bin"
for tool in grep cat env; do
  ln -s "$(command -v "$tool")" "$bin/$tool"
done
# STUB_MISSING: the packages dpkg reports as not installed, or "all".
cat >"$bin/dpkg-query" <<'EOF'
#!/bin/bash
package=${!#}
if [ "$STUB_MISSING" = all ] || [[ " $STUB_MISSING " == *" $package "* ]]; then
  printf 'unknown ok not-installed'
else
  printf 'install ok installed'
fi
EOF
cat >"$bin/id" <<'EOF'
#!/bin/bash
echo "$STUB_UID"
EOF
cat >"$bin/apt-get" <<'EOF'
#!/bin/bash
echo "apt-get $* (DEBIAN_FRONTEND=${DEBIAN_FRONTEND:-})" >>"$STUB_LOG"
exit "$STUB_APT_STATUS"
EOF
cat >"$work/sudo" <<'EOF'
#!/bin/bash
echo "sudo" >>"$STUB_LOG"
exec "$@"
EOF
chmod +x "$bin"/* "$work/sudo"

packages=$(bash "$script" --list)
for package in file fonts-dejavu-core fonts-liberation debhelper build-essential; do
  grep -qx "$package" <<<"$packages" || fail "--list lacks $package"
done
[ "$(wc -l <<<"$packages")" -ge 20 ] || fail "--list: $packages"

# name | uid | missing | sudo (yes/no) | apt status | status | log | standard error
while IFS='|' read -r name uid missing sudo apt_status status log err; do
  rm -f "$bin/sudo" "$work/log"
  touch "$work/log"
  [ "$sudo" = yes ] && ln -s "$work/sudo" "$bin/sudo"
  PATH=$bin STUB_UID=$uid STUB_MISSING=$missing STUB_APT_STATUS=$apt_status STUB_LOG=$work/log \
    /bin/bash "$script" >"$work/out" 2>"$work/err"
  got=$?
  [ "$got" = "$status" ] || fail "$name: status $got, not $status: $(cat "$work/err")"
  got_log=$(tr '\n' ';' <"$work/log")
  [ "$got_log" = "$log" ] || fail "$name: ran [$got_log], not [$log]"
  if [ -n "$err" ]; then
    for part in ${err//;/ }; do
      contains "$name: standard error" "$(cat "$work/err")" "${part//_/ }"
    done
  elif [ "$status" = 0 ] && [ -s "$work/err" ]; then
    fail "$name: wrote to standard error: $(cat "$work/err")"
  fi
done <<'EOF_ROWS'
nothing missing, no root, no sudo|1000||no|0|0||
as root: apt-get itself|0|file fonts-dejavu-core|no|0|0|apt-get update -qq (DEBIAN_FRONTEND=noninteractive);apt-get install -y -qq --no-install-recommends fonts-dejavu-core file (DEBIAN_FRONTEND=noninteractive);|
a user with sudo: through sudo|1000|file|yes|0|0|sudo;apt-get update -qq (DEBIAN_FRONTEND=noninteractive);sudo;apt-get install -y -qq --no-install-recommends file (DEBIAN_FRONTEND=noninteractive);|
a user without sudo: says what is needed|1000|file fonts-dejavu-core|no|0|1||missing:_fonts-dejavu-core_file;root;sudo;apt-get_install_fonts-dejavu-core_file
a failing apt-get stops it|0|file|no|100|100|apt-get update -qq (DEBIAN_FRONTEND=noninteractive);|
EOF_ROWS

# Every package of the list is asked about.
PATH=$bin STUB_UID=1000 STUB_MISSING=all STUB_APT_STATUS=0 STUB_LOG=$work/log \
  /bin/bash "$script" >/dev/null 2>"$work/err"
for package in $packages; do
  contains "all missing" "$(cat "$work/err")" " $package"
done

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "install-deps: all checks passed"
