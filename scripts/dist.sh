#!/usr/bin/env bash
# Makes the releases from built trees with CPack (the install rules of packaging/): the Debian
# package from the Linux tree, checked with lintian, and the zip from the i686 Windows tree.
# `make dist` runs it over build/native and build/win32; the tests run it over their own tree.
#
# usage: dist.sh [--deb NATIVE-TREE] [--zip WIN32-TREE] OUTPUT-DIR
# Exit status: 0 made; 1 CPack failed or lintian found an error or a warning; 2 wrong usage.
set -euo pipefail

deb_tree= zip_tree=
while [ $# -gt 1 ]; do
    case $1 in
        --deb) deb_tree=$2; shift 2 ;;
        --zip) zip_tree=$2; shift 2 ;;
        *) break ;;
    esac
done
if [ $# -ne 1 ] || { [ -z "$deb_tree" ] && [ -z "$zip_tree" ]; }; then
    echo "usage: dist.sh [--deb NATIVE-TREE] [--zip WIN32-TREE] OUTPUT-DIR" >&2
    exit 2
fi
out=$1
mkdir -p "$out"
staging=$(mktemp -d "${TMPDIR:-/tmp}/lesamo-dist.XXXXXX")
trap 'rm -rf "$staging" "$staging".*' EXIT

# package TREE PATTERN: the tree's package, made in a staging folder of its own (CPack keeps its
# work files beside the package), replacing any earlier one of that kind in OUTPUT-DIR.
package() {
    local tree=$1 pattern=$2 made
    [ -f "$tree/CPackConfig.cmake" ] || { echo "dist: $tree is not a configured build tree" >&2; exit 1; }
    rm -rf "${staging:?}"/*
    if ! cpack --config "$tree/CPackConfig.cmake" -B "$staging" >"$staging.log" 2>&1; then
        cat "$staging.log" >&2
        rm -f "$staging.log"
        exit 1
    fi
    rm -f "$staging.log"
    made=$(find "$staging" -maxdepth 1 -name "$pattern")
    [ -n "$made" ] || { echo "dist: CPack made no $pattern in $tree" >&2; exit 1; }
    rm -f "$out"/$pattern
    mv "$made" "$out/"
    echo "$out/$(basename "$made")"
}

if [ -n "$deb_tree" ]; then
    deb=$(package "$deb_tree" 'lesamo_*.deb')
    # No error and no warning; the informational tags are listed in README.md.
    status=0
    lintian --fail-on error,warning "$deb" >"$staging.lintian" 2>&1 || status=$?
    grep -v '^running with root privileges' "$staging.lintian" >&2 || true
    rm -f "$staging.lintian"
    [ "$status" -eq 0 ] || { echo "dist: lintian rejects $deb" >&2; exit 1; }
    ls -l "$deb"
fi
if [ -n "$zip_tree" ]; then
    zip=$(package "$zip_tree" 'lesamo-*-win32.zip')
    ls -l "$zip"
fi
