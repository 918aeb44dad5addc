#!/usr/bin/env bash
# Measures ScanPorts on the Win32 back end under Wine against reader-sim, for three port sets:
# four silent lines, one Kavirex3 reader, no port that opens. Each line of output gives the
# scan's floor (its fixed waits and read time-outs) and the measured times. Each Windows build
# runs under its own loader: x86_64 under wine64, i686 under the 32-bit one.
#
# usage: bench/scan_win32.sh [--runs N] [--native NATIVE_BUILD_DIR] [WINDOWS_BUILD_DIR...]
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

for dir in "${dirs[@]}"; do
    bench=$dir/bench/lesamo_scan_bench.exe
    [ -f "$bench" ] || { echo "scan_win32: $bench not built" >&2; exit 1; }
    case $(file -b "$bench") in
        PE32+*) arch=win64 ;;
        PE32*) arch=win32 ;;
        *) echo "scan_win32: $bench is no Windows program" >&2; exit 1 ;;
    esac
    if [ "$arch" = win32 ] && ! why=$("$top/scripts/runs-32bit.sh" --why); then
        echo "$arch  skipped: $why"
        continue
    fi
    run() {
        "$top/tests/windows/wine-run.sh" --arch "$arch" --work "$dir/wine/runs/scan-bench" \
            --template "$dir/wine/template" --reader-sim "$native/reader-sim" \
            "$@" -- "$bench" "${runs[@]}" | sed "s/^/$arch  /"
    }
    run --port com1=silent --port com2=silent --port com3=silent --port com4=silent
    run --port com1=kavirex3
    run
done
