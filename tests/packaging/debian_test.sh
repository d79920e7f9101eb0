#!/usr/bin/env bash
# The Debian source package in debian/, read as dpkg-buildpackage and lintian
# would read it, without building it: the fields a policy-complete package
# needs, a version and changelog that agree with the project, build
# dependencies the set-up script installs, and the licence in every place
# that states it.
#   debian_test.sh SOURCE_DIR VERSION
set -uo pipefail
source_dir=$1 version=$2
. "$(dirname "$0")/../cli/checks.sh"
debian="$source_dir/debian"

# field FILE PARAGRAPH NAME: the field's value, continuation lines joined by
# newlines (paragraphs counted from 1).
field() {
  awk -v want="$2" -v name="$3" '
    BEGIN { paragraph = 1; on = 0 }
    /^$/ { if (seen) paragraph++; seen = 0; on = 0; next }
    { seen = 1 }
    paragraph != want { next }
    /^[^ \t]/ { on = (tolower(substr($0, 1, index($0, ":") - 1)) == tolower(name))
                if (on) { value = substr($0, index($0, ":") + 1); sub(/^ /, "", value); print value }
                next }
    on { print }' "$1"
}
# The package names of a relation field, without versions, architectures
# or build profiles; the first of alternatives.
names() {
  tr ',\n' '\n\n' | sed -E 's/\|.*//; s/\(.*\)//; s/\[.*\]//; s/<.*>//; s/[[:space:]]//g' | grep -v '^$'
}

for file in changelog control copyright rules source/format; do
  [ -f "$debian/$file" ] || fail "no debian/$file"
done
[ -x "$debian/rules" ] || fail "debian/rules is not executable"
[ "$(cat "$debian/source/format")" = "3.0 (quilt)" ] ||
  fail "source format: $(cat "$debian/source/format")"

# The changelog: this version with the first Debian revision, for bookworm,
# signed by the project's maintainer (the signer of the upstream changelog).
parsed=$(cd "$source_dir" && dpkg-parsechangelog -l debian/changelog 2>&1) ||
  fail "dpkg-parsechangelog: $parsed"
[ "$(field <(echo "$parsed") 1 Version)" = "$version-1" ] ||
  fail "debian/changelog version: $(field <(echo "$parsed") 1 Version), not $version-1"
[ "$(field <(echo "$parsed") 1 Distribution)" = bookworm ] ||
  fail "debian/changelog distribution: $(field <(echo "$parsed") 1 Distribution)"
maintainer=$(field <(echo "$parsed") 1 Maintainer)
upstream_signer=$(sed -n 's/^ -- \(.*>\)  .*/\1/p' "$source_dir/packaging/changelog" | head -n 1)
[ "$maintainer" = "$upstream_signer" ] ||
  fail "debian/changelog signed by $maintainer, packaging/changelog by $upstream_signer"

# The source paragraph.
control="$debian/control"
while IFS='|' read -r name expected; do
  [ "$(field "$control" 1 "$name")" = "$expected" ] ||
    fail "control: $name is '$(field "$control" 1 "$name")', not '$expected'"
done <<'EOF_ROWS'
Source|osiowiec
Section|math
Priority|optional
Standards-Version|4.6.2
Rules-Requires-Root|no
EOF_ROWS
[ "$(field "$control" 1 Maintainer)" = "$maintainer" ] ||
  fail "control: Maintainer $(field "$control" 1 Maintainer), the changelog's $maintainer"
[ -z "$(field "$control" 1 Homepage)" ] || fail "control names a Homepage"
build_depends=$(field "$control" 1 Build-Depends)
contains Build-Depends "$build_depends" "debhelper-compat (= 13)"
# Everything the build needs is installed by the set-up script too, so a
# machine set up by ./run.sh or ./test.sh builds the package.
set_up=$(bash "$source_dir/scripts/install-deps.sh" --list)
for package in $(names <<<"$build_depends"); do
  [ "$package" = debhelper-compat ] && package=debhelper
  grep -qx "$package" <<<"$set_up" || fail "install-deps.sh does not install $package"
done
for package in cmake ninja-build qt6-base-dev qt6-svg-dev libboost-dev libgtest-dev file; do
  grep -qx "$package" < <(names <<<"$build_depends") || fail "Build-Depends lacks $package"
done
# Test-only packages are left out by the nocheck profile.
contains Build-Depends "$build_depends" "libgtest-dev <!nocheck>"

# The binary paragraph: what Qt and the charts need at run time beside the
# libraries dpkg-shlibdeps finds, and an English description that is the
# one the CPack package carries.
[ "$(field "$control" 2 Package)" = osiowiec ] || fail "control: no osiowiec paragraph"
[ "$(field "$control" 2 Architecture)" = any ] || fail "control: Architecture"
depends=$(field "$control" 2 Depends)
for package in fonts-dejavu-core fonts-liberation qt6-qpa-plugins '${shlibs:Depends}' '${misc:Depends}'; do
  grep -qxF -- "$package" < <(names <<<"$depends") || fail "Depends lacks $package"
done
description=$(field "$control" 2 Description)
[ "$(head -n 1 <<<"$description")" = "function plotter for the classroom" ] ||
  fail "short description: $(head -n 1 <<<"$description")"
long=$(tail -n +2 <<<"$description" | sed 's/^ //; s/^\.$//')
[ "$long" = "$(cat "$source_dir/packaging/description.txt")" ] ||
  fail "the long description differs from packaging/description.txt"

# The rules: debhelper with CMake, all hardening, the benchmarks left out.
rules=$(cat "$debian/rules")
contains rules "$rules" "dh \$@ --buildsystem=cmake"
contains rules "$rules" "DEB_BUILD_MAINT_OPTIONS = hardening=+all"
contains rules "$rules" "-DOSIOWIEC_BENCH=OFF"
[ -f "$source_dir/debian/compat" ] && fail "debian/compat beside debhelper-compat"

# The licence: GPL-3+ for the whole tree in the machine-readable copyright,
# with its text in LICENSE.
copyright=$(cat "$debian/copyright")
contains copyright "$copyright" "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
[ "$(field "$debian/copyright" 2 Files)" = "*" ] || fail "copyright: the second paragraph is not Files: *"
[ "$(field "$debian/copyright" 2 License)" = "GPL-3+" ] ||
  fail "copyright: Files: * is under $(field "$debian/copyright" 2 License)"
contains copyright "$copyright" "/usr/share/common-licenses/GPL-3"
cmp -s "$debian/copyright" "$source_dir/packaging/copyright" ||
  fail "packaging/copyright, which the tree installs, differs from debian/copyright"
head -n 2 "$source_dir/LICENSE" | tr -s ' \n' '  ' | grep -q "GNU GENERAL PUBLIC LICENSE Version 3, 29 June 2007" ||
  fail "LICENSE is not the GPL version 3"
if [ -f /usr/share/common-licenses/GPL-3 ]; then
  cmp -s "$source_dir/LICENSE" /usr/share/common-licenses/GPL-3 || fail "LICENSE is not the whole GPL-3 text"
fi

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "debian/: all checks passed"
