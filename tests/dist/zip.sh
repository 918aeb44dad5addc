#!/usr/bin/env bash
# The Windows download as a user gets it: made by scripts/dist.sh from this tree, unpacked
# into UNPACK-DIR (kept there: the Wine scenario runs the lesamo.exe in it), its files, their
# checksums and their Windows line ends checked, and the shipped lesamo.exe checked as the
# tree's is (tests/windows/pe-check.sh): stripping writes the PE time stamp anew.
#
# usage: zip.sh TREE VERSION UNPACK-DIR OBJDUMP SOURCE_DATE_EPOCH
set -euo pipefail
[ $# -eq 5 ] || { echo "usage: zip.sh TREE VERSION UNPACK-DIR OBJDUMP SOURCE_DATE_EPOCH" >&2; exit 2; }
tree=$1 version=$2 unpacked=$3 objdump=$4 epoch=$5
source=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/lesamo-zip.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$source/scripts/dist.sh" --zip "$tree" "$work" >/dev/null
zip=$work/lesamo-$version-win32.zip
[ -f "$zip" ] || fail "no $(basename "$zip"): $(ls "$work")"
rm -rf "$unpacked"
mkdir -p "$unpacked"
unzip -q "$zip" -d "$unpacked"
cd "$unpacked"
[ "$(find . ! -type d | sort | paste -sd ' ')" = "./LICENSE.txt ./LIESMICH.txt ./SHA256SUMS ./lesamo.exe" ] ||
    fail "the zip holds: $(find . ! -type d | sort | paste -sd ' ')"
sha256sum --strict -c SHA256SUMS >/dev/null || fail "checksums: $(sha256sum -c SHA256SUMS 2>&1)"
[ "$(cut -d ' ' -f 3 SHA256SUMS | tr -d '\r' | sort | paste -sd ' ')" = "LICENSE.txt LIESMICH.txt lesamo.exe" ] ||
    fail "SHA256SUMS covers: $(cut -d ' ' -f 3 SHA256SUMS)"
for text in LIESMICH.txt LICENSE.txt SHA256SUMS; do
    [ "$(tail -c 2 "$text" | od -An -c | tr -d ' ')" = '\r\n' ] || fail "$text does not end with CR LF"
    ! grep -q $'[^\r]$\|^$' "$text" || fail "$text has a line without CR LF"
done
# UTF-8 with a byte order mark, the version in its title line.
[ "$(head -c 3 LIESMICH.txt | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "LIESMICH.txt has no byte order mark"
iconv -f UTF-8 -t UTF-8 LIESMICH.txt >/dev/null || fail "LIESMICH.txt is not UTF-8"
head -n 1 LIESMICH.txt | grep -q "Lesamo $version " || fail "LIESMICH.txt's title: $(head -n 1 LIESMICH.txt)"
bash "$source/tests/windows/pe-check.sh" --objdump "$objdump" --machine i386 --subsystem windows \
    --timestamp "$epoch" --manifest lesamo.exe >/dev/null || fail "the shipped lesamo.exe (pe-check above)"
