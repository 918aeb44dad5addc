#!/usr/bin/env bash
# usage: guest-initramfs.sh INIT MODULES OUT: a newc cpio archive holding INIT as /init, the
# directory MODULES (the kernel's USB modules and their order) as /modules, and an empty /dev.
set -euo pipefail
init=$1 modules=$2 out=$3
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/dev"
cp "$init" "$stage/init"
cp -r "$modules" "$stage/modules"
(cd "$stage" && find . | LC_ALL=C sort | cpio -o -H newc --quiet) >"$out.new"
mv "$out.new" "$out"
