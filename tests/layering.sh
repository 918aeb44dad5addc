#!/usr/bin/env bash
# The layering the build relies on, checked over the sources: the core (common/, detect/,
# config/) includes nothing of ui/, and only a file whose path names its platform (_win32,
# _posix, win32/, curses/) includes that platform's headers.
#
# usage: layering.sh SOURCE_FOLDER      exit status 0 when it holds, 1 with each breach listed
set -uo pipefail
cd "${1:?usage: layering.sh SOURCE_FOLDER}" || exit 2

sources=$(find . -path ./build -prune -o -path './.git' -prune -o \
    -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print | sed 's|^\./||' | sort)
[ -n "$sources" ] || { echo "layering: no sources under $PWD" >&2; exit 2; }

include='^[[:space:]]*#[[:space:]]*include[[:space:]]*'
breaches=$(while IFS= read -r file; do
    case $file in
    common/* | detect/* | config/*)
        grep -nE "$include[\"<](\\.\\./)*ui/" "$file" | while IFS= read -r hit; do
            echo "$file:${hit%%:*}: the core includes the dialog layer: ${hit#*:}"
        done ;;
    esac
    case $file in
    *_win32.* | *_posix.* | */win32/* | */curses/*) ;;
    *)
        grep -nE "$include<(windows\\.h|termios\\.h|curses\\.h|ncurses\\.h|ncursesw/curses\\.h)>" "$file" |
            while IFS= read -r hit; do
                echo "$file:${hit%%:*}: a platform header outside a platform file: ${hit#*:}"
            done ;;
    esac
done <<<"$sources")
if [ -n "$breaches" ]; then
    printf '%s\n' "$breaches"
    echo "layering: $(wc -l <<<"$breaches") breach(es)"
    exit 1
fi
echo "layering: $(wc -l <<<"$sources") sources hold to it"
