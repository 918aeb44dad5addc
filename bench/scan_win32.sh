#!/usr/bin/env bash
# Measures ScanPorts on the Win32 back end under Wine against reader-sim, for three port sets:
# four silent lines, one Kavirex3 reader, no port that opens. Each line of output gives the
# scan's floor (its fixed waits and read time-outs) and the measured times. Each Windows build
# runs under its own loader: x86_64 under wine64, i686 under the 32-bit one.
#
# usage: bench/scan_win32.sh [--runs N] [--native NATIVE_BUILD_DIR] [WINDOWS_BUILD_DIR...]
#        (defaults: build/native, and build/win64 and build/win32)
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/windows-builds.sh"

scan() {
    local dir=$1 arch=$2 ports
    for ports in "--port com1=silent --port com2=silent --port com3=silent --port com4=silent" \
        "--port com1=kavirex3" ""; do
        # shellcheck disable=SC2086 # the port options are words on purpose
        "$top/tests/windows/wine-run.sh" --arch "$arch" --work "$dir/wine/runs/scan-bench" \
            --template "$dir/wine/template" --reader-sim "$native/lesamo-reader-sim" \
            $ports -- "$dir/bench/lesamo_scan_bench.exe" "${runs[@]}"
    done
}
for_each_windows_build bench/lesamo_scan_bench.exe scan
