#!/usr/bin/env bash
# The Debian package as a user gets it: made by scripts/dist.sh from this tree (lintian finds
# no error, warning or hardening tag there), unpacked into a throwaway root, and the programs
# run from there: both answer --help and --version at once without a terminal, and the
# installed lesamo finds two readers of the installed lesamo-reader-sim; OK writes both files.
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

[ "$(ls "$work/root/usr/bin" | paste -sd ' ')" = "lesamo lesamo-reader-sim" ] ||
    fail "/usr/bin holds: $(ls "$work/root/usr/bin")"
for page in lesamo lesamo-reader-sim; do
    file=$work/root/usr/share/man/man1/$page.1.gz
    [ -f "$file" ] || fail "no manual page $page(1)"
    zcat "$file" | grep -q "^\.TH [A-Z-]* 1 \"[0-9-]*\" \"Lesamo $version\"" ||
        fail "$page(1): $(zcat "$file" | grep '^\.TH')"
    warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page(1) renders with warnings:"$'\n'"$warnings"
    for option in --help --version; do
        MANWIDTH=80 man -l "$file" 2>/dev/null | grep -qE "^ +(-h, )?$option\b" || fail "$page(1) lists no option $option"
    done
done
file "$work/root/usr/bin/lesamo" "$work/root/usr/bin/lesamo-reader-sim" | grep -v ', stripped$' >&2 &&
    fail "binaries not stripped"

# The command line as installed, without a terminal (standard input from /dev/null, output
# into files): the answer at once on standard output and nothing on standard error, or a
# usage error on standard error and nothing on standard output. Each line: PROGRAM|ARGUMENTS|
# STATUS|OUTPUT|ERROR, the last two extended regular expressions (no bar in them) for the first line of that
# stream ("" for an empty one); --version's second line is the copyright line of LICENSE.
copyright=$(grep -m 1 '^Copyright (c) ' "$source/LICENSE")
v=${version//./\\.}
while IFS='|' read -r program arguments status output error; do
    actual=0
    # shellcheck disable=SC2086  # the arguments are separate words
    timeout 5 "$work/root/usr/bin/$program" $arguments </dev/null >"$work/out" 2>"$work/err" || actual=$?
    what="$program $arguments"
    [ "$actual" = "$status" ] || fail "$what: exit status $actual, expected $status: $(cat "$work/err")"
    for stream in output error; do
        file=$work/${stream:0:3} pattern=${!stream}
        if [ -z "$pattern" ]; then
            [ ! -s "$file" ] || fail "$what: unexpected $stream: $(cat "$file")"
        else
            head -n 1 "$file" | grep -qE "$pattern" || fail "$what: $stream is not /$pattern/: $(cat "$file")"
        fi
    done
    [[ $arguments != --version ]] || [ "$(sed -n 2p "$work/out")" = "$copyright" ] ||
        fail "$what: no \"$copyright\" line: $(cat "$work/out")"
done <<TABLE
lesamo|--help|0|^Usage: lesamo \[--help . --version\]$|
lesamo|-h|0|^Usage: lesamo |
lesamo|--version|0|^lesamo \(Lesamo\) $v$|
lesamo|--version --help|0|^lesamo \(Lesamo\) |
lesamo|--hepl|2||^lesamo: --hepl: not understood \(see lesamo --help\)$
lesamo|com2 --help|2||^lesamo: com2: not understood
lesamo-reader-sim|--help|0|^Usage: lesamo-reader-sim |
lesamo-reader-sim|--version|0|^lesamo-reader-sim \(Lesamo\) $v$|
lesamo-reader-sim|--verison|2||^lesamo-reader-sim: --verison: not understood \(see lesamo-reader-sim --help\)$
TABLE
# Output that cannot be written is an error, not a silent success.
for program in lesamo lesamo-reader-sim; do
    actual=0
    "$work/root/usr/bin/$program" --help </dev/null >/dev/full 2>"$work/err" || actual=$?
    [ "$actual" = 2 ] && grep -q "^$program: cannot write to standard output" "$work/err" ||
        fail "$program --help >/dev/full: exit status $actual: $(cat "$work/err")"
done

LESAMO=$work/root/usr/bin/lesamo READER_SIM=$work/root/usr/bin/lesamo-reader-sim LESAMO_VERSION=$version \
    bash "$source/tests/terminal/cases.sh" two_readers_then_ok
