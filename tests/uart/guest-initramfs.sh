#!/usr/bin/env bash
# usage: guest-initramfs.sh INIT OUT: a newc cpio archive holding INIT as /init and an empty /dev.
set -euo pipefail
init=$1 out=$2
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/dev"
cp "$init" "$stage/init"
(cd "$stage" && find . | LC_ALL=C sort | cpio -o -H newc --quiet) >"$out.new"
mv "$out.new" "$out"
