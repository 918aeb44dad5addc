#!/usr/bin/env bash
# Renders the pictures that res/Lesamo.rc embeds from their sources in this folder:
#   Reader.svg   -> ../Reader.bmp   bitmap 131, 184 x 256, 256 colours
#   make-icon.py -> ../Lesamo.ico   icon 128, 32 x 32 and 16 x 16, 16 colours
# Needs rsvg-convert (librsvg2-bin), ImageMagick's convert and python3. The results are
# checked in, so a build never runs this.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
res=$(dirname "$here")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

rsvg-convert -w 184 -h 256 "$here/Reader.svg" -o "$tmp/reader.png"
# 256 colours with error diffusion keeps the gradients smooth; BMP3 is the classic
# BITMAPINFOHEADER layout that resource compilers expect.
convert "$tmp/reader.png" -background white -alpha remove -alpha off \
    -dither FloydSteinberg -colors 256 -type Palette -compress None BMP3:"$res/Reader.bmp"

python3 "$here/make-icon.py" "$res/Lesamo.ico"

identify "$res/Reader.bmp" "$res/Lesamo.ico"
