#!/usr/bin/env bash
# Puts the kernel of Debian's linux-image-amd64 into DIR/vmlinux and the modules of the USB
# serial path into DIR/modules/, with DIR/modules/order naming them in the order they load: the
# package is fetched with apt-get download (no installation) and only these files taken out of
# it, so kernel and modules always come from the same download.
set -euo pipefail
dir=$1
# The USB core and the host controllers (xHCI; UHCI for a full-speed bus of 1 ms frames), the
# USB-serial layer and the FTDI driver: what the guest needs for qemu's usb-serial adapter.
modules=(usb-common usbcore xhci-hcd xhci-pci uhci-hcd usbserial ftdi_sio)
mkdir -p "$dir"
cd "$dir"
rm -rf fetch && mkdir fetch && cd fetch
# The meta-package names the current kernel package.
package=$(apt-cache depends linux-image-amd64 | awk '$1 == "Depends:" && $2 ~ /^linux-image-/ { print $2; exit }')
[ -n "$package" ] || { echo "guest-kernel: apt knows no linux-image-amd64 (apt-get update?)" >&2; exit 1; }
# As root, apt fetches as _apt, who may not write here; the warning about that is harmless.
apt-get download "$package" 2> >(grep -v 'unsandboxed' >&2)
patterns=('./boot/vmlinuz-*')
for module in "${modules[@]}"; do patterns+=("./lib/modules/*/$module.ko"); done
# -m: the files get the time they were fetched, not the package's, or the build would take them
# for out of date and fetch them again every time.
dpkg-deb --fsys-tarfile ./*.deb | tar -x -m --wildcards "${patterns[@]}"
mkdir modules
for module in "${modules[@]}"; do
    found=$(find lib/modules -name "$module.ko")
    [ -n "$found" ] || { echo "guest-kernel: $package has no $module.ko" >&2; exit 1; }
    mv "$found" modules/
done
# The package's modules.dep is made at installation; each module names what it needs in its
# own "depends=" field, and tsort puts every module after those.
for module in "${modules[@]}"; do
    echo "$module $module"
    needs=$(tr '\0' '\n' <"modules/$module.ko" | sed -n 's/^depends=//p')
    for need in ${needs//,/ }; do echo "$need $module"; done
done | tsort >modules/order
# The kernel unpacked, as the decompressor at the start of vmlinuz would unpack it in the guest:
# qemu starts the ELF file at its PVH entry, which saves the emulated CPU seconds of unpacking.
compressed=$(echo boot/vmlinuz-*)
offset=$(LC_ALL=C grep -obUaP -m1 '\xfd7zXZ\x00' "$compressed") || { echo "guest-kernel: no xz stream in $compressed" >&2; exit 1; }
offset=${offset%%:*}
tail -c +$((offset + 1)) "$compressed" >packed.xz
xz -dc --single-stream <packed.xz >vmlinux
[ "$(head -c 4 vmlinux | od -An -c | tr -d ' ')" = 177ELF ] || { echo "guest-kernel: $compressed unpacks to no ELF" >&2; exit 1; }
cd .. && rm -rf modules vmlinuz && mv fetch/modules modules && mv fetch/vmlinux vmlinux && rm -rf fetch
echo "guest-kernel: $package"
