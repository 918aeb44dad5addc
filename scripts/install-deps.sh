#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the demo need, when missing.
# apt-get as root, through sudo otherwise. Safe to run again: installs nothing that is there.
set -euo pipefail

packages=(
    cmake make g++ clang libclang-rt-14-dev
    googletest libgtest-dev libbenchmark-dev
    libncurses-dev tmux
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    wine64 xvfb xdotool x11-utils imagemagick librsvg2-bin
    util-linux procps file
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    apt=(apt-get)
elif command -v sudo >/dev/null; then
    apt=(sudo apt-get)
else
    echo "error: missing packages (${missing[*]}) and neither root nor sudo to install them" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${apt[@]}" update -qq
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}"
