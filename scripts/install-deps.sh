#!/usr/bin/env bash
# Installs the Debian packages that building, testing, the releases and the demo need, when
# missing, on any Debian 12 down to a minimal one with only git and make. apt-get as root,
# through sudo otherwise. Safe to run again: installs nothing that is there.
#
# Where the kernel runs 32-bit code (scripts/runs-32bit.sh), it also adds the i386
# architecture and the 32-bit Wine loader, so that the tests run the shipped i686 lesamo.exe;
# where it does not, it installs nothing for it and those tests are skipped.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

packages=(
    cmake make ninja-build g++ binutils clang libclang-rt-14-dev clang-tidy cppcheck
    googletest libgtest-dev libbenchmark-dev
    libncurses-dev tmux
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    # wine brings /usr/bin/wine and wineserver (wine64 only recommends it); fonts-wine the
    # Marlett and dialog fonts, without which caption buttons show "r" and texts are clipped.
    wine wine64 fonts-wine xvfb xdotool x11-utils imagemagick librsvg2-bin
    util-linux procps file ca-certificates
    # make dist and its tests: dpkg-shlibdeps for the package's Depends and dpkg-buildflags for
    # its programs' flags, lintian, man and groff to render the manual pages, zip and unzip for
    # the Windows download, git for the source tarball, diffoscope's account of two builds
    # that differ.
    dpkg-dev lintian man-db groff-base zip unzip git diffoscope-minimal
    # The serial line tests: a guest with emulated UARTs and USB-serial adapters (its kernel is
    # fetched by the build with apt-get download and unpacked with xz), and the i386 build of the
    # line shim for the 32-bit Wine loader.
    qemu-system-x86 cpio xz-utils gcc-multilib
    # xmllint: the manifest embedded in lesamo.exe is checked as XML.
    libxml2-utils
    # setfacl and getfacl: the tests that a replaced file keeps its ACL.
    acl
)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

apt=()
apt_install() {
    if [ ${#apt[@]} -eq 0 ]; then
        if [ "$(id -u)" -eq 0 ]; then
            apt=(env DEBIAN_FRONTEND=noninteractive apt-get)
        elif command -v sudo >/dev/null; then
            apt=(sudo env DEBIAN_FRONTEND=noninteractive apt-get)
        else
            echo "error: missing packages ($*) and neither root nor sudo to install them" >&2
            exit 1
        fi
    fi
    echo "Installing: $*"
    # A mirror caught in a sync serves an index that fails its check ("File has unexpected
    # size"); apt then keeps the index it had and says so. Whether what is needed can still be
    # installed is for the install to tell.
    "${apt[@]}" update -qq || echo "install-deps: apt-get update reported errors; installing with the indexes at hand" >&2
    "${apt[@]}" install -y -qq --no-install-recommends "$@"
}

# Whether 32-bit code runs is probed with a program assembled here: binutils first.
installed binutils || apt_install binutils

missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done

# The 32-bit Wine loader, only where 32-bit code runs, asked for in the same go as the rest.
if "$here/runs-32bit.sh"; then
    if ! installed wine32:i386; then
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            echo "Adding the i386 architecture (for the 32-bit Wine loader)"
            if [ "$(id -u)" -eq 0 ]; then dpkg --add-architecture i386; else sudo dpkg --add-architecture i386; fi
        fi
        missing+=(wine32:i386)
    fi
    want32=1
else
    want32=0
fi

if [ ${#missing[@]} -gt 0 ] && ! apt_install "${missing[@]}"; then
    # The i386 libraries must have the versions of their amd64 twins (Multi-Arch: same).
    # When an index offers one half only (the security suite's i386 index during a mirror's
    # sync), the two meet in the release's own suite, whose point releases carry both: asked
    # for in one go from there, nothing installed yet and nothing removed.
    [[ " ${missing[*]} " == *" wine32:i386 "* ]] || exit 1
    echo "install-deps: trying again from the release's own suite (bookworm)" >&2
    apt_install --no-remove -t bookworm "${missing[@]}"
fi
[ "$want32" = 1 ] || echo "install-deps: no 32-bit Wine: $("$here/runs-32bit.sh" --why 2>&1)"
