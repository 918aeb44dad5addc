#!/usr/bin/env bash
# Start-up times, each against a floor of our own measured in the same run: both Windows builds
# under Wine (to the main dialog visible and ready for input; floors: a minimal Win32 dialog
# program, and the same with the product's manifest) and the terminal program (to its first full frame; floor: a minimal ncursesw
# program). Prints one line per program with its ratios to the floors.
#
# usage: bench/startup.sh [--runs N] [--native NATIVE_BUILD_DIR] [WINDOWS_BUILD_DIR...]
#        (defaults: build/native, and build/win64 and build/win32)
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/windows-builds.sh"
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

startup() {
    local dir=$1 arch=$2
    "$top/tests/windows/wine-run.sh" --arch "$arch" --xvfb --work "$dir/wine/runs/startup-bench" \
        --template "$dir/wine/template" --reader-sim "$native/lesamo-reader-sim" --timeout 600 -- \
        "$dir/bench/startup-bench.exe" "${runs[@]}" --floors 2 \
        "$(windows_path "$dir/bench/minimal-dialog.exe")" \
        "$(windows_path "$dir/bench/minimal-dialog-themed.exe")" "$(windows_path "$dir/lesamo.exe")"
}
for_each_windows_build bench/startup-bench.exe startup

# The terminal program in a throwaway prefix whose ports lead nowhere (it opens none at start).
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
mkdir -p "$prefix/dosdevices" "$prefix/drive_c/windows"
for n in 1 2 3 4; do ln -s "$prefix/absent" "$prefix/dosdevices/com$n"; done
WINEPREFIX=$prefix TERM=${TERM:-xterm-256color} LANG=C.UTF-8 \
    "$native/startup-bench" "${runs[@]}" "$native/minimal-curses" Floor "$native/lesamo" Abbrechen |
    sed "s/^/posix  /"
