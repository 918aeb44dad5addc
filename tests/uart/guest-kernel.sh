#!/usr/bin/env bash
# Puts the kernel of Debian's linux-image-amd64 into DIR/vmlinuz: the package is fetched with
# apt-get download (no installation) and only the kernel taken out of it.
set -euo pipefail
dir=$1
mkdir -p "$dir"
cd "$dir"
rm -rf fetch && mkdir fetch && cd fetch
# The meta-package names the current kernel package.
package=$(apt-cache depends linux-image-amd64 | awk '$1 == "Depends:" && $2 ~ /^linux-image-/ { print $2; exit }')
[ -n "$package" ] || { echo "guest-kernel: apt knows no linux-image-amd64 (apt-get update?)" >&2; exit 1; }
# As root, apt fetches as _apt, who may not write here; the warning about that is harmless.
apt-get download "$package" 2> >(grep -v 'unsandboxed' >&2)
# -m: the kernel gets the time it was fetched, not the package's, or the build would take it
# for out of date and fetch it again every time.
dpkg-deb --fsys-tarfile ./*.deb | tar -x -m --wildcards './boot/vmlinuz-*'
mv boot/vmlinuz-* ../vmlinuz.new
cd .. && rm -rf fetch && mv vmlinuz.new vmlinuz
echo "guest-kernel: $package"
