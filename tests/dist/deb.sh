#!/usr/bin/env bash
# The Debian package as a user gets it: made by scripts/dist.sh from this tree (lintian finds
# no error or warning there), unpacked into a throwaway root, and the programs run from there:
# the installed lesamo finds two readers of the installed reader-sim and OK writes both files.
#
# usage: deb.sh TREE VERSION
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: deb.sh TREE VERSION" >&2; exit 2; }
tree=$1 version=$2
source=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/lesamo-deb.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$source/scripts/dist.sh" --deb "$tree" "$work" >/dev/null
deb=$work/lesamo_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work")"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "control Version $(dpkg-deb -f "$deb" Version)"
dpkg-deb -f "$deb" Depends | grep -q 'libncursesw6' || fail "Depends: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -x "$deb" "$work/root"

# `cmake --install --strip` with DESTDIR installs the package's files, no more, no fewer.
DESTDIR=$work/install cmake --install "$tree" --strip >/dev/null
files() { (cd "$1" && find . ! -type d | sort); }
diff <(files "$work/root") <(files "$work/install") >&2 || fail "the install differs from the package"

for page in lesamo reader-sim; do
    file=$work/root/usr/share/man/man1/$page.1.gz
    [ -f "$file" ] || fail "no manual page $page(1)"
    zcat "$file" | grep -q "^\.TH [A-Z-]* 1 \"[0-9-]*\" \"Lesamo $version\"" ||
        fail "$page(1): $(zcat "$file" | grep '^\.TH')"
    warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page(1) renders with warnings:"$'\n'"$warnings"
done
file "$work/root/usr/bin/lesamo" "$work/root/usr/bin/reader-sim" | grep -v ', stripped$' >&2 &&
    fail "binaries not stripped"

LESAMO=$work/root/usr/bin/lesamo READER_SIM=$work/root/usr/bin/reader-sim \
    bash "$source/tests/terminal/cases.sh" two_readers_then_ok
