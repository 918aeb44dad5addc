#!/usr/bin/env bash
# Measures ScanPorts on the Win32 back end under wine64 against reader-sim, for three port sets:
# four silent lines, one Kavirex3 reader, no port that opens. Each line of output gives the
# scan's floor (its fixed waits and read time-outs) and the measured times.
#
# usage: bench/scan_win32.sh [WIN64_BUILD_DIR [NATIVE_BUILD_DIR]] [--runs N]
#        (defaults: build/win64 and build/native)
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=() dirs=()
while [ $# -gt 0 ]; do
    case $1 in
        --runs) runs=(--runs "$2"); shift 2 ;;
        *) dirs+=("$1"); shift ;;
    esac
done
win64=${dirs[0]:-$top/build/win64}
native=${dirs[1]:-$top/build/native}
bench=$win64/bench/lesamo_scan_bench.exe
[ -f "$bench" ] || { echo "scan_win32: $bench not built" >&2; exit 1; }

run() {
    "$top/tests/windows/wine-run.sh" --work "$win64/wine/runs/scan-bench" \
        --template "$win64/wine/template" --reader-sim "$native/reader-sim" \
        "$@" -- "$bench" "${runs[@]}"
}
run --port com1=silent --port com2=silent --port com3=silent --port com4=silent
run --port com1=kavirex3
run
