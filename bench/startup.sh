#!/usr/bin/env bash
# Start-up times, each against a floor of our own measured in the same run: both Windows builds
# under Wine (to the main dialog visible and ready for input; floors: a minimal Win32 dialog
# program, and the same with the product's manifest) and the terminal program (to its first full frame; floor: a minimal ncursesw
# program). Prints one line per program with its ratios to the floors.
#
# usage: bench/startup.sh [--runs N] [--native NATIVE_BUILD_DIR] [WINDOWS_BUILD_DIR...]
#        (defaults: build/native, and build/win64 and build/win32)
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=() dirs=() native=$top/build/native
while [ $# -gt 0 ]; do
    case $1 in
        --runs) runs=(--runs "$2"); shift 2 ;;
        --native) native=$2; shift 2 ;;
        *) dirs+=("$1"); shift ;;
    esac
done
[ ${#dirs[@]} -gt 0 ] || dirs=("$top/build/win64" "$top/build/win32")
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

for dir in "${dirs[@]}"; do
    bench=$dir/bench/startup-bench.exe
    [ -f "$bench" ] || { echo "startup: $bench not built" >&2; exit 1; }
    case $(file -b "$bench") in
        PE32+*) arch=win64 ;;
        *) arch=win32 ;;
    esac
    if [ "$arch" = win32 ] && ! why=$("$top/scripts/runs-32bit.sh" --why); then
        echo "$arch  skipped: $why"
        continue
    fi
    "$top/tests/windows/wine-run.sh" --arch "$arch" --xvfb --work "$dir/wine/runs/startup-bench" \
        --template "$dir/wine/template" --reader-sim "$native/reader-sim" --timeout 600 -- \
        "$bench" "${runs[@]}" --floors 2 "$(windows_path "$dir/bench/minimal-dialog.exe")" \
        "$(windows_path "$dir/bench/minimal-dialog-themed.exe")" "$(windows_path "$dir/lesamo.exe")" |
        sed "s/^/$arch  /"
done

# The terminal program in a throwaway prefix whose ports lead nowhere (it opens none at start).
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
mkdir -p "$prefix/dosdevices" "$prefix/drive_c/windows"
for n in 1 2 3 4; do ln -s "$prefix/absent" "$prefix/dosdevices/com$n"; done
WINEPREFIX=$prefix TERM=${TERM:-xterm-256color} LANG=C.UTF-8 \
    "$native/startup-bench" "${runs[@]}" "$native/minimal-curses" Floor "$native/lesamo" Abbrechen |
    sed "s/^/posix  /"
